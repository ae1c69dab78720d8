// The platform's services on Linux: the printers of CUPS, the console's code page from the locale,
// the bell on the terminal.
#include "device/platform_print_system.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "device/console.h"
#include "device/cups/cups_print_system.h"
#include "device/text_encoding.h"

namespace prynda {

namespace {

bool NamesUtf8(std::string_view locale) {
  std::string lower;
  for (char c : locale) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

std::unique_ptr<PrintSystem> SystemPrinters(std::shared_ptr<FontLibrary> fonts) {
  return std::make_unique<CupsPrintSystem>(std::move(fonts));
}

int ConsoleCodePageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return NamesUtf8(value) ? kCodePageUtf8 : 852;
  }
  return 852;
}

TRgb StandardSystemColor(int index) {
  // Window backgrounds and button faces are white, everything drawn on them black.
  return (index == 5 || index == 15) ? 0xFFFFFF : 0x000000;
}

std::string ProgramUserName() {
  const uid_t uid = ::geteuid();
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_name != nullptr && *found->pw_name != '\0') {
    return found->pw_name;
  }
  return std::to_string(uid);
}

void ConsoleBeep() {
  if (::isatty(STDERR_FILENO)) {
    const char bell = '\a';
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, &bell, 1);
  }
}

}  // namespace prynda
