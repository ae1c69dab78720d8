#include "jobcontrol/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "jobcontrol/font_set.h"
#include "jobcontrol/options.h"
#include "jobcontrol/printer_selection.h"
#include "jobcontrol/prynda_section.h"
#include "platform/mem_ini_file.h"
#include "platform/name_list.h"
#include "platform/platform.h"

namespace prynda {

namespace fs = std::filesystem;

namespace {

// A regular file at `path`; where letter case makes names differ, a file in the same folder whose
// name differs only in case (the exact name first, then the first in name order).
std::optional<std::string> FindFileIgnoringCase(const std::string& path) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) return path;
  const fs::path wanted(path);
  fs::path folder = wanted.parent_path();
  if (folder.empty()) folder = ".";
  const std::string name = wanted.filename().string();
  std::optional<std::string> best;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string candidate = it->path().filename().string();
    if (!SameTextIgnoringCase(candidate, name)) continue;
    std::error_code type_error;
    if (!fs::is_regular_file(it->path(), type_error)) continue;
    if (!best || candidate < fs::path(*best).filename().string()) best = it->path().string();
  }
  return best;
}

std::string CutPath(std::string path) {
  if (path.size() > kMaxSettingsPathLength) path.resize(kMaxSettingsPathLength);
  return path;
}

}  // namespace

bool SettingFlag(std::string_view text) {
  return !text.empty() && (text[0] == '1' || text[0] == 'T' || text[0] == 'Y' || text[0] == 't');
}

std::optional<std::string> LocateSettingsFile(const std::string& executable,
                                              const std::vector<std::string>& further) {
  if (!executable.empty()) {
    fs::path beside(executable);
    beside.replace_extension(".INI");
    if (auto found = FindFileIgnoringCase(CutPath(beside.string()))) return found;
    const fs::path folder = fs::path(executable).parent_path();
    if (auto found = FindFileIgnoringCase(CutPath((folder / "Lodvig.ini").string()))) return found;
  }
  for (const std::string& path : further) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) return path;
  }
  return std::nullopt;
}

std::vector<std::string> UserAndSystemSettingsFiles(const char* config_home, const char* home) {
  std::vector<std::string> files;
  const std::string user = UserSettingsFolder(config_home, home);
  if (!user.empty()) files.push_back(user + "/prynda/prynda.ini");
  if (HasSystemSettingsFolder()) files.emplace_back(kSystemSettingsFile);
  return files;
}

void ReadSettingsFile(TJobContext& job) {
  try {
    const auto path = LocateSettingsFile(job.Params.empty() ? std::string() : job.Params[0],
                                         UserAndSystemSettingsFiles(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    if (!path) return;
    const TMemIniFile ini(*path);
    const std::string_view s = kSettingsSection;
    TJobSettings& settings = job.Settings;
    settings.DeleteAfterPrint = SettingFlag(ini.ReadText(s, "USUN", "F"));
    settings.Scale216 = ini.ReadNumber(s, "iteracja", 0) == 0;
    if (ini.ReadNumber(s, "PL", 0) == 1) settings.CodePage = CodePageId::Mazovia;
    settings.FrameWidth = ini.ReadNumber(s, "RAMKA", 1);
    settings.TopMarginLines = ini.ReadNumber(s, "LINEY", 0);
    settings.ForceFF = SettingFlag(ini.ReadText(s, "ForceFF", "F"));
    settings.FFLines = SettingFlag(ini.ReadText(s, "FF_LINES", "False"));
    settings.FFNLines = ini.ReadNumber(s, "FF_NLINES", 60);
    settings.Truncate = SettingFlag(ini.ReadText(s, "TRUNCATE", "F"));
    settings.IgnoreNull = SettingFlag(ini.ReadText(s, "IgnoreNULL", "F"));
    // Before the printer and the fonts, whose failures end the step: the emulation decides how
    // the whole file is read.
    ReadPryndaSection(ini, job.Prynda);
    if (!settings.PrinterGiven) {
      std::string printer = ini.ReadText(s, "PRINTER", "");
      if (printer.size() > kMaxPrinterNameLength) printer.resize(kMaxPrinterNameLength);
      if (!printer.empty()) SelectPrinterByName(job, printer);
    }
    for (const TFontSlot& slot : kFontSlots) LoadFontSection(job, ini, job.Font(slot.Font), slot.Suffix);
  } catch (...) {
    // An unreadable settings file, or a failure while a printer or a font is set, ends the step.
  }
}

}  // namespace prynda
