// RenderDocument: prints the input file of the job as one document on the canvas's printer.
#pragma once

#include "device/canvas.h"
#include "job/job_context.h"

namespace prynda {

enum class TRenderOutcome {
  NotStarted,  // the input could not be read; the printer was not touched
  Completed,   // the document was finished and handed to the spooler
  Cancelled,   // reading failed while printing; the document was cancelled
};

TRenderOutcome RenderDocument(TJobContext& job, TCanvas& canvas);

// The console's first line of a job: the file and the printer it goes to.
void WriteJobStart(TJobContext& job);

}  // namespace prynda
