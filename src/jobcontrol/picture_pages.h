// Jobs that are pictures rather than printouts, printed as pages through PrintImagePages: a
// picture file fitted to the printable area on one page, raster pages over the whole sheet. What
// cannot be read - a format no installed library decodes, a damaged file, one past the limits of
// its kind - is refused (JobRefused), nothing printed. An XPS document is made a PDF here as well.
#pragma once

#include "job/job_context.h"
#include "render/render_document.h"

namespace prynda {

TRenderOutcome PrintPicture(TJobContext& job, const PictureJob& picture);

// Raster pages the printer did not take as they are; `announced`: the console's first lines about
// the job are written already.
TRenderOutcome PrintRasterPages(TJobContext& job, const PassedOnDocument& document, bool announced);

// The PDF made of the XPS document `document` names, kept in job.MadeFile, which the job then
// reads; a document that cannot be made one is refused (JobRefused), nothing printed.
PassedOnDocument MakePdfOfXps(TJobContext& job, const PassedOnDocument& document);

// A PDF about to be handed on, read and its pages counted first: one that cannot be read, has
// no page or is too large is refused (JobRefused); one of more pages than the job's page limit
// raises PageLimitExceeded. Where nothing here can check PDFs (no qpdf, Windows) it goes unchecked.
void CheckHandedOnPdf(const TJobContext& job, const PassedOnDocument& document);

}  // namespace prynda
