#include "render/render_document.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "device/stop_requests.h"
#include "render/box_drawing.h"
#include "render/escape_sequences.h"
#include "render/input_stream.h"
#include "render/page_cycle.h"
#include "render/prefix_commands.h"
#include "render/render_state.h"
#include "translation/translating_read.h"

namespace prynda {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kPrefix = 0xFA;

// The page orientation a file asks for in its first bytes (ESC " S / T, or the prefix byte with L
// or P, possibly after one leading ESC l n); moves BufPos past the command when one is found.
TPrinterOrientation ProbeOrientation(TRenderState& state) {
  auto at = [&](int i) -> std::uint8_t {
    return i < state.BufCount ? state.Buffer[static_cast<std::size_t>(i)] : 0;
  };
  const int s = (at(0) == kEsc && at(1) == 'l') ? 3 : 0;
  if (at(s) == kEsc && at(s + 1) == '"') {
    const std::uint8_t letter = at(s + 2);
    if (letter == 'S' || letter == 's' || letter == 'T' || letter == 't') {
      state.BufPos = s + 2;
      return (letter == 'S' || letter == 's') ? TPrinterOrientation::Landscape : TPrinterOrientation::Portrait;
    }
  }
  if (at(s) == kPrefix && (at(s + 1) == 'L' || at(s + 1) == 'P')) {
    state.BufPos = s + 1;
    return at(s + 1) == 'L' ? TPrinterOrientation::Landscape : TPrinterOrientation::Portrait;
  }
  return TPrinterOrientation::Portrait;
}

void WriteStartMessages(TRenderState& state) {
  TConsole& console = state.Job.Console;
  const TJobSettings& settings = state.Settings;
  const TNameList& printers = state.Printer.PrinterNames();
  console.Line("Zaczynam przetwarzać dokument:", Raw{state.Job.InputFileName}, " na drukarkę:",
               Raw{printers[state.Printer.SelectedIndex()]});
  if (settings.DeleteAfterPrint) console.Line(" * usuwam plik po wydrukowaniu");
  if (settings.ForceFF) {
    if (settings.FFLines) {
      console.Line("* automatyczny podział na strony", " co ", std::to_string(settings.FFNLines), " wierszy");
    } else {
      console.Line("* automatyczny podział na strony", " wg wielkości strony");
    }
  }
  if (settings.CodePage == 1) console.Line(" * PL : MAZowia");
  if (!settings.Scale216) console.Line(" * opcja : skala iteracji 180");
  PrintPageMessage(state);
}

void BeginNewPage(TRenderState& state) {
  ++state.PageNo;
  PrintPageMessage(state);
  state.PosY = state.TopMargin;
  state.Printer.StartNextPage();
  state.PosX = 0.0;
  state.Column = 1;
  state.LineNo = 1;
  state.PageFull = false;
}

void Dispatch(TRenderState& state, std::uint8_t c) {
  switch (c) {
    case 0x00:
      state.Advance = state.Settings.IgnoreNull ? 0 : 1;
      break;
    case 0x07:
      state.Printer.Beep();
      break;
    case 0x08:
      state.Advance = -1;
      break;
    case 0x09:
      state.Advance = static_cast<std::int32_t>(ColumnsToNextTab(state));
      break;
    case 0x0A:
      LineFeed(state);
      break;
    case 0x0C:
      state.PageFull = true;
      break;
    case 0x0D:
      state.PosX = 0.0;
      state.Column = 1;
      break;
    case kEsc:
      DoEscape(state);
      break;
    case kPrefix:
      DoPrefixCommand(state);
      break;
    default:
      if (c <= 0x20) {
        state.Advance = 1;  // the other control bytes and the blank: an empty column
      } else {
        DrawCharacter(state, c);
      }
  }
}

}  // namespace

TRenderOutcome RenderDocument(TJobContext& job, TCanvas& canvas) {
  TRenderState state(job, canvas);
  const TJobSettings& settings = job.Settings;
  TPrinter& printer = job.CurrentPrinter;
  state.Translation = MakeTranslation(settings.CodePage);

  if (!OpenInput(state)) return TRenderOutcome::NotStarted;
  ReadBlock(state);
  if (state.ReadFailed) {
    // Nothing has been sent to the printer yet: end here, as when the file cannot be opened.
    CloseInput(state);
    return TRenderOutcome::NotStarted;
  }
  const TPrinterOrientation orientation = ProbeOrientation(state);
  state.LineNo = 1;
  state.FeedScale = settings.Scale216 ? 216 : 180;
  state.PageNo = 1;

  canvas.Font().CopyFrom(job.Font10);
  canvas.Pen().SetWidth(settings.FrameWidth);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  state.BaseTextHeight = canvas.MeasureTextHeight("X");
  state.BaselineShift = 0;
  state.BaseStyle = state.TextStyle = job.Font10.Style();

  state.SavedOrientation = printer.PageOrientation();
  printer.SetPageOrientation(orientation);
  state.SavedCopies = printer.CopyCount();
  printer.SetCopyCount(static_cast<std::int16_t>(settings.Copies));

  state.DpiY = printer.DeviceCaps(kLogPixelsY);
  state.DpiX = printer.DeviceCaps(kLogPixelsX);
  state.PageHeight = printer.PrintableHeight();

  printer.StartDocument();
  ResetPageState(state);
  const std::int64_t top = static_cast<std::int64_t>(state.DpiY / 6) * settings.TopMarginLines;
  state.TopMargin = static_cast<std::int32_t>(std::clamp<std::int64_t>(top, INT32_MIN, INT32_MAX));
  state.PosX = 0.0;
  state.LeftMargin = 0;
  state.PosY = state.TopMargin;
  state.PageFull = false;
  if (settings.ShowMessages) WriteStartMessages(state);

  while (!state.AtEof) {
    StopIfRequested();
    state.Advance = 0;
    const std::uint8_t c = NextChar(state);
    if (state.AtEof) break;
    if (state.PageFull) BeginNewPage(state);
    state.Handled = false;
    if (!state.CharTranslated && c >= 0xB3 && c <= 0xDA) DrawBoxCharacter(state, c);
    if (!state.Handled) Dispatch(state, c);
    MoveColumns(state, state.Advance);
  }

  CloseInput(state);
  TRenderOutcome outcome = TRenderOutcome::Completed;
  if (printer.IsPrinting()) {
    StopIfRequested();  // the last moment at which the job can still be cancelled
    printer.FinishDocument();
    if (settings.ShowMessages) job.Console.Line("Zadanie wykonano");
  } else {
    outcome = TRenderOutcome::Cancelled;
    if (settings.ShowMessages) job.Console.Line("Zadanie anulowano !");
    job.Console.ReadLine();
  }
  printer.SetPageOrientation(state.SavedOrientation);
  printer.SetCopyCount(state.SavedCopies);
  return outcome;
}

}  // namespace prynda
