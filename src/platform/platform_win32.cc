// The system's services on Windows: the user's name, the console's own code page, the system's
// colours and beep; settings lie beside the program.
#include "platform/platform.h"

#include <windows.h>

#include <string>

namespace prynda {

int ConsoleCodePageFromEnvironment() {
  const UINT code_page = GetConsoleOutputCP();
  return code_page != 0 ? static_cast<int>(code_page) : 852;
}

std::uint32_t StandardSystemColor(int index) { return GetSysColor(index); }

void ConsoleBeep() { MessageBeep(0); }

std::string ProgramUserName() {
  char name[257];
  DWORD size = sizeof name;
  if (GetUserNameA(name, &size) && size > 1) return std::string(name, size - 1);
  return "user";
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  localtime_s(&local, &when);
  return local;
}

std::string UserSettingsFolder(const char*, const char*) { return {}; }

bool HasSystemSettingsFolder() { return false; }

std::string ExecutableInRootsFolder(const std::string& executable) { return executable; }

}  // namespace prynda
