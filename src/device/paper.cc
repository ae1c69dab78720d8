#include "device/paper.h"

#include <charconv>
#include <cmath>

#include "platform/name_list.h"

namespace prynda {

namespace {

constexpr double kMmPerInch = 25.4;

struct NamedPaper {
  std::string_view Name;
  double WidthMm;
  double HeightMm;
};

constexpr NamedPaper kPapers[] = {
    {"A4", 210, 297},
    {"A3", 297, 420},
    {"A5", 148, 210},
    {"Letter", 8.5 * kMmPerInch, 11 * kMmPerInch},
    {"Legal", 8.5 * kMmPerInch, 14 * kMmPerInch},
    {"Fanfold12", 8.5 * kMmPerInch, 12 * kMmPerInch},      // continuous paper, 12-inch forms
    {"Fanfold14", 14.875 * kMmPerInch, 11 * kMmPerInch},   // the wide carriage's 14 7/8 x 11 inch
};

}  // namespace

TPaperSize A4Paper() { return TPaperSize{"A4", 210, 297}; }

std::vector<TPaperSize> NamedPapers() {
  std::vector<TPaperSize> papers;
  for (const NamedPaper& paper : kPapers) papers.push_back({std::string(paper.Name), paper.WidthMm, paper.HeightMm});
  return papers;
}

std::optional<double> ReadMillimetres(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<TPaperSize> PaperByName(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  for (const NamedPaper& paper : kPapers) {
    if (SameTextIgnoringCase(text, paper.Name)) return TPaperSize{std::string(paper.Name), paper.WidthMm, paper.HeightMm};
  }
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = ReadMillimetres(text.substr(0, x));
  const auto height = ReadMillimetres(text.substr(x + 1));
  auto sane = [](const std::optional<double>& mm) { return mm && *mm >= 10 && *mm <= 2000; };
  if (!sane(width) || !sane(height)) return std::nullopt;
  return TPaperSize{std::string(text), *width, *height};
}

}  // namespace prynda
