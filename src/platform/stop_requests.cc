#include "platform/stop_requests.h"

namespace prynda {

namespace detail {
std::atomic<int> stop_request{0};
std::atomic<bool> document_open{false};
}  // namespace detail

void RaiseJobStopped(int request) {
  throw JobInterrupted("Zadanie przerwane (" + StopRequestName(request) + "): anulowane, nic nie wydrukowano");
}

void RaiseStoppedAfterJob(int request) {
  throw JobInterrupted("Przerwano (" + StopRequestName(request) + ") po wykonaniu zadania");
}

}  // namespace prynda
