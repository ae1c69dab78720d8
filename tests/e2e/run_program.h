// Runs the built program as a user would: arguments, environment, text on standard input; returns
// what it wrote and its exit code.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace prynda::testing {

struct ProgramRun {
  std::string Out;
  std::string Err;
  int ExitCode = -1;
};

struct ProgramOptions {
  std::string Executable = PRYNDA_EXE;
  std::vector<std::string> Args;         // after the program's name
  std::map<std::string, std::string> Env;  // added to a clean environment (PATH, LC_ALL=C)
  std::string Input;                      // standard input; closed after it
  std::string WorkDir;                    // "" = the current folder
};

ProgramRun RunPrynda(const ProgramOptions& options);

}  // namespace prynda::testing
