// Jobs that are pictures rather than printouts, printed as pages through PrintImagePages: a
// picture file fitted to the printable area on one page, raster pages over the whole sheet. What
// cannot be read - a format no installed library decodes, a damaged file, one past the limits of
// its kind - is refused (JobRefused), nothing printed. An XPS document is made a PDF here as well.
#pragma once

#include "job/job_context.h"
#include "printers/pass_on/pass_on.h"
#include "render/render_document.h"

namespace prynda {

TRenderOutcome PrintPicture(TJobContext& job, const PictureJob& picture);

// Raster pages the printer did not take as they are; `announced`: the console's first lines about
// the job are written already.
TRenderOutcome PrintRasterPages(TJobContext& job, const PassedOnDocument& document, bool announced);

// The PDF made of the XPS document `document` names, kept in job.MadeFile, which the job then
// reads; a document that cannot be made one is refused (JobRefused), nothing printed.
PassedOnDocument MakePdfOfXps(TJobContext& job, const PassedOnDocument& document);

// The PDF Ghostscript makes of the PostScript document `document` names, in its box (ProgramTime),
// kept in job.MadeFile, which the job then reads: what the printer, "Prynda PDF" and the archive
// get. A document Ghostscript fails on, or that sends its pages elsewhere, is refused, as is one
// that passes a limit of the box (JobRefused). Without Ghostscript the document is handed on as it
// is, unchanged.
PassedOnDocument MakePdfOfPostScript(TJobContext& job, const PassedOnDocument& document);

// Why a program run on the job was ended at a limit of its box, as the console and the log say it.
JobRefusal ProgramLimitRefusal(const std::string& kind, const ProgramLimitExceeded& limit);

// A PDF about to be handed on, read and its pages counted first: one that cannot be read, has
// no page or is too large is refused (JobRefused); one of more pages than the job's page limit
// raises PageLimitExceeded. Where nothing here can check PDFs (no qpdf, Windows) it goes unchecked.
void CheckHandedOnPdf(const TJobContext& job, const PassedOnDocument& document);

}  // namespace prynda
