// The program's spine: the entry that chooses between printing and the usage text, and the job
// flow that runs one print job from the printer check to the final pause.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "device/print_system.h"
#include "job/job_context.h"
#include "printers/archive/archive_print_system.h"
#include "render/render_document.h"

namespace prynda {

// "-" in place of the file name: the job is read from standard input, and named so.
inline constexpr std::string_view kStandardInputParameter = "-";
inline constexpr std::string_view kStandardInputName = "stdin";

// The exit code of a job that printed but could not be archived.
inline constexpr int kNotArchivedExitCode = 2;

// A job refused for what it is (an archive, a plot, a language the printer does not take, a
// picture that cannot be read): its own fault, nothing of it printed. what() is the console's
// Polish message; LogMessage() the print server's English one.
class JobRefused : public std::runtime_error {
 public:
  explicit JobRefused(const JobRefusal& refusal)
      : std::runtime_error(refusal.Message), log_message_(refusal.LogMessage) {}
  const std::string& LogMessage() const { return log_message_; }

 private:
  std::string log_message_;
};

// Runs the whole program over a print system and console streams; returns the exit code: 0 on
// every end of its own, 1 when a failure escapes the job (its message then goes to `err`),
// kNotArchivedExitCode when the job printed and its archive failed. The job's documents are
// archived (the key Archive) through `archive_contexts`; without them a job that asks for an
// archive prints and is not archived.
int RunProgram(std::vector<std::string> params, PrintSystem& system, std::ostream& out,
               std::istream& in, std::ostream& err, int console_code_page,
               ArchiveContextMaker archive_contexts = {});

// Prints when parameter 1 names an existing file (not a folder), else shows the usage text.
int ProgramEntry(TJobContext& job);
void RunJob(TJobContext& job);
// RunJob in two steps, for callers that settle some settings themselves in between. PrepareJob:
// the printer check, the printer "/DR=" names, the font set, the settings file, the options and
// the banner; false (after saying so) when there is no printer. PrintJob: the document, then the
// removal of the file and the final pause that the settings ask for. A job that asks for an
// archive (and has job.Archive) is archived as it prints; a completed job whose archive failed
// says so on the console's error stream, keeps its file and its ArchiveFailure.
bool PrepareJob(TJobContext& job);
TRenderOutcome PrintJob(TJobContext& job);
void ShowBanner(TJobContext& job);
// The console's first lines about a job that no dialect draws: the file, the printer and what the
// job was recognised as.
void WriteUndrawnJobStart(TJobContext& job);
void ShowUsage(TJobContext& job);
void WaitForEnter(TConsole& console);

}  // namespace prynda
