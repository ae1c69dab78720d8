// Settings of our own, beyond the fields of TJobSettings: the section [Prynda] of the settings file
// and the options that go with it. Built-in values here; the settings file, then the command line,
// overwrite them before the banner; from then on they are only read.
#pragma once

#include <optional>
#include <string_view>

#include "device/mem_ini_file.h"
#include "translation/code_pages.h"

namespace prynda {

enum class EmulationKind {
  Default,  // our own dialect: the ESC subset and the 0xFA prefix commands
  Fx,       // Epson ESC/P (9-pin FX/LX; with "180", the 24-pin LQ/ESC/P2 units)
};

struct PryndaSettings {
  EmulationKind Emulation = EmulationKind::Default;  // key "Emulation" (FX), option "/FX"
  bool AutoCR = false;  // key "AutoCR", option "/LF": in the default dialect a line feed also returns the carriage
  // FX mode's character table: key "CodePage" and option "/CP=nnn" by number (CodePage=MAZ too),
  // option "MAZ"; none given, PC852, or Mazovia where the key "PL" says so.
  std::optional<CodePageId> CodePage;
};

inline constexpr std::string_view kPryndaSection = "Prynda";

// Reads the section [Prynda]; a missing key gives the built-in value, an unknown key or value is
// ignored.
void ReadPryndaSection(const TMemIniFile& ini, PryndaSettings& settings);

// "/FX", "/LF", "MAZ" and "/CP=nnn" in the option string (upper case, as BuildOptionString makes it); an option that
// is absent leaves its field as it is.
void ApplyPryndaOptions(std::string_view options, PryndaSettings& settings);

// The table FX mode prints with: the one chosen above, else Mazovia where `mazovia` (PL=1) says so,
// else PC852.
const CodePage& FxCodePage(const PryndaSettings& settings, bool mazovia);

}  // namespace prynda
