// The built program printing the example invoice on the "Prynda PDF" printer, read back with the
// poppler tools: pages, Polish text and where the characters sit; the input file deleted (E) only
// after a job that completed; a read-only input.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_program.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kInvoice = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples" / "faktura.txt";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Device pixels (600 dpi) of a PDF length in points.
double Px(double points) { return points * 600.0 / 72.0; }

// What a command writes on standard output; fails the test when it does not end well.
std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return output;
  }
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = ::pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  return output;
}

struct Word {
  double XMin = 0;
  double YMin = 0;
  std::string Text;
};

// The words of each page as `pdftotext -bbox` places them, in points.
std::vector<std::vector<Word>> WordBoxes(const std::string& pdf) {
  const std::string html = Capture("pdftotext -bbox '" + pdf + "' -");
  static const std::regex item(R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
  std::vector<std::vector<Word>> pages;
  for (std::sregex_iterator it(html.begin(), html.end(), item), end; it != end; ++it) {
    if (!(*it)[1].matched) {
      pages.emplace_back();
    } else if (!pages.empty()) {
      pages.back().push_back(Word{std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
    }
  }
  return pages;
}

// Where plain-text arithmetic puts each byte of a file: CR, LF, FF, BS, HT to the next of every
// eighth column, no room for NUL and BEL, one cell for any other byte. Plain is false from an
// escape or prefix command to the end of its line (PlainPage: of its page): their effects are left
// out here.
struct Spot {
  int Page = 0, Line = 0, Column = 0;
  bool Plain = true, PlainPage = true;
};
std::vector<Spot> Spots(const std::string& file) {
  std::vector<Spot> spots;
  Spot at;
  for (const char c : file) {
    spots.push_back(at);
    if (c == '\f') {
      at = Spot{at.Page + 1};
    } else if (c == '\r') {
      at.Column = 0;
    } else if (c == '\n') {
      ++at.Line;
      at.Plain = true;
    } else if (c == '\t') {
      at.Column += (8 - at.Column % 8) % 8;
    } else if (c == '\b') {
      at.Column = std::max(0, at.Column - 1);
    } else if (c == '\x1b' || c == '\xfa') {
      at.Plain = at.PlainPage = false;
    } else if (c != '\a' && c != '\0') {
      ++at.Column;
    }
  }
  return spots;
}

const std::map<char, std::string> kCp852Letters = {
    {'\xa5', "ą"}, {'\x86', "ć"}, {'\xa9', "ę"}, {'\x88', "ł"}, {'\xe4', "ń"}, {'\xa2', "ó"},
    {'\x98', "ś"}, {'\xbe', "ż"}, {'\xab', "ź"}, {'\xa4', "Ą"}, {'\x8f', "Ć"}, {'\xa8', "Ę"},
    {'\x9d', "Ł"}, {'\xe3', "Ń"}, {'\xe0', "Ó"}, {'\x97', "Ś"}, {'\xbd', "Ż"}, {'\x8d', "Ź"}};

// The blank-separated pieces of a file, each with the offset of its first byte.
std::vector<std::pair<std::size_t, std::string>> Tokens(const std::string& file) {
  std::vector<std::pair<std::size_t, std::string>> tokens;
  for (std::size_t i = 0; i < file.size();) {
    const std::size_t end = std::min(file.find_first_of(" \t\r\n\f", i), file.size());
    if (end > i) tokens.emplace_back(i, file.substr(i, end - i));
    i = end + 1;
  }
  return tokens;
}

bool IsAsciiText(char c) { return c > ' ' && c < '\x7f'; }

std::vector<std::string> PdfFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".pdf") found.push_back(entry.path().string());
  }
  return found;
}

class PrintTest : public ::testing::Test {
 protected:
  PrintTest() {
    fs::copy_file(kInvoice, input_);
    fs::create_directory(dir_.File("pdf"));
  }
  ProgramRun Print(std::vector<std::string> options, const std::string& pdf_folder = "pdf") {
    options.insert(options.begin(), input_);
    return RunPrynda({.Args = options, .Env = {{"PRYNDA_PDF", dir_.File(pdf_folder) + "/"}}, .WorkDir = dir_.Path()});
  }
  std::string Pdf() const { return dir_.File("pdf/faktura.pdf"); }

  TempDir dir_;
  const std::string input_ = dir_.File("faktura.txt");
};

TEST_F(PrintTest, TheInvoiceComesOutOnA4PagesWithItsPolishWords) {
  const ProgramRun run = Print({});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_TRUE(fs::exists(input_));

  const std::string file = ReadFile(kInvoice);
  const std::vector<Spot> spots = Spots(file);
  const int pages = spots.back().Page + 1;
  EXPECT_GE(pages, 2);
  EXPECT_NE(run.Out.find("Wydruk strony # " + std::to_string(pages) + "\nZadanie wykonano\n"), std::string::npos)
      << run.Out;
  const std::string info = Capture("pdfinfo '" + Pdf() + "'");
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +" + std::to_string(pages) + "\n"))) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex(R"(Page size:.*\(A4\))"))) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Producer: +Prynda " PRYNDA_VERSION "\n"))) << info;

  // Every word with a Polish letter comes back, in UTF-8, on its page.
  std::vector<std::string> text;
  for (int page = 1; page <= pages; ++page) {
    text.push_back(Capture("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" +
                           Pdf() + "' -"));
  }
  int polish_words = 0;
  for (const auto& [offset, token] : Tokens(file)) {
    std::string word;
    bool polish = false, plain = true;
    for (const char c : token) {
      if (const auto letter = kCp852Letters.find(c); letter != kCp852Letters.end()) {
        word += letter->second;
        polish = true;
      } else {
        word += c;
        plain = plain && IsAsciiText(c);
      }
    }
    if (!polish || !plain) continue;
    ++polish_words;
    EXPECT_NE(text[spots[offset].Page].find(word), std::string::npos) << word << " in\n" << text[spots[offset].Page];
  }
  EXPECT_GE(polish_words, 20);
}

TEST_F(PrintTest, EachCharacterSitsInItsCell) {
  ASSERT_EQ(Print({}).ExitCode, 0);
  const auto pages = WordBoxes(Pdf());
  const std::string file = ReadFile(kInvoice);
  const std::vector<Spot> spots = Spots(file);
  ASSERT_EQ(static_cast<int>(pages.size()), spots.back().Page + 1);
  // A word starts in the 60 px cell (10 per inch) of its column, the 50 px wide glyph of 10 pt
  // Courier New centred in it, right of a 100 px margin; lines are 100 px (1/6 inch) apart.
  std::vector<std::optional<std::pair<int, double>>> top(pages.size());  // a line and its y on each page
  int placed = 0;
  for (const auto& [offset, token] : Tokens(file)) {
    const Spot& spot = spots[offset];
    if (!spot.Plain || !std::all_of(token.begin(), token.end(), IsAsciiText)) continue;
    SCOPED_TRACE(token + " on page " + std::to_string(spot.Page + 1) + " line " + std::to_string(spot.Line));
    const double x = 100 + spot.Column * 60 + (60 - 50) / 2;
    auto& reference = top[static_cast<std::size_t>(spot.Page)];
    const Word* found = nullptr;
    for (const Word& word : pages[static_cast<std::size_t>(spot.Page)]) {
      if (word.Text != token || std::abs(Px(word.XMin) - x) > 1.0) continue;
      if (spot.PlainPage && reference &&
          std::abs(Px(word.YMin - reference->second) - (spot.Line - reference->first) * 100) > 1.0) {
        continue;
      }
      if (found == nullptr || word.YMin < found->YMin) found = &word;
    }
    EXPECT_NE(found, nullptr) << "expected at x " << x;
    if (found == nullptr) continue;
    ++placed;
    if (spot.PlainPage && !reference) reference = std::make_pair(spot.Line, found->YMin);
  }
  EXPECT_GE(placed, 30);
  for (const auto& reference : top) EXPECT_TRUE(reference.has_value());
}

TEST_F(PrintTest, OptionEDeletesTheFileOnlyAfterACompletedJob) {
  ProgramRun run = Print({"E"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find(" * usuwam plik po wydrukowaniu\n"), std::string::npos) << run.Out;
  EXPECT_FALSE(fs::exists(input_));
  EXPECT_TRUE(fs::exists(Pdf()));

  // The PDF cannot be written into a folder that does not exist: the job fails, the file stays.
  fs::remove(Pdf());
  fs::copy_file(kInvoice, input_);
  run = Print({"E"}, "missing");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_TRUE(fs::exists(input_));
  EXPECT_EQ(run.Out.find("Zadanie wykonano"), std::string::npos) << run.Out;
  EXPECT_NE(run.Err.find(dir_.File("missing")), std::string::npos) << run.Err;
  EXPECT_EQ(PdfFiles(dir_.Path()), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(dir_.File("missing")));
}

TEST_F(PrintTest, AReadOnlyFilePrints) {
  ASSERT_EQ(::chmod(input_.c_str(), 0444), 0);
  const ProgramRun run = Print({});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_NE(run.Out.find("Zadanie wykonano"), std::string::npos) << run.Out;
  EXPECT_NE(Capture("pdftotext '" + Pdf() + "' -").find("FAKTURA VAT"), std::string::npos);
}

// Font look-ups are kept in the user's cache folder between runs. A run served from it prints the
// same document byte for byte; a damaged file, or no place to keep one, changes nothing either.
TEST_F(PrintTest, TheFontCacheNeverChangesWhatIsPrinted) {
  const std::string cache = dir_.File("cache");
  const auto print = [&](const std::string& name) {
    const ProgramRun run = RunPrynda({.Args = {input_, "/ST"},
                                      .Env = {{"PRYNDA_PDF", dir_.File("pdf/" + name + ".pdf")},
                                              {"HOME", dir_.Path()},
                                              {"XDG_CACHE_HOME", cache},
                                              {"SOURCE_DATE_EPOCH", "1765152000"}},
                                      .WorkDir = dir_.Path()});
    EXPECT_EQ(run.ExitCode, 0) << name << ": " << run.Err;
    EXPECT_EQ(run.Err, "") << name;
    return ReadFile(dir_.File("pdf/" + name + ".pdf"));
  };
  const std::string first = print("first");
  ASSERT_FALSE(first.empty());
  std::vector<fs::path> kept;
  for (const auto& entry : fs::directory_iterator(cache + "/prynda")) kept.push_back(entry.path());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NE(ReadFile(kept[0]).find("LiberationMono-Regular.ttf"), std::string::npos);

  EXPECT_EQ(print("cached"), first);
  std::ofstream(kept[0], std::ios::binary | std::ios::trunc) << "prynda font cache 2\n\x01\xff garbage";
  EXPECT_EQ(print("damaged"), first);
  EXPECT_NE(ReadFile(kept[0]).find("LiberationMono-Regular.ttf"), std::string::npos);  // written afresh
  fs::remove_all(cache);
  std::ofstream(cache) << "a file where the cache folder would be";
  EXPECT_EQ(print("nowhere"), first);
}

}  // namespace
}  // namespace prynda::testing
