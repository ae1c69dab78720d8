#include "jobcontrol/prynda_settings.h"

#include <charconv>
#include <string>

#include "device/name_list.h"
#include "jobcontrol/settings_file.h"

namespace prynda {

namespace {

// A whole number from `low` to `high`, blanks around it allowed; 0 for anything else.
int WholeNumber(std::string_view text, int low, int high) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return 0;
  return value;
}

// Millimetres, negative too, decimals with a point, within a metre either way; 0 otherwise.
double Millimetres(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !(value >= -1000 && value <= 1000)) return 0;
  return value;
}

OrientationChoice OrientationOf(std::string_view text) {
  if (SameTextIgnoringCase(text, "Portrait")) return OrientationChoice::Portrait;
  if (SameTextIgnoringCase(text, "Landscape")) return OrientationChoice::Landscape;
  if (SameTextIgnoringCase(text, "Auto")) return OrientationChoice::Auto;
  return OrientationChoice::File;
}

}  // namespace

void ReadPryndaSection(const TMemIniFile& ini, PryndaSettings& settings) {
  const std::string emulation = ini.ReadText(kPryndaSection, "Emulation", "");
  settings.Emulation = SameTextIgnoringCase(emulation, "FX") ? EmulationKind::Fx : EmulationKind::Default;
  settings.AutoCR = SettingFlag(ini.ReadText(kPryndaSection, "AutoCR", "F"));
  settings.Paper = PaperByName(ini.ReadText(kPryndaSection, "Paper", ""));
  settings.FormLength = WholeNumber(ini.ReadText(kPryndaSection, "FormLength", ""), 1, 999);
  settings.FormWidth = WholeNumber(ini.ReadText(kPryndaSection, "FormWidth", ""), 1, 999);
  settings.Fit = SettingFlag(ini.ReadText(kPryndaSection, "Fit", "F"));
  settings.Orientation = OrientationOf(ini.ReadText(kPryndaSection, "Orientation", ""));
  settings.OffsetXMm = Millimetres(ini.ReadText(kPryndaSection, "OffsetX", ""));
  settings.OffsetYMm = Millimetres(ini.ReadText(kPryndaSection, "OffsetY", ""));
}

void ApplyPryndaOptions(std::string_view options, PryndaSettings& settings) {
  if (options.find("/FX") != std::string_view::npos) settings.Emulation = EmulationKind::Fx;
  if (options.find("/LF") != std::string_view::npos) settings.AutoCR = true;
  if (options.find("/FIT") != std::string_view::npos) settings.Fit = true;
}

}  // namespace prynda
