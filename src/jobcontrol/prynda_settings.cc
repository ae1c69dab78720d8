#include "jobcontrol/prynda_settings.h"

#include <string>

#include "device/name_list.h"
#include "jobcontrol/settings_file.h"

namespace prynda {

void ReadPryndaSection(const TMemIniFile& ini, PryndaSettings& settings) {
  const std::string emulation = ini.ReadText(kPryndaSection, "Emulation", "");
  settings.Emulation = SameTextIgnoringCase(emulation, "FX") ? EmulationKind::Fx : EmulationKind::Default;
  settings.AutoCR = SettingFlag(ini.ReadText(kPryndaSection, "AutoCR", "F"));
}

void ApplyPryndaOptions(std::string_view options, PryndaSettings& settings) {
  if (options.find("/FX") != std::string_view::npos) settings.Emulation = EmulationKind::Fx;
  if (options.find("/LF") != std::string_view::npos) settings.AutoCR = true;
}

}  // namespace prynda
