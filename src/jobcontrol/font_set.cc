#include "jobcontrol/font_set.h"

#include <string>

#include "jobcontrol/settings_file.h"

namespace prynda {

namespace {

constexpr std::uint8_t kCentralEuropean = 238;

}  // namespace

void SetUpFontSet(TJobContext& job) {
  const TNameList& faces = job.CurrentPrinter.FontNames();
  std::string& base = job.Settings.BaseFontName;
  if (!faces.Empty() && faces.IndexOf(base) < 0) {
    if (faces.IndexOf("Courier New") >= 0) {
      base = "Courier New";
    } else if (faces.IndexOf("Arial") >= 0) {
      base = "Arial";
    } else {
      base = faces[0].substr(0, kMaxBaseFontNameLength);
    }
  }
  for (const TFontSlot& slot : kFontSlots) {
    TFont& font = job.Font(slot.Font);
    font.SetCharset(kCentralEuropean);
    font.SetColor(clWindowText);
    font.SetHeight(slot.Height);
    font.SetName(base);
    font.SetPitch(TFontPitch::fpDefault);
    font.SetSize(slot.Size);
    font.SetStyle(0);
  }
}

void LoadFontSection(TJobContext& job, const TMemIniFile& settings, TFont& font, std::string_view suffix) {
  const std::string section = std::string(kSettingsSection) + "\\FontDialog_" + std::string(suffix) + "_Font";
  if (!settings.HasKey(section, "Name")) {
    job.Console.Line("Brak sekcji czcionki: ", section);
    return;
  }
  const std::string name = settings.ReadText(section, "Name", "");
  if (job.CurrentPrinter.FontNames().IndexOf(name) < 0) {
    job.Console.Line("Czcionki ", suffix, " nie odnaleziono w drukarce");
    return;
  }
  font.SetName(name);
  font.SetHeight(settings.ReadNumber(section, "Height", -11));
  font.SetColor(settings.ReadNumber(section, "Color", clWindowText));
  const std::int32_t charset = settings.ReadNumber(section, "Charset", kCentralEuropean);
  font.SetCharset(charset >= 0 && charset <= 255 ? static_cast<std::uint8_t>(charset) : kCentralEuropean);
  font.SetSize(settings.ReadNumber(section, "Size", 8));
  font.SetPitch(TFontPitch::fpDefault);
  font.SetStyle(0);
}

}  // namespace prynda
