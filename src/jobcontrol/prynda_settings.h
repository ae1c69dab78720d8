// Settings of our own, beyond the fields of TJobSettings: the section [Prynda] of the settings file
// and the options that go with it. Built-in values here; the settings file, then the command line,
// overwrite them before the banner; from then on they are only read.
#pragma once

#include <string_view>

#include "device/mem_ini_file.h"

namespace prynda {

enum class EmulationKind {
  Default,  // our own dialect: the ESC subset and the 0xFA prefix commands
  Fx,       // Epson ESC/P (9-pin FX/LX; with "180", the 24-pin LQ/ESC/P2 units)
};

struct PryndaSettings {
  EmulationKind Emulation = EmulationKind::Default;  // key "Emulation" (FX), option "/FX"
  bool AutoCR = false;  // key "AutoCR", option "/LF": in the default dialect a line feed also returns the carriage
};

inline constexpr std::string_view kPryndaSection = "Prynda";

// Reads the section [Prynda]; a missing key gives the built-in value, an unknown key or value is
// ignored.
void ReadPryndaSection(const TMemIniFile& ini, PryndaSettings& settings);

// "/FX" and "/LF" in the option string (upper case, as BuildOptionString makes it); an option that
// is absent leaves its field as it is.
void ApplyPryndaOptions(std::string_view options, PryndaSettings& settings);

}  // namespace prynda
