// The CUPS backend "prynda": the scheduler hands it each job of a queue whose device URI is
// prynda:/TARGET, and it prints the job's bytes as Prynda does, on TARGET (another queue of the
// same scheduler), as a job of the same user, with the same title and copies.
//
// What it says goes to standard error as the scheduler reads a backend: "INFO:" lines for
// progress (Prynda's own messages among them), "PAGE: n copies" as each page ends, "WARNING:"
// for an option it ignores, "ERROR:" for the failure that ends a job. Exit code 0 when the job
// went to TARGET whole; otherwise nothing stays on TARGET, and the code says whose fault it was:
// the job's own (refused for what it is, or over the page limit) cancels only that job, whatever
// the queue's error policy, so that the queue takes the next at once; TARGET's (a queue missing
// or refusing, the scheduler gone) is the printer's "failed", for the queue's policy to act on.
//
// Jobs come from the network, usually unauthenticated: the backend prints at most a page limit
// of each, refuses a TARGET that would hand the job back to a prynda: queue, marks what it
// submits so that a job coming back fails, and shows what a job said only through LogText.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/print_system.h"
#include "printers/archive/archive_print_system.h"

namespace prynda {

inline constexpr std::string_view kBackendScheme = "prynda";

// The scheduler's exit codes of a backend (CUPS_BACKEND_OK, _FAILED, _CANCEL).
inline constexpr int kBackendOk = 0;
inline constexpr int kBackendFailed = 1;
inline constexpr int kBackendCancel = 5;
// What the backend prints when run without arguments: how the scheduler lists it (lpinfo -v).
inline constexpr std::string_view kBackendDiscoveryLine =
    "network prynda \"Unknown\" \"Prynda: DOS printer files printed on another queue\"";

// The option the backend gives every job it submits, its value the queue it printed for: a job
// that carries it has been printed by the backend already and is never printed again.
inline constexpr std::string_view kPrintedByOption = "prynda-from";
inline constexpr int kMostPageLimit = 100'000'000;

// A page limit as an option gives it: a whole number from 1 to kMostPageLimit, digits only.
std::optional<int> PageLimit(std::string_view text);
inline constexpr std::size_t kLogTextChars = 80;

// Text a job gave (an option's name or value, a queue name) as a line for the scheduler may show
// it: bytes below 0x20, 0x7F, C1 controls and bytes that are not valid UTF-8 as \xNN (upper-case
// hex), the rest as it is; at most `most_chars` characters (an escape counts its four), a text cut
// shorter ending in "…" (U+2026), which counts as one. What it returns it returns unchanged.
std::string LogText(std::string_view text, std::size_t most_chars = kLogTextChars);

// The queue a device URI names: "prynda:/LaserJet" gives "LaserJet" (%XX escapes decoded);
// nullopt for another scheme, no name, or a name with a '/'.
std::optional<std::string> TargetQueue(std::string_view device_uri);

// The job's options (the queue's defaults among them) as Prynda's own options: prynda-fx /FX,
// prynda-ibm /IBM, prynda-maz MAZ, prynda-lf /LF, prynda-cp=NNN /CP=NNN, prynda-fit /FIT, prynda-auto /AUTO;
// prynda-max-pages=N as
// a number. Options of other names are CUPS's own and left alone; an unknown prynda-... option
// is named in Ignored. A job carrying kPrintedByOption fails.
struct TBackendOptions {
  std::string Options;               // for Prynda's command line, e.g. "/FX MAZ"
  int MaxPages = 0;                  // prynda-max-pages, 1 to kMostPageLimit; 0 when not given
  std::vector<std::string> Ignored;  // "prynda-..." names it does not know, as the job gave them
  std::string Error;                 // why the job must fail, ready for an ERROR: line; or ""
};
TBackendOptions MapBackendOptions(const std::vector<std::pair<std::string, std::string>>& job_options);

// What the scheduler says of a queue: its device URI, and the queues it holds where it is a class.
struct QueueFacts {
  std::string DeviceUri;
  std::vector<std::string> Members;
};
// The scheduler's facts of a queue; nullopt when it has no such queue.
using AskQueue = std::function<std::optional<QueueFacts>(const std::string& queue)>;

struct PryndaQueue {
  std::string Queue;
  std::string DeviceUri;
};
// The queue at or behind `target` that prints through this backend: `target` itself, a member
// where it is a class, a member of a class among those, and so on; nullopt when there is none.
std::optional<PryndaQueue> PryndaQueueBehind(const std::string& target, const AskQueue& ask);

struct TBackendJob {
  std::string Executable;  // where a settings file may stand beside it; "" for none
  std::string InputFile;   // the job's bytes
  std::string Target;      // the queue to print on
  std::string Title;
  std::string User;        // the job's user, {user} of the archive
  int Copies = 1;
  std::string Options;     // Prynda's options, from MapBackendOptions
  int MaxPages = 0;        // prynda-max-pages as the job has it (the queue's default if not its own)
  int QueueMaxPages = 0;   // the queue's own default for prynda-max-pages; 0 when it has none
};

// Prints the job on `job.Target`, which must be one of `system`'s printers; reports on `log` as
// said above and returns the exit code. The input file is never removed, whatever the settings
// file says, and nothing waits for Enter. The job prints at most a page limit: the queue's
// prynda-max-pages, else MaxPages of the settings file, else kDefaultPageLimit; the job's own
// prynda-max-pages may lower it, never raise it. A job that would print more is cancelled whole.
// Where the system's settings file names an archive, a job that prints is archived through
// `archive_contexts` ({user} the job's user, {name} its title without an extension); one whose
// archive fails says so in an ERROR: line and still ends with 0, since it has been printed.
int PrintBackendJob(const TBackendJob& job, PrintSystem& system, std::ostream& log,
                    ArchiveContextMaker archive_contexts = {});

}  // namespace prynda
