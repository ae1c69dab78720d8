#include "device/stop_requests.h"

namespace prynda {

void RaiseJobStopped(int request) {
  throw JobInterrupted("Zadanie przerwane (" + StopRequestName(request) + "): anulowane, nic nie wydrukowano");
}

void RaiseStoppedAfterJob(int request) {
  throw JobInterrupted("Przerwano (" + StopRequestName(request) + ") po wykonaniu zadania");
}

}  // namespace prynda
