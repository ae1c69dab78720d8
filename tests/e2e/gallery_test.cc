// The sample printouts of examples/ printed by the built program on "Prynda PDF", checked where a
// reader of the PDF sees them: pages, text, positions at 17.125 cpi and after fine feeds, frames
// drawn as lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
constexpr double kPxPerPt = 600.0 / 72.0;
constexpr double kMarginPx = 100.0;

struct Word {
  double X;  // device px from the printable area's left edge
  double Y;
  std::string Text;
};

std::vector<Word> Words(const std::string& pdf, int page) {
  const std::string bbox = Shell("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                 " " + pdf + " -");
  static const std::regex word(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)<)re");
  std::vector<Word> words;
  for (auto it = std::sregex_iterator(bbox.begin(), bbox.end(), word); it != std::sregex_iterator(); ++it) {
    words.push_back(Word{std::stod((*it)[1]) * kPxPerPt - kMarginPx, std::stod((*it)[2]) * kPxPerPt - kMarginPx,
                         (*it)[3]});
  }
  return words;
}

class GalleryTest : public ::testing::Test {
 protected:
  // Prints one sample; returns the PDF's path.
  std::string Print(const std::string& name, std::vector<std::string> options = {}) {
    const std::string pdf = dir_.File(fs::path(name).replace_extension(".pdf").string());
    std::vector<std::string> args = {(kExamples / name).string()};
    args.insert(args.end(), options.begin(), options.end());
    const ProgramRun run = RunPrynda({.Args = args, .Env = {{"PRYNDA_PDF", pdf}}});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_TRUE(fs::exists(pdf)) << name;
    return pdf;
  }
  TempDir dir_;
};

TEST_F(GalleryTest, EverySamplePrints) {
  struct Sample {
    std::string name;
    std::vector<std::string> options;
    std::string size;
    std::string words;  // some words of its text, Polish letters included
  };
  const std::vector<Sample> samples = {
      {"faktura.txt", {}, "595.276 x 841.89", "Świętokrzyska"},
      {"raport.txt", {}, "595.276 x 841.89", "Łosoś wędzony"},
      {"list-mazowia.txt", {"MAZ"}, "595.276 x 841.89", "ZAŻÓŁĆ GĘŚLĄ JAŹŃ"},
      {"poziomo.txt", {}, "841.89 x 595.276", "Poniedziałek"},
      {"pozycje.txt", {}, "595.276 x 841.89", "dziewięćdziesiąt"},
      {"faktura-fx.txt", {"/FX"}, "595.276 x 841.89", "Świętokrzyska"},
      {"wykaz-lf.txt", {"/FX"}, "595.276 x 841.89", "Legalizacja wagi"},
      {"zamowienie-fx.txt", {"/FX"}, "595.276 x 841.89", "Papier do pieczenia"},
      {"logo-fx.txt", {"/FX"}, "595.276 x 841.89", "Bułka kajzerka"},
      {"karta-72.txt", {"/FX"}, "595.276 x 841.89", "KARTA MAGAZYNOWA"},
      {"rechnung-fx.txt", {"/FX", "/CP=850"}, "595.276 x 841.89", "Königstraße 12"},
      // On the sample's invoice paper, whose terms are the second sheet's form.
      {"faktura-papier.txt", {"/BG=" + (kExamples / "papier-firmowy.pdf").string()}, "595.276 x 841.89",
       "Ogólne warunki sprzedaży"},
  };
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.name);
    const std::string pdf = Print(sample.name, sample.options);
    EXPECT_NE(Shell("pdfinfo " + pdf).find(sample.size), std::string::npos);
    EXPECT_NE(Shell("pdftotext -layout " + pdf + " -").find(sample.words), std::string::npos);
  }
}

TEST_F(GalleryTest, WideReportHasNoDriftAtColumnOneHundred) {
  // The first data row of the report: every word starts where its column says, at 17.125 cpi,
  // with the 8-point face (40 px wide at 600 dpi) centred in its 35.04 px cell.
  std::ifstream in(kExamples / "raport.txt", std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(content.substr(start, end - start));
  }
  ASSERT_GT(lines.size(), 5u);
  const std::string& row = lines[5];  // after the heading, an empty line and the table's head
  const double cell = 600000.0 / 17125;
  std::vector<double> expected;  // x of each word's first character
  bool in_word = false;
  for (std::size_t column = 0; column < row.size(); ++column) {
    const auto byte = static_cast<unsigned char>(row[column]);
    // Box characters are lines; CP852's "Ż" and "ż" (0xBD, 0xBE) lie among them but are letters.
    const bool box = byte >= 0xB3 && byte <= 0xDA && byte != 0xBD && byte != 0xBE;
    const bool text = byte != ' ' && !box;
    if (text && !in_word) expected.push_back(std::nearbyint(column * cell + (cell - 40) / 2));
    in_word = text;
  }
  ASSERT_GE(expected.size(), 9u);
  ASSERT_GT(expected.back(), 100 * cell) << "the row should reach past column 100";

  const std::vector<Word> words = Words(Print("raport.txt"), 1);
  std::vector<Word> row_words;
  for (const Word& word : words) {
    const bool starts_row = word.Text == "T01000";
    if (starts_row || (!row_words.empty() && std::abs(word.Y - row_words.front().Y) < 1)) row_words.push_back(word);
  }
  ASSERT_EQ(row_words.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(row_words[i].X, expected[i], 1.0) << row_words[i].Text;
  }
}

TEST_F(GalleryTest, FineFeedsAndAbsolutePositions) {
  const std::vector<Word> words = Words(Print("pozycje.txt"), 1);
  // The form's values start at ESC $ 120 (two inches), centred in a 60 px cell of 50 px glyphs.
  std::vector<std::string> values;
  for (const Word& word : words) {
    const bool first = std::find(values.begin(), values.end(), word.Text) == values.end();
    if (first && (word.Text == "1791,30" || word.Text == "jeden" || word.Text == "ul.")) {
      EXPECT_NEAR(word.X, 1200 + 5, 1.0) << word.Text;
      values.push_back(word.Text);
    }
  }
  EXPECT_EQ(values.size(), 3u);
  // The ladder: twelve dots, each ESC J 3 (3/216 inch = 8 px) lower and 20/60 inch further right.
  std::vector<Word> dots;
  for (const Word& word : words) {
    if (word.Text == "." && word.X < 3000) dots.push_back(word);
  }
  ASSERT_EQ(dots.size(), 12u);
  for (std::size_t i = 0; i < dots.size(); ++i) {
    EXPECT_NEAR(dots[i].X, 300 + 200 * static_cast<double>(i) + 5, 1.0);
    if (i > 0) {
      EXPECT_NEAR(dots[i].Y - dots[i - 1].Y, 8, 0.1);
    }
  }
}

TEST_F(GalleryTest, FramesAreVectorLinesNotGlyphs) {
  const std::string pdf = Print("faktura.txt");
  const std::string text = Shell("pdftotext " + pdf + " -");
  EXPECT_NE(text.find("FAKTURA VAT"), std::string::npos);
  for (const char* box : {"─", "│", "┌", "┐", "└", "┘", "═", "║", "╔", "╗", "╚", "╝", "╟", "╢", "┬", "┼"}) {
    EXPECT_EQ(text.find(box), std::string::npos) << box;
  }
  const std::string svg = Shell("pdftocairo -svg -f 1 -l 1 " + pdf + " -");
  std::smatch stroke;
  ASSERT_TRUE(std::regex_search(svg, stroke, std::regex(R"re(<path[^>]*stroke-width[^>]*d="([^"]*)")re")) ||
              std::regex_search(svg, stroke, std::regex(R"re(<path[^>]*d="([^"]*)"[^>]*stroke-width)re")))
      << "no stroked path on the page";
  const std::string path = stroke[1];
  EXPECT_GE(std::count(path.begin(), path.end(), 'M'), 10) << "the frames should be many segments";
}

}  // namespace
}  // namespace prynda::testing
