// What the printers that hand a document on as it is (PrintSystem::PassOn) share: reading it from
// its file, and running the program that turns it into what the printer takes (Ghostscript)
// without a shell, its arguments as a vector, in a box of limits (pass_on_posix.cc,
// pass_on_win32.cc).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/print_system.h"

namespace prynda {

// Takes the bytes of a document as they come; raises to stop it.
using DocumentBytes = std::function<void(const unsigned char* data, std::size_t size)>;

// Hands the file at `path`, from byte `offset` to its end, to `write` block by block. A stop
// request between blocks raises JobInterrupted; EPrinter when the file cannot be opened or read,
// or is shorter than `offset`.
void ReadDocument(const std::string& path, std::uint64_t offset, const DocumentBytes& write);

struct ProgramResult {
  int ExitCode = 0;    // a program ended by a signal: 128 + its number
  std::string Errors;  // what it wrote on standard error (its first 64 KiB)
};

// What a program run on a job may take. The defaults let Ghostscript print an office document of
// scanned pages at a printer's full resolution with room to spare (docs/reliability.md).
struct ProgramBox {
  int Seconds = kDefaultProgramSeconds;  // on the clock, from its start
  // Its address space on Linux, its committed memory on Windows.
  std::uint64_t MemoryBytes = std::uint64_t{1} << 30;
  // What it writes on standard output; also, on Linux, any one file it writes, and all it keeps in
  // its temporary folder together (files counted in whole 4 KiB blocks, looked at once a second).
  std::uint64_t OutputBytes = std::uint64_t{1} << 30;
};

// The box of a program run on the document of `info`: the defaults, its time from the job.
ProgramBox BoxFor(const TDocInfo& info);

enum class ProgramLimit { Time, Memory, Output };

// A program ran past a limit of its box and was ended: nothing it made may be used. Its text, for
// the log, names the program, the limit and its value.
class ProgramLimitExceeded : public std::runtime_error {
 public:
  ProgramLimitExceeded(const std::string& program, ProgramLimit limit, std::uint64_t value);
  ProgramLimit Limit() const { return limit_; }
  std::uint64_t Value() const { return value_; }  // seconds for Time, bytes for the others

 private:
  ProgramLimit limit_;
  std::uint64_t value_;
};

// Runs `args` (args[0] the program: a path, or a name looked up on PATH) with the file at `path`
// from byte `offset` on as its standard input, hands what it writes on standard output to
// `output` as it comes (without `output` it goes with the errors), and waits for it to end.
// It runs in `box`: in a process group (a job object on Windows) of its own, with a temporary
// folder of its own (TMPDIR, TEMP and TMP name it; the rest of the environment is ours), which is
// removed with all in it however the run ends. nullopt when there is no such program. EPrinter
// when it cannot be started or boxed, or the file cannot be read from `offset`;
// ProgramLimitExceeded past a limit (memory as well as its failure tells: Ghostscript's VMerror,
// or a crash near the limit). A stop request meanwhile, a limit passed or `output` raising ends
// the program and all it started first; the request raises JobInterrupted.
std::optional<ProgramResult> RunProgramOnDocument(const std::vector<std::string>& args, const std::string& path,
                                                  std::uint64_t offset, const DocumentBytes& output,
                                                  const ProgramBox& box);

// Ghostscript's console program: "gs" on PATH on Linux; on Windows gswin64c.exe of the newest GPL
// Ghostscript the registry lists, else one on PATH, "" when there is none.
std::string GhostscriptProgram();
// How to get Ghostscript, for the message that says it is needed.
const char* GhostscriptHint();

// Why Ghostscript failed, in one line: its first error line, else its first line, else its exit
// code.
std::string GhostscriptFailure(const ProgramResult& result);

// The PDF Ghostscript's pdfwrite makes of the PostScript document in the file at `path` from
// `offset` on, handed to `write` as it comes, Ghostscript run in `box`. NoGhostscript where none
// is installed; Failed where Ghostscript fails on the document, NoPdf where it ends well but
// makes no PDF of it (a document that sends its pages elsewhere with an OutputFile of its own),
// the reason in Detail. Raises as RunProgramOnDocument does.
struct PostScriptPdf {
  enum class Outcome { Made, NoGhostscript, Failed, NoPdf } Result = Outcome::Made;
  std::string Detail;
};
PostScriptPdf PdfOfPostScript(const std::string& path, std::uint64_t offset, const DocumentBytes& write,
                              const ProgramBox& box);

}  // namespace prynda
