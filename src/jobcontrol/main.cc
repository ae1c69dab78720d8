// Builds the machine's printers and runs one job.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "jobcontrol/job_flow.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/stop_requests.h"
#include "printers/printers.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);  // a closed console is reported as a write failure
#endif
  prynda::InstallStopHandlers();
  std::vector<std::string> params(argv, argv + argc);
  if (!params.empty()) params[0] = prynda::ExecutablePath(params[0]);
  auto printers = prynda::MakePrinters();
  return prynda::RunProgram(std::move(params), *printers.System, std::cout, std::cin, std::cerr,
                            prynda::ConsoleCodePageFromEnvironment(), printers.ArchiveContexts);
}
