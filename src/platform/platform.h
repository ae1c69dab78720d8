// What the program asks of the operating system beyond files, the console's streams, text
// encodings and stop requests: who runs it, the system's colours and bell, the console's code
// page, the local time, and where settings lie (platform_posix.cc, platform_win32.cc).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace prynda {

// The name of the user the program runs as; its number where the system has no name for it.
std::string ProgramUserName();

// The system's colour `index` (the numbers of Windows' system colours: 5 window background,
// 8 window text, 15 button face ...) as 0x00BBGGRR. On Linux backgrounds and faces are white,
// everything drawn on them black.
std::uint32_t StandardSystemColor(int index);

// The bell: a beep on the terminal, when there is one to hear it.
void ConsoleBeep();

// The console's code page: on Linux UTF-8 (65001) when the first set of LC_ALL, LC_CTYPE and
// LANG names that charset, else 852; on Windows the console's output code page (852 without a
// console).
int ConsoleCodePageFromEnvironment();

// The local time of `when`.
std::tm LocalTime(std::time_t when);

// The folder of the user's settings: `config_home` ($XDG_CONFIG_HOME), else `home`/.config
// ($HOME), where a value that is not an absolute path counts as not set; "" without either, and
// on Windows, where a program's settings lie beside it.
std::string UserSettingsFolder(const char* config_home, const char* home);
// Whether the system's settings are read from the folder the installation put them in (Linux);
// on Windows they lie beside the program.
bool HasSystemSettingsFolder();

// `executable` when the folder it lies in belongs to root and nobody else may write in it, else
// "" (also for an empty path). On Windows always `executable`.
std::string ExecutableInRootsFolder(const std::string& executable);

}  // namespace prynda
