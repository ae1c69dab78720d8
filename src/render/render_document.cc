#include "render/render_document.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/stop_requests.h"
#include "render/dialect.h"
#include "render/page_cycle.h"
#include "render/page_setup.h"
#include "render/render_state.h"

namespace prynda {

namespace {

void WriteStartMessages(TRenderState& state) {
  TConsole& console = state.Job.Console;
  const TJobSettings& settings = state.Settings;
  WriteJobStart(state.Job);
  if (settings.DeleteAfterPrint) console.Line(" * usuwam plik po wydrukowaniu");
  if (settings.ForceFF) {
    if (settings.FFLines) {
      console.Line("* automatyczny podział na strony", " co ", std::to_string(settings.FFNLines), " wierszy");
    } else {
      console.Line("* automatyczny podział na strony", " wg wielkości strony");
    }
  }
  if (settings.CodePage == CodePageId::Mazovia) console.Line(" * PL : MAZowia");
  if (!settings.Scale216) console.Line(" * opcja : skala iteracji 180");
  if (!state.Job.Prynda.Recognised.empty()) console.Line(" * rozpoznano : ", state.Job.Prynda.Recognised);
  if (!state.Job.Prynda.Background.empty()) console.Line(" * formularz : ", Raw{state.Job.Prynda.Background});
  const EmulationKind emulation = state.Job.Prynda.Emulation;
  if (emulation == EmulationKind::Fx || emulation == EmulationKind::Ibm) {
    console.Line(" * emulacja : ", emulation == EmulationKind::Fx ? "Epson ESC/P" : "IBM Proprinter");
    console.Line(" * strona kodowa : ", JobCodePage(state.Job).Name);
  } else if (state.Job.Prynda.AutoCR) {
    console.Line(" * opcja : LF wraca na początek wiersza");
  }
  PrintPageMessage(state);
}

}  // namespace

void WriteJobStart(TJobContext& job) {
  TPrinter& printer = job.CurrentPrinter;
  job.Console.Line("Zaczynam przetwarzać dokument:", Raw{job.InputFileName}, " na drukarkę:",
                   Raw{printer.PrinterNames()[printer.SelectedIndex()]});
}

TRenderOutcome RenderDocument(TJobContext& job, TCanvas& canvas) {
  TRenderState state(job, canvas);
  const TJobSettings& settings = job.Settings;
  TPrinter& printer = job.CurrentPrinter;
  InputCursor& input = state.Input;
  PageModel& page = state.Page;

  if (!input.OpenInput()) return TRenderOutcome::NotStarted;
  input.ReadBlock();
  if (input.ReadFailed) {
    // Nothing has been sent to the printer yet: end here, as when the file cannot be opened.
    input.CloseInput();
    return TRenderOutcome::NotStarted;
  }
  const std::unique_ptr<Dialect> dialect = MakeDialect(state);
  TPrinterOrientation orientation = dialect->Orientation();
  // The sheet, fit and offsets a job may ask for are set before anything is measured; a job that
  // asks for none of them takes the steps it always took.
  std::optional<TPrinterOrientation> saved_orientation;
  if (job.Prynda.ShapesThePage()) {
    saved_orientation = printer.PageOrientation();
    orientation = SetUpPage(state, orientation);
  }
  page.PageNo = 1;

  const TFont& base = job.Font(JobFont::Cpi10);
  canvas.Font().CopyFrom(base);
  canvas.Pen().SetWidth(settings.FrameWidth);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  state.Text.BaseTextHeight = canvas.MeasureTextHeight("X");
  state.Text.BaselineShift = 0;
  state.Text.TextStyle = base.Style();

  const TPrinterOrientation restore_orientation = saved_orientation ? *saved_orientation : printer.PageOrientation();
  printer.SetPageOrientation(orientation);
  const std::int16_t restore_copies = printer.CopyCount();
  printer.SetCopyCount(static_cast<std::int16_t>(settings.Copies));

  const TDeviceCaps caps = printer.Caps();
  page.DpiY = caps.LogPixelsY;
  page.DpiX = caps.LogPixelsX;
  page.PageHeight = caps.VertRes;

  printer.StartDocument();
  const std::int64_t top = static_cast<std::int64_t>(page.DpiY / 6) * settings.TopMarginLines;
  page.TopMargin = static_cast<std::int32_t>(std::clamp<std::int64_t>(top, INT32_MIN, INT32_MAX));
  page.PosX = 0.0;
  page.LeftMargin = 0;
  page.PosY = page.TopMargin;
  page.PageFull = false;
  page.FormLength = FormLengthPixels(state);
  if (page.FormLength > 0 && job.Prynda.Emulation == EmulationKind::Own) {
    // In our own dialect the form is the page that /FF breaks at.
    page.PageHeight = static_cast<std::int32_t>(std::min<double>(page.TopMargin + page.FormLength, INT32_MAX));
  }
  dialect->Start();
  if (settings.ShowMessages) WriteStartMessages(state);

  while (!input.AtEof) {
    StopIfRequested();
    const std::uint8_t c = input.NextChar();
    if (input.AtEof) break;
    MoveColumns(state, dialect->Byte(c));
  }
  dialect->Finish();
  state.Unprinted.Report(job.Console);

  input.CloseInput();
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
  printer.SetPageOrientation(restore_orientation);
  printer.SetCopyCount(restore_copies);
  return outcome;
}

}  // namespace prynda
