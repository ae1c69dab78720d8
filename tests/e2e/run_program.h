// Runs the built program as a user would: arguments, environment, text on standard input; returns
// what it wrote and its exit code.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace prynda::testing {

struct ProgramRun {
  std::string Out;
  std::string Err;
  int ExitCode = -1;
  long PeakRssKb = 0;  // of the program, though never below that of the test process it forked from
  double Seconds = 0;
};

struct ProgramOptions {
  std::string Executable = PRYNDA_EXE;
  std::vector<std::string> Args;         // after the program's name
  // Added to a clean environment: PATH, LC_ALL=C, and CUPS_SERVER naming no scheduler, so that
  // the printers of the machine running the tests never show.
  std::map<std::string, std::string> Env;
  std::string Input;                      // standard input; closed after it
  std::string WorkDir;                    // "" = the current folder
  std::function<void()> WhileRunning;     // called once the program has started
  // Called with the program's process id and all it has written to standard output so far,
  // each time more arrives.
  std::function<void(int pid, const std::string& out)> OnOutput;
  bool NoStdin = false;                   // start with standard input closed altogether
  bool HoldStdin = false;                 // keep standard input open (and silent) until the end
  int TimeoutSeconds = 60;                // a program still running then is killed
};

ProgramRun RunPrynda(const ProgramOptions& options);

}  // namespace prynda::testing
