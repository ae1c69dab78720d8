// Stop requests on Windows: Ctrl+C, Ctrl+Break and closing the console window. The console runs
// its handler on a thread of its own.
#include "platform/stop_requests.h"

#include <windows.h>

#include <string>

namespace prynda {

namespace {

HANDLE document_closed = nullptr;  // set while no document is open

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  if (!detail::document_open.load()) ExitProcess(1);
  detail::stop_request.store(static_cast<int>(event) + 1);
  // When the window closes, the process ends as soon as this returns: give the job its time to
  // cancel the document first (the system allows about five seconds).
  if (event == CTRL_CLOSE_EVENT && document_closed != nullptr) WaitForSingleObject(document_closed, 4000);
  return TRUE;
}

}  // namespace

std::string StopRequestName(int request) {
  switch (request - 1) {
    case CTRL_C_EVENT: return "Ctrl+C";
    case CTRL_BREAK_EVENT: return "Ctrl+Break";
    case CTRL_CLOSE_EVENT: return "zamknięcie konsoli";
    default: return "zdarzenie " + std::to_string(request - 1);
  }
}

void InstallStopHandlers() {
  document_closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void SetDocumentOpen(bool open) {
  if (open && document_closed != nullptr) ResetEvent(document_closed);
  detail::document_open.store(open);
  if (!open && document_closed != nullptr) SetEvent(document_closed);
}

}  // namespace prynda
