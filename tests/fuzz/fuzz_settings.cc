// The settings file over arbitrary text: the reader, and the whole settings step of a job (keys,
// the printer choice, the six font sections) on the recording print system.
#include <cstdint>
#include <string>
#include <string_view>

#include "fakes/recording_print_system.h"
#include "fuzz/fuzz_job.h"
#include "jobcontrol/settings_file.h"
#include "platform/mem_ini_file.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const TMemIniFile ini = TMemIniFile::FromText(text);
  // Keys and sections named by the text itself, so that what it defines is also looked up.
  const std::size_t cut = text.find('|');
  const std::string_view section = cut == std::string_view::npos ? "FormKelvra" : text.substr(0, cut);
  const std::string_view key = cut == std::string_view::npos ? "RAMKA" : text.substr(cut + 1, 16);
  ini.ReadText(section, key, "default");
  ini.ReadNumber(section, key, 7);
  ParseSettingsInteger(text.substr(0, 40));

  testing::RecordingPrintSystem system;
  system.Printers.push_back(testing::FakePrinter{"Kyocera"});
  fuzzing::FuzzJob fuzz(system);
  fuzzing::WriteFile("prynda.INI", data, size);
  SetUpFontSet(fuzz.job);
  ReadSettingsFile(fuzz.job);
  return 0;
}
