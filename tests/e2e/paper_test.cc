// Paper, forms and fit as a user sets them: the [Prynda] section of a settings file (the user's,
// through XDG_CONFIG_HOME), the option /FIT, the PDF read back with poppler-utils.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

struct Word {
  double X, Y, Right;  // points on the page
  std::string Text;
};

std::vector<Word> Words(const std::string& pdf) {
  const std::string bbox = Shell("pdftotext -bbox -f 1 -l 1 '" + pdf + "' -");
  static const std::regex word(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)"[^>]*>([^<]*)<)re");
  std::vector<Word> words;
  for (auto it = std::sregex_iterator(bbox.begin(), bbox.end(), word); it != std::sregex_iterator(); ++it) {
    words.push_back(Word{std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), (*it)[4]});
  }
  return words;
}

std::string PageSize(const std::string& pdf) {
  std::smatch match;
  const std::string info = Shell("pdfinfo '" + pdf + "' 2>/dev/null");
  return std::regex_search(info, match, std::regex(R"(Page size:\s+([0-9.]+ x [0-9.]+))")) ? std::string(match[1]) : "";
}

class PaperTest : public ::testing::Test {
 protected:
  // Prints `bytes` with `section` as the [Prynda] section of the user's settings file.
  ProgramRun Print(const std::string& section, const std::string& bytes, std::vector<std::string> options = {}) {
    fs::create_directories(dir_.File("config/prynda"));
    dir_.Write("config/prynda/prynda.ini", "[Prynda]\n" + section);
    options.insert(options.begin(), dir_.Write("wydruk.prn", bytes));
    options.push_back("/ST");
    pdf_ = dir_.File("wydruk" + std::to_string(++runs_) + ".pdf");
    const ProgramRun run = RunPrynda({.Args = options,
                                      .Env = {{"PRYNDA_PDF", pdf_}, {"XDG_CONFIG_HOME", dir_.File("config")},
                                              {"LC_ALL", "C.UTF-8"}}});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    return run;
  }

  TempDir dir_;
  std::string pdf_;
  int runs_ = 0;
};

std::string Lines(int count, const char* end = "\r\n") {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "Wiersz " + std::to_string(i) + end;
  return text;
}

TEST_F(PaperTest, TheSheetOfPryndaPdf) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "595.276 x 841.89"},  {"Paper=Letter", "612 x 792"}, {"Paper=legal", "612 x 1008"},
      {"Paper=A3", "841.89 x 1190.55"}, {"Paper=Fanfold12", "612 x 864"}, {"Paper=210x305", "595.276 x 864.567"},
      {"Paper=Fanfold14\nEmulation=FX\nOrientation=Landscape", "792 x 1071"},
      {"Paper=B7", "595.276 x 841.89"},  // not a sheet Prynda knows: A4, as without the key
  };
  for (const auto& [section, size] : cases) {
    SCOPED_TRACE(section);
    Print(section + "\n", "Faktura\r\n");
    EXPECT_EQ(PageSize(pdf_), size);
  }
}

TEST_F(PaperTest, ALongFormIsFittedOrTheLinesThatDoNotFitAreNamed) {
  // A 72-line form (12 inches) on A4, whose printable area is 6816 px of 600 dpi high: 68 lines.
  const ProgramRun cut = Print("Emulation=FX\nFormLength=72\n", Lines(72));
  EXPECT_NE(cut.Out.find("wiersze 69–72 formularza nie mieszczą się"), std::string::npos) << cut.Out;
  const std::vector<Word> words = Words(pdf_);
  EXPECT_TRUE(std::none_of(words.begin(), words.end(), [](const Word& w) { return w.Text == "72"; }));

  const ProgramRun fitted = Print("Emulation=FX\nFormLength=72\n", Lines(72), {"/FIT"});
  EXPECT_EQ(fitted.Out.find("Formularz"), std::string::npos) << fitted.Out;
  EXPECT_EQ(PdfPageCount(pdf_), 1);
  std::vector<double> tops;
  for (const Word& word : Words(pdf_)) {
    if (word.Text == "Wiersz") tops.push_back(word.Y);
  }
  ASSERT_EQ(tops.size(), 72u);
  // Evenly spaced at 1/6 inch scaled by 11.36/12 (568 dots an inch): 94 2/3 px, 11.36 pt a line,
  // each line within the device pixel (0.12 pt) its rounding takes.
  for (std::size_t i = 1; i < tops.size(); ++i) {
    EXPECT_NEAR(tops[i] - tops[0], 11.36 * static_cast<double>(i), 0.12) << i;
  }
  // The 72 lines fill the printable height, 6816 px of 600 dpi: 817.92 pt.
  EXPECT_NEAR(tops.back() - tops.front() + 11.36, 817.92, 0.12);
}

TEST_F(PaperTest, AWideFormIsFittedToTheWidthAndAutoTurnsTheSheet) {
  const std::string line = std::string(136, 'X') + "\r\n";  // 136 columns at 10 cpi: 13.6 inches
  Print("Emulation=FX\nFormWidth=136\n", line, {"/FIT"});
  std::vector<Word> words = Words(pdf_);
  ASSERT_EQ(words.size(), 1u) << "one line: the carriage is 136 columns wide";
  EXPECT_NEAR(words[0].X, 12, 0.5);
  EXPECT_LE(words[0].Right, 595.276 - 12);
  EXPECT_GT(words[0].Right, 595.276 - 12 - 10);  // scaled, not shrunk further than needed

  Print("Emulation=FX\nFormWidth=136\nOrientation=Auto\n", line, {"/FIT"});
  EXPECT_EQ(PageSize(pdf_), "841.89 x 595.276");
  words = Words(pdf_);
  ASSERT_EQ(words.size(), 1u);
  EXPECT_LE(words[0].Right, 841.89 - 12);
}

TEST_F(PaperTest, OffsetsMoveEveryWord) {
  const std::string form = "Nazwisko:\r\n\x1b" "$\x78\x00Kowalski\r\n";
  for (const char* dialect : {"", "Emulation=FX\n"}) {
    SCOPED_TRACE(dialect);
    Print(dialect, form);
    const std::vector<Word> plain = Words(pdf_);
    Print(std::string(dialect) + "OffsetX=10\nOffsetY=-2.5\n", form);
    const std::vector<Word> moved = Words(pdf_);
    ASSERT_EQ(plain.size(), moved.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
      EXPECT_NEAR(moved[i].X - plain[i].X, 10 * 72 / 25.4, 0.1 * 72 / 25.4) << plain[i].Text;
      EXPECT_NEAR(moved[i].Y - plain[i].Y, -2.5 * 72 / 25.4, 0.1 * 72 / 25.4) << plain[i].Text;
    }
  }
}

}  // namespace
}  // namespace prynda::testing
