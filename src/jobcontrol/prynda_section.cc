#include "jobcontrol/prynda_section.h"

#include <charconv>
#include <string>

#include "jobcontrol/settings_file.h"
#include "platform/name_list.h"
#include "render/escp/typefaces.h"

namespace prynda {

namespace {

constexpr int kMaxPageLimit = 100'000'000;
constexpr int kMostProgramSeconds = 3600;

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
double Offset(std::string_view text) {
  const std::optional<double> mm = ReadMillimetres(text);
  return mm && *mm >= -1000 && *mm <= 1000 ? *mm : 0;
}

OrientationChoice OrientationOf(std::string_view text) {
  if (SameTextIgnoringCase(text, "Portrait")) return OrientationChoice::Portrait;
  if (SameTextIgnoringCase(text, "Landscape")) return OrientationChoice::Landscape;
  if (SameTextIgnoringCase(text, "Auto")) return OrientationChoice::Auto;
  return OrientationChoice::File;
}

// A table's number (437, 852, 88592 ...) at the start of `text`, or MAZ; nullopt for anything else.
std::optional<CodePageId> CodePageNamed(std::string_view text) {
  if (text.size() >= 3 && SameTextIgnoringCase(text.substr(0, 3), "MAZ")) return CodePageId::Mazovia;
  int number = 0;
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (++digits <= 5) number = number * 10 + (text[digits - 1] - '0');
  }
  const CodePage* page = digits > 0 && digits <= 5 ? FindCodePage(number) : nullptr;
  if (page == nullptr) return std::nullopt;
  return page->Id;
}

}  // namespace

void ReadPryndaSection(const TMemIniFile& ini, PryndaSettings& settings) {
  const std::string emulation = ini.ReadText(kPryndaSection, "Emulation", "");
  settings.Emulation = SameTextIgnoringCase(emulation, "FX")     ? EmulationKind::Fx
                       : SameTextIgnoringCase(emulation, "IBM")  ? EmulationKind::Ibm
                       : SameTextIgnoringCase(emulation, "Auto") ? EmulationKind::Auto
                                                                 : EmulationKind::Own;
  settings.AutoCR = SettingFlag(ini.ReadText(kPryndaSection, "AutoCR", "F"));
  settings.Paper = PaperByName(ini.ReadText(kPryndaSection, "Paper", ""));
  settings.FormLength = WholeNumber(ini.ReadText(kPryndaSection, "FormLength", ""), 1, 999);
  settings.FormWidth = WholeNumber(ini.ReadText(kPryndaSection, "FormWidth", ""), 1, 999);
  settings.Fit = SettingFlag(ini.ReadText(kPryndaSection, "Fit", "F"));
  settings.Orientation = OrientationOf(ini.ReadText(kPryndaSection, "Orientation", ""));
  settings.OffsetXMm = Offset(ini.ReadText(kPryndaSection, "OffsetX", ""));
  settings.OffsetYMm = Offset(ini.ReadText(kPryndaSection, "OffsetY", ""));
  settings.Background = ini.ReadText(kPryndaSection, "Background", "");
  const std::optional<double> qr_module = ReadMillimetres(ini.ReadText(kPryndaSection, "QrModule", ""));
  settings.QrModuleMm = qr_module && *qr_module >= 0.1 && *qr_module <= 10 ? *qr_module : kDefaultQrModuleMm;
  settings.MaxPages = WholeNumber(ini.ReadText(kPryndaSection, "MaxPages", ""), 0, kMaxPageLimit);
  const int program_time = WholeNumber(ini.ReadText(kPryndaSection, "ProgramTime", ""), 1, kMostProgramSeconds);
  settings.ProgramTime = program_time > 0 ? program_time : kDefaultProgramSeconds;
  settings.ArchiveFolder = ini.ReadText(kPryndaSection, "Archive", "");
  settings.ArchiveName = ini.ReadText(kPryndaSection, "ArchiveName", "");
  if (settings.ArchiveName.empty()) settings.ArchiveName = kDefaultArchiveName;
  std::string code_page = ini.ReadText(kPryndaSection, "CodePage", "");
  while (!code_page.empty() && code_page.back() == ' ') code_page.pop_back();
  settings.CodePage = code_page.empty() ? std::nullopt : CodePageNamed(code_page);
  for (const escp::Typeface& family : escp::Typefaces()) {
    std::string face = ini.ReadText(kPryndaSection, family.Key, "");
    if (!face.empty()) settings.TypefaceFaces.insert_or_assign(std::string(family.Key), std::move(face));
  }
}

void ApplyPryndaOptions(std::string_view options, PryndaSettings& settings) {
  // /FX and /IBM say what the job is, whatever /AUTO would find.
  if (options.find("/AUTO") != std::string_view::npos) settings.Emulation = EmulationKind::Auto;
  if (options.find("/IBM") != std::string_view::npos) settings.Emulation = EmulationKind::Ibm;
  if (options.find("/FX") != std::string_view::npos) settings.Emulation = EmulationKind::Fx;
  if (options.find("/LF") != std::string_view::npos) settings.AutoCR = true;
  if (options.find("/FIT") != std::string_view::npos) settings.Fit = true;
  if (options.find("MAZ") != std::string_view::npos) settings.CodePage = CodePageId::Mazovia;
  if (const std::size_t found = options.find("/CP="); found != std::string_view::npos) {
    if (auto named = CodePageNamed(options.substr(found + 4))) settings.CodePage = named;
  }
}

}  // namespace prynda
