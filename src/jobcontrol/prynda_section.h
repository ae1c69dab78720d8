// The section [Prynda] of the settings file and the options of our own that go with it, read into
// the job's PryndaSettings.
#pragma once

#include <string_view>

#include "job/prynda_settings.h"
#include "platform/mem_ini_file.h"

namespace prynda {

inline constexpr std::string_view kPryndaSection = "Prynda";

// Reads the section [Prynda]; a missing key gives the built-in value, an unknown key or value is
// ignored.
void ReadPryndaSection(const TMemIniFile& ini, PryndaSettings& settings);

// "/FX", "/AUTO", "/LF", "/FIT", "MAZ" and "/CP=nnn" in the option string (upper case, as BuildOptionString
// makes it); an option that is absent leaves its field as it is.
void ApplyPryndaOptions(std::string_view options, PryndaSettings& settings);

}  // namespace prynda
