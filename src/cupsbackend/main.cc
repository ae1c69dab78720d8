// The CUPS backend "prynda" (backend_job.h): run by the scheduler as
//   prynda job-id user title copies options [file]
// with DEVICE_URI=prynda:/TARGET; without arguments it prints its discovery line.

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "cupsbackend/backend_job.h"
#include "jobcontrol/settings_file.h"
#include "platform/files.h"
#include "platform/name_list.h"
#include "platform/platform.h"
#include "platform/stop_requests.h"
#include "printers/cups/cups_print_system.h"
#include "printers/fonts/font_library.h"

namespace {

int Fail(const std::string& message) {
  std::cerr << "ERROR: " << prynda::LogText(message, std::numeric_limits<std::size_t>::max()) << std::endl;
  return prynda::kBackendFailed;  // the printer's error policy decides what follows
}

// The scheduler starts its backends with HOME (and TMPDIR) at its temporary folder, which every
// filter it runs may write in. What is read from a home - the user's settings file, fontconfig's
// user configuration and caches, our font cache, libcups's client.conf and lpoptions - would be
// anyone's there: without these variables only the system's own files are read. Before libcups
// and fontconfig read them.
void ForgetTheHome() {
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS",
                           "XDG_DATA_DIRS", "FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
    ::unsetenv(name);
  }
}

// The queue's own prynda-max-pages (lpadmin -o prynda-max-pages-default=N); 0 when it has none.
int QueuePageLimit(const char* queue) {
  if (queue == nullptr || *queue == '\0') return 0;
  const auto attributes = prynda::QueueAttributes(queue, {"prynda-max-pages-default"});
  if (!attributes || attributes->count("prynda-max-pages-default") == 0) return 0;
  const std::vector<std::string>& values = attributes->at("prynda-max-pages-default");
  if (values.size() != 1) return 0;
  return prynda::PageLimit(values.front()).value_or(0);
}

std::optional<prynda::QueueFacts> AskScheduler(const std::string& queue) {
  const auto attributes = prynda::QueueAttributes(queue, {"device-uri", "member-names"});
  if (!attributes) return std::nullopt;
  prynda::QueueFacts facts;
  if (auto uri = attributes->find("device-uri"); uri != attributes->end() && !uri->second.empty()) {
    facts.DeviceUri = uri->second.front();
  }
  if (auto members = attributes->find("member-names"); members != attributes->end()) facts.Members = members->second;
  return facts;
}

}  // namespace

int main(int argc, char** argv) {
  ForgetTheHome();
  std::signal(SIGPIPE, SIG_IGN);
  if (argc == 1) {
    std::cout << prynda::kBackendDiscoveryLine << std::endl;
    return 0;
  }
  if (argc != 6 && argc != 7) {
    std::cerr << "Usage: " << argv[0] << " job-id user title copies options [file]" << std::endl;
    return prynda::kBackendFailed;
  }
  prynda::InstallStopHandlers();

  const char* device_uri = std::getenv("DEVICE_URI");
  const std::string uri = device_uri != nullptr ? device_uri : argv[0];
  const auto target = prynda::TargetQueue(uri);
  if (!target) return Fail("The device URI " + prynda::LogText(uri) + " names no queue: it must be prynda:/QUEUE");

  if (!prynda::SubmitJobsAs(argv[2])) return Fail("libcups cannot be loaded");
  const prynda::TBackendOptions options = prynda::MapBackendOptions(prynda::ParseCupsOptions(argv[5]));
  for (const std::string& name : options.Ignored) {
    std::cerr << "WARNING: Unknown option " << prynda::LogText(name) << " ignored" << std::endl;
  }
  if (!options.Error.empty()) return Fail(options.Error);

  // The queue this job came to, as the scheduler names it to its backends.
  const char* queue = std::getenv("PRINTER");
  prynda::TBackendJob job;
  // A settings file beside the backend counts only where nobody but root could have put it.
  job.Executable = prynda::ExecutableInRootsFolder(prynda::ExecutablePath(argv[0]));
  job.Target = *target;
  job.Title = argv[3];
  job.User = argv[2];
  job.Copies = std::atoi(argv[4]);
  job.Options = options.Options;
  job.MaxPages = options.MaxPages;
  job.QueueMaxPages = QueuePageLimit(queue);
  // Standard input is kept in a file that has no name, so that nothing is left behind however
  // the backend ends.
  prynda::HiddenFile standard_input;
  if (argc == 7) {
    job.InputFile = argv[6];
  } else {
    if (!standard_input.TakeStandardInput()) return Fail("Cannot keep the job's data for printing");
    job.InputFile = standard_input.Path();
  }

  // A queue that prints through this backend again would hand the job round for ever; so would
  // a class that holds one. Past other schedulers the job's mark stops it.
  if (const auto behind = prynda::PryndaQueueBehind(job.Target, AskScheduler)) {
    const std::string uri_shown = " (" + prynda::LogText(behind->DeviceUri) + "); choose a printer's queue";
    if (prynda::SameTextIgnoringCase(behind->Queue, job.Target)) {
      return Fail("Queue " + prynda::LogText(job.Target) + " prints through prynda itself" + uri_shown);
    }
    return Fail("Queue " + prynda::LogText(job.Target) + " holds " + prynda::LogText(behind->Queue) +
                ", which prints through prynda itself" + uri_shown);
  }
  const auto fonts = std::make_shared<prynda::FontLibrary>();
  prynda::CupsPrintSystem system(fonts);
  system.AddJobOption(std::string(prynda::kPrintedByOption), queue != nullptr && *queue != '\0' ? queue : "prynda");
  return prynda::PrintBackendJob(job, system, std::cerr, prynda::PdfArchiveContexts(fonts));
}
