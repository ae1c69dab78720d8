#include "render/render_document.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "device/stop_requests.h"
#include "render/dialect.h"
#include "render/input_stream.h"
#include "render/page_cycle.h"
#include "render/page_setup.h"
#include "render/render_state.h"

namespace prynda {

namespace {

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
  if (state.Job.Prynda.Emulation == EmulationKind::Fx) {
    console.Line(" * emulacja : Epson ESC/P");
    console.Line(" * strona kodowa : ", FxCodePage(state.Job.Prynda, settings.CodePage == 1).Name);
  } else if (state.Job.Prynda.AutoCR) {
    console.Line(" * opcja : LF wraca na początek wiersza");
  }
  PrintPageMessage(state);
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
  const std::unique_ptr<Dialect> dialect = MakeDialect(state);
  TPrinterOrientation orientation = dialect->Orientation(state);
  // The sheet, fit and offsets a job may ask for are set before anything is measured; a job that
  // asks for none of them takes the steps it always took.
  std::optional<TPrinterOrientation> saved_orientation;
  if (job.Prynda.ShapesThePage()) {
    saved_orientation = printer.PageOrientation();
    orientation = SetUpPage(state, orientation);
  }
  state.LineNo = 1;
  state.FeedScale = settings.Scale216 ? 216 : 180;
  state.PageNo = 1;

  canvas.Font().CopyFrom(job.Font10);
  canvas.Pen().SetWidth(settings.FrameWidth);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  state.BaseTextHeight = canvas.MeasureTextHeight("X");
  state.BaselineShift = 0;
  state.BaseStyle = state.TextStyle = job.Font10.Style();

  state.SavedOrientation = saved_orientation ? *saved_orientation : printer.PageOrientation();
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
  state.FormLength = FormLengthPixels(state);
  if (state.FormLength > 0 && job.Prynda.Emulation == EmulationKind::Default) {
    // In our own dialect the form is the page that /FF breaks at.
    state.PageHeight = static_cast<std::int32_t>(std::min<double>(state.TopMargin + state.FormLength, INT32_MAX));
  }
  dialect->Start(state);
  if (settings.ShowMessages) WriteStartMessages(state);

  while (!state.AtEof) {
    StopIfRequested();
    state.Advance = 0;
    const std::uint8_t c = NextChar(state);
    if (state.AtEof) break;
    if (state.PageFull) BeginNewPage(state);
    dialect->Byte(state, c);
    MoveColumns(state, state.Advance);
  }
  dialect->Finish(state);

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
