// Builds the platform's print system and runs one job.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "device/console.h"
#include "device/files.h"
#include "device/platform_print_system.h"
#include "device/stop_requests.h"
#include "jobcontrol/job_flow.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);  // a closed console is reported as a write failure
#endif
  prynda::InstallStopHandlers();
  std::vector<std::string> params(argv, argv + argc);
  if (!params.empty()) params[0] = prynda::ExecutablePath(params[0]);
  auto platform = prynda::MakePlatformPrintSystem();
  return prynda::RunProgram(std::move(params), *platform.Printers, std::cout, std::cin, std::cerr,
                            prynda::ConsoleCodePageFromEnvironment(), platform.ArchiveContexts);
}
