// Requests to stop the program from outside: SIGINT, SIGTERM and SIGHUP; on Windows Ctrl+C,
// Ctrl+Break and closing the console. While no document is open they end the program at once with
// exit code 1, as nothing is open that needs cleaning up. While one is open they are only noted
// (the handler does nothing else); the job's loop asks for them and ends the job as a failed job
// ends, by raising JobInterrupted, so the document is cancelled and the printed file kept.
#pragma once

#include <atomic>
#include <stdexcept>
#include <string>

namespace prynda {

// Once, at the start of main. A signal the program was started with ignored (nohup) stays ignored.
void InstallStopHandlers();

// Marks whether a document is open; TPrinter keeps it.
void SetDocumentOpen(bool open);

namespace detail {
extern std::atomic<int> stop_request;
extern std::atomic<bool> document_open;
}  // namespace detail

// The request that came in (a signal number, or the console event on Windows); 0 when none.
// Cheap enough to ask at every byte of the job.
inline int StopRequest() { return detail::stop_request.load(std::memory_order_relaxed); }

// "SIGTERM", "Ctrl+C" ...: the request as the user knows it.
std::string StopRequestName(int request);

class JobInterrupted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raises JobInterrupted saying that the job was stopped and nothing printed.
[[noreturn]] void RaiseJobStopped(int request);
// Raises JobInterrupted saying that the request came once the job was already complete.
[[noreturn]] void RaiseStoppedAfterJob(int request);

inline void StopIfRequested() {
  if (const int request = StopRequest()) RaiseJobStopped(request);
}

}  // namespace prynda
