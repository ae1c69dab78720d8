#include "render/image_pages.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/stop_requests.h"
#include "render/page_cycle.h"
#include "render/render_state.h"

namespace prynda {

namespace {

TPrinterOrientation OrientationFor(const TJobContext& job, const TImage& image) {
  switch (job.Prynda.Orientation) {
    case OrientationChoice::Portrait: return TPrinterOrientation::Portrait;
    case OrientationChoice::Landscape: return TPrinterOrientation::Landscape;
    case OrientationChoice::File:
    case OrientationChoice::Auto: break;
  }
  return image.Width > image.Height ? TPrinterOrientation::Landscape : TPrinterOrientation::Portrait;
}

// The page's picture where its placement puts it. Fitted, it keeps its proportions on paper (the
// device's dots need not be square) and is centred in the printable area.
void DrawPage(TCanvas& canvas, const TDeviceCaps& caps, const ImagePage& page) {
  const TImage& image = page.Image;
  if (page.Placement == ImagePlacement::WholeSheet) {
    canvas.DrawImage(-caps.PhysicalOffsetX, -caps.PhysicalOffsetY, caps.PhysicalWidth, caps.PhysicalHeight, image);
    return;
  }
  if (image.Width <= 0 || image.Height <= 0 || caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0) return;
  const double inches = std::min(static_cast<double>(caps.HorzRes) / caps.LogPixelsX / image.Width,
                                 static_cast<double>(caps.VertRes) / caps.LogPixelsY / image.Height);
  const int width = std::min(caps.HorzRes, RoundToPixel(image.Width * inches * caps.LogPixelsX));
  const int height = std::min(caps.VertRes, RoundToPixel(image.Height * inches * caps.LogPixelsY));
  canvas.DrawImage((caps.HorzRes - width) / 2, (caps.VertRes - height) / 2, width, height, image);
}

}  // namespace

TRenderOutcome PrintImagePages(TJobContext& job, TCanvas& canvas, ImagePageSource& pages, bool announced) {
  TRenderState state(job, canvas);  // the page count, its limit and its messages, as printouts keep them
  const TJobSettings& settings = job.Settings;
  TPrinter& printer = job.CurrentPrinter;
  ImagePage page;
  if (!pages.NextPage(page)) return TRenderOutcome::NotStarted;

  const TPrinterOrientation restore_orientation = printer.PageOrientation();
  const std::int16_t restore_copies = printer.CopyCount();
  const auto restore = [&] {
    printer.SetPageOrientation(restore_orientation);
    printer.SetCopyCount(restore_copies);
  };
  try {
    printer.SetPaper(job.Prynda.Paper);
    printer.SetPageOrientation(OrientationFor(job, page.Image));
    printer.SetCopyCount(static_cast<std::int16_t>(settings.Copies));
    state.Page.PageNo = 1;
    printer.StartDocument();
    if (settings.ShowMessages) {
      if (!announced) WriteJobStart(job);
      if (!announced && !job.Prynda.Recognised.empty()) job.Console.Line(" * rozpoznano : ", job.Prynda.Recognised);
      if (!job.Prynda.Background.empty()) job.Console.Line(" * formularz : ", Raw{job.Prynda.Background});
      PrintPageMessage(state);
    }
    for (;;) {
      DrawPage(canvas, printer.Caps(), page);
      StopIfRequested();
      if (!pages.NextPage(page)) break;
      BeginPage(state);
    }
    StopIfRequested();  // the last moment at which the job can still be cancelled
    printer.FinishDocument();
  } catch (...) {
    // Nothing of a job that fails reaches the paper.
    if (printer.IsPrinting()) {
      try {
        printer.AbortDocument();
      } catch (...) {
      }
    }
    restore();
    throw;
  }
  if (settings.ShowMessages) job.Console.Line("Zadanie wykonano");
  restore();
  return TRenderOutcome::Completed;
}

}  // namespace prynda
