// Sheets of paper by name: the sizes a user can ask for, and a size in millimetres ("210x305").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace prynda {

struct TPaperSize {
  std::string Name;      // as the user wrote it known: "A4", "Letter", "Fanfold12", or "210x305"
  double WidthMm = 0;    // portrait: the shorter side first for the named sheets
  double HeightMm = 0;
  friend bool operator==(const TPaperSize&, const TPaperSize&) = default;
};

// A4, A3, A5, Letter, Legal, Fanfold12 (8.5 x 12 in), Fanfold14 (14.875 x 11 in), letter case
// ignored; or WxH in millimetres, decimals with a point, each side from 10 to 2000 mm. nullopt
// for anything else.
std::optional<TPaperSize> PaperByName(std::string_view text);

TPaperSize A4Paper();

// The sheets known by name, in the order above.
std::vector<TPaperSize> NamedPapers();

// A length in millimetres as a user writes it: decimals with a point, a sign allowed, blanks
// around it; nullopt for anything else.
std::optional<double> ReadMillimetres(std::string_view text);

}  // namespace prynda
