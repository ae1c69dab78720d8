// The job recognised (/AUTO, Emulation=Auto, prynda-auto): its first bytes read and what they show
// set as the job's settings - the dialect, the pins, the code page, the line ends, how our dialect
// reads text - except where the user's own settings name them (/FX, 180, /CP=, MAZ, CodePage,
// PL). A job that is a document of its own (PostScript, PDF, PCL) is marked (job.Document) for
// the job flow to hand on as it is.
#pragma once

#include <optional>

#include "job/job_context.h"
#include "recognition/recognition.h"

namespace prynda {

// Nothing happens unless the settings ask for recognition; then the emulation is settled.
// Returns what was recognised (nullopt without recognition).
std::optional<Recognition> RecogniseJob(TJobContext& job);

}  // namespace prynda
