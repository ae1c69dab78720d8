#include "job/job_context.h"

namespace prynda {

const CodePage& JobCodePage(const TJobContext& job) {
  return CodePageOf(job.Prynda.CodePage.value_or(job.Settings.CodePage));
}

}  // namespace prynda
