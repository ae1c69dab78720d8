// The settings file beside the executable: the executable's path with the extension ".INI", else
// "Lodvig.ini" in its folder (names matched ignoring letter case). Read once, never written; any
// failure while it is read ends the step silently, keeping what was read so far.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "jobcontrol/job_context.h"

namespace prynda {

inline constexpr std::string_view kSettingsSection = "FormKelvra";
inline constexpr std::size_t kMaxSettingsPathLength = 255;

// True when the text's first character is 1, T, Y or t.
bool SettingFlag(std::string_view text);

// The settings file for an executable path, or nullopt when there is none.
std::optional<std::string> LocateSettingsFile(const std::string& executable);

// The settings step of the job: job keys, the "PRINTER" key (unless "/DR=" named a printer) and
// the six font sections.
void ReadSettingsFile(TJobContext& job);

}  // namespace prynda
