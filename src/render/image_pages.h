// Jobs that are pages of pictures rather than a printout: a picture, or the pages of a raster
// document, printed through the canvas as RenderDocument prints a printout, with the same console
// lines, copies, page limit and stop requests, and the form under every sheet.
#pragma once

#include "device/canvas.h"
#include "device/print_system.h"
#include "job/job_context.h"
#include "render/render_document.h"

namespace prynda {

enum class ImagePlacement {
  // Scaled to fill the printable area as far as its proportions allow, centred in it.
  FitPrintableArea,
  // Stretched over the whole physical sheet from its corner, as a form is.
  WholeSheet,
};

struct ImagePage {
  TImage Image;
  ImagePlacement Placement = ImagePlacement::FitPrintableArea;
};

// The pages of a job, one at a time; a page's dots stay valid until the next call.
class ImagePageSource {
 public:
  virtual ~ImagePageSource() = default;
  // The next page into `page`; false after the last. A failure is raised as the source's own
  // error and ends the job as a failure does: the document is cancelled.
  virtual bool NextPage(ImagePage& page) = 0;
};

// Prints the source's pages as one document. The orientation is taken from the first page (a page
// wider than tall is printed in landscape) unless the settings name one. NotStarted for a source
// without a page, the printer untouched; PageLimitExceeded past the job's page limit,
// JobInterrupted on a stop request, as RenderDocument raises them. `announced`: the console's
// first lines about the job are written already (a document the printer would not take as it is).
TRenderOutcome PrintImagePages(TJobContext& job, TCanvas& canvas, ImagePageSource& pages, bool announced = false);

}  // namespace prynda
