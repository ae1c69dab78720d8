// The banner and the usage text, as the console shows them.
#pragma once

#include <array>
#include <string_view>

namespace prynda {

inline constexpr std::string_view kBannerMaker =
    "Prynda - wydruk plików DOS na dzisiejszych drukarkach (c) 2026 zespół Prynda";
inline constexpr std::string_view kBannerVersion =
    "Wydruk plików RAW-TXT kodowanie \".kv\" na Windows GDI wersja 2007.03.26";

extern const std::array<std::string_view, 20> kUsageLines;

}  // namespace prynda
