// The system's services on Linux: the user from the password database, the console's code page
// from the locale, the bell on the terminal, the settings folders of the XDG rules.
#include "platform/platform.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"

namespace prynda {

namespace {

bool NamesUtf8(std::string_view locale) {
  std::string lower;
  for (char c : locale) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

int ConsoleCodePageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return NamesUtf8(value) ? kCodePageUtf8 : 852;
  }
  return 852;
}

std::uint32_t StandardSystemColor(int index) {
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

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  return local;
}

std::string UserSettingsFolder(const char* config_home, const char* home) {
  if (config_home != nullptr && config_home[0] == '/') return config_home;
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.config";
  return {};
}

bool HasSystemSettingsFolder() { return true; }

std::string ExecutableInRootsFolder(const std::string& executable) {
  const std::filesystem::path folder = std::filesystem::path(executable).parent_path();
  struct stat info {};
  if (executable.empty() || folder.empty() || ::stat(folder.c_str(), &info) != 0) return {};
  const bool roots = S_ISDIR(info.st_mode) && info.st_uid == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
  return roots ? executable : std::string();
}

}  // namespace prynda
