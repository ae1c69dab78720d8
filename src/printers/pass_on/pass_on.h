// What the printers that hand a document on as it is (PrintSystem::PassOn) share: reading it from
// its file, and running the program that turns it into what the printer takes (Ghostscript)
// without a shell, its arguments as a vector (pass_on_posix.cc, pass_on_win32.cc).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// Runs `args` (args[0] the program: a path, or a name looked up on PATH) with the file at `path`
// from byte `offset` on as its standard input, hands what it writes on standard output to
// `output` as it comes (without `output` it goes with the errors), and waits for it to end.
// nullopt when there is no such program. EPrinter when it cannot be started or the file cannot
// be read from `offset`. A stop request meanwhile, or `output` raising, ends the program first;
// the request raises JobInterrupted.
std::optional<ProgramResult> RunProgramOnDocument(const std::vector<std::string>& args, const std::string& path,
                                                  std::uint64_t offset, const DocumentBytes& output);

// Ghostscript's console program: "gs" on PATH on Linux; on Windows gswin64c.exe of the newest GPL
// Ghostscript the registry lists, else one on PATH, "" when there is none.
std::string GhostscriptProgram();
// How to get Ghostscript, for the message that says it is needed.
const char* GhostscriptHint();

// Why Ghostscript failed, in one line: its first error line, else its first line, else its exit
// code.
std::string GhostscriptFailure(const ProgramResult& result);

}  // namespace prynda
