// Stop requests on Linux: SIGINT, SIGTERM and SIGHUP.
#include "platform/stop_requests.h"

#include <signal.h>
#include <unistd.h>

#include <string>

namespace prynda {

namespace {

extern "C" void OnStopSignal(int signal) {
  // Only what is safe in a handler: an atomic store, or _exit when there is nothing to clean up.
  if (!detail::document_open.load()) ::_exit(1);
  detail::stop_request.store(signal);
}

}  // namespace

std::string StopRequestName(int request) {
  switch (request) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "sygnał " + std::to_string(request);
  }
}

void InstallStopHandlers() {
  static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the job's loop notices the request; no call in flight fails for it
    ::sigaction(signal, &action, nullptr);
  }
}

void SetDocumentOpen(bool open) { detail::document_open.store(open); }

}  // namespace prynda
