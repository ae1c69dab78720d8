// The settings file: beside the executable, the executable's path with the extension ".INI", else
// "Lodvig.ini" in its folder (names matched ignoring letter case); when neither is there, the
// user's and then the system's settings file. Only the first found is read, once, never written;
// any failure while it is read ends the step silently, keeping what was read so far.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_context.h"

namespace prynda {

inline constexpr std::string_view kSettingsSection = "FormKelvra";
inline constexpr std::size_t kMaxSettingsPathLength = 255;
// /etc/prynda/prynda.ini for a program installed below /usr, else etc/prynda/prynda.ini below its
// installation prefix (/usr/local/etc/...): the build says which, as it installs the file there.
inline constexpr std::string_view kSystemSettingsFile = PRYNDA_SYSTEM_SETTINGS_FILE;

// True when the text's first character is 1, T, Y or t.
bool SettingFlag(std::string_view text);

// The settings file for an executable path: the file beside it, else the first of `further` that
// is a file (not a folder); nullopt when there is none.
std::optional<std::string> LocateSettingsFile(const std::string& executable,
                                              const std::vector<std::string>& further = {});

// The settings files of an installed program, in the order they are looked for: the user's,
// $XDG_CONFIG_HOME/prynda/prynda.ini (else $HOME/.config/prynda/prynda.ini; a folder that is not
// an absolute path counts as not set), then the system's, kSystemSettingsFile. None on Windows,
// where the settings file lives beside the program. A program that must trust only the system
// (the CUPS backend, whose HOME is a folder the scheduler's filters share) clears both variables
// first, which leaves the system's.
std::vector<std::string> UserAndSystemSettingsFiles(const char* config_home, const char* home);

// The settings step of the job: job keys, the "PRINTER" key (unless "/DR=" named a printer) and
// the six font sections.
void ReadSettingsFile(TJobContext& job);

}  // namespace prynda
