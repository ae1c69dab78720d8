// The platform's services on Windows: the printers of the spooler through GDI, the console's own
// code page, the system's colours and beep.
#include "device/platform_print_system.h"

#include <windows.h>

#include <string>

#include "device/console.h"
#include "device/gdi/gdi_print_system.h"

namespace prynda {

std::unique_ptr<PrintSystem> SystemPrinters(std::shared_ptr<FontLibrary>) {
  return std::make_unique<GdiPrintSystem>();
}

int ConsoleCodePageFromEnvironment() {
  const UINT code_page = GetConsoleOutputCP();
  return code_page != 0 ? static_cast<int>(code_page) : 852;
}

TRgb StandardSystemColor(int index) { return GetSysColor(index); }

void ConsoleBeep() { MessageBeep(0); }

std::string ProgramUserName() {
  char name[257];
  DWORD size = sizeof name;
  if (GetUserNameA(name, &size) && size > 1) return std::string(name, size - 1);
  return "user";
}

}  // namespace prynda
