// Bad input and failures, run as a user would: each case checks what must always hold - the exit
// code, no half-written PDF or temporary file, the printed file kept unless the job completed,
// bounded time and memory - and that its row of docs/reliability.md still tells what happens.
// PRYNDA_UPDATE_DOCS=1 writes the rows anew instead.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = fs::path(__FILE__).parent_path().parent_path().parent_path();
const fs::path kTable = kSource / "docs" / "reliability.md";

struct CaseSetup {
  std::string InputName = "faktura.txt";
  std::string Input = "Faktura\r\n";
  std::vector<std::string> Options;
  std::string Settings;          // a settings file beside a copy of the program, when not empty
  bool SettingsFolder = false;   // a folder where the settings file would be
  bool OutputFolderMissing = false;
  ProgramOptions Program;
};

struct Case {
  std::string Name;
  std::function<void(CaseSetup&, const TempDir&)> Prepare;
  int ExitCode;
  double MaxSeconds = 60;
  bool PrintedBeforeTheEnd = false;  // the job completes although the run then fails
};

// What a reader of the table needs to know of a run, without anything that changes between runs.
std::string Describe(const ProgramRun& run, int pages, bool deletion_asked, bool input_kept, const TempDir& dir) {
  std::string row = "exit " + std::to_string(run.ExitCode);
  row += pages < 0 ? "; no PDF" : "; PDF of " + std::to_string(pages) + (pages == 1 ? " page" : " pages");
  if (deletion_asked) row += input_kept ? "; the file is kept" : "; the file is deleted";
  std::string console = run.Out;
  for (const char* notable : {"Zadanie anulowano !", "B\x88\xa5" "d odczytu", "Brak sekcji czcionki"}) {
    if (console.find(notable) != std::string::npos) {
      row += std::string("; console: \"") + (notable[0] == 'B' && notable[1] == '\x88' ? "Błąd odczytu" : notable) + "\"";
    }
  }
  if (!run.Err.empty()) {
    std::string first = run.Err.substr(0, run.Err.find('\n'));
    for (std::size_t at; (at = first.find(dir.Path())) != std::string::npos;) first.replace(at, dir.Path().size(), "…");
    row += "; stderr: \"" + first + "\"";
  }
  return row;
}

std::string Repeat(std::string_view piece, int times) {
  std::string out;
  out.reserve(piece.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Every pair of byte values, in order: 128 KB.
std::string EveryPairOfBytes() {
  std::string bytes;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      bytes += static_cast<char>(a);
      bytes += static_cast<char>(b);
    }
  }
  return bytes;
}

// Three thousand pages: long enough to be stopped while its pages are printed.
std::string LongReport() {
  std::string text;
  for (int page = 0; page < 3000; ++page) {
    for (int line = 0; line < 60; ++line) text += "Strona " + std::to_string(page) + " wiersz " + std::to_string(line) + "\r\n";
    text += "\x0c";
  }
  return text;
}

// Sends `signal` to the program once its standard output shows `text`.
void SignalWhenSeen(CaseSetup& s, std::string text, int signal) {
  auto sent = std::make_shared<bool>(false);
  s.Program.OnOutput = [=](int pid, const std::string& out) {
    if (!*sent && out.find(text) != std::string::npos) {
      *sent = true;
      ::kill(pid, signal);
    }
  };
  s.Program.Env["LC_ALL"] = "C.UTF-8";  // the message in the table as it reads
}

void StopWhilePrinting(CaseSetup& s, int signal) {
  s.Input = LongReport();
  s.Options = {"E"};
  SignalWhenSeen(s, "Wydruk strony # 3\n", signal);
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"an empty file", [](CaseSetup& s, const TempDir&) { s.Input.clear(); }, 0},
      {"every pair of byte values, in order",
       [](CaseSetup& s, const TempDir&) {
         s.Input = EveryPairOfBytes();
       },
       0, 120},
      {"FX mode: every pair of byte values, in order",
       [](CaseSetup& s, const TempDir&) {
         s.Input = EveryPairOfBytes();
         s.Options = {"/FX"};
       },
       0, 120},
      {"FX mode: a bit image of 65,535 columns of 48 dots with the file ending inside it",
       [](CaseSetup& s, const TempDir&) {
         s.Input = "Tekst\x1b*\x48\xff\xff" + std::string(1000, '\x0c');
         s.Options = {"/FX"};
       },
       0},
      {"FX mode: a one-line form and 1,000 line feeds, then a letter",
       [](CaseSetup& s, const TempDir&) {
         s.Input = "\x1b" "C\x01" + std::string(1000, '\n') + "A";
         s.Options = {"/FX"};
       },
       0},
      {"FX mode: a one-line form and ESC f 1 255 twenty thousand times, then a letter",
       [](CaseSetup& s, const TempDir&) {
         s.Input = "\x1b" "C\x01" + Repeat("\x1b" "f\x01\xff", 20000) + "A";
         s.Options = {"/FX"};
       },
       0},
      {"a page limit of 5 (MaxPages=5) and a job of 6 pages",
       [](CaseSetup& s, const TempDir&) {
         s.Input = Repeat("Strona\r\n\x0c", 5) + "Strona\r\n";
         s.Settings = "[Prynda]\nMaxPages=5\n";
         s.Options = {"E"};
         s.Program.Env["LC_ALL"] = "C.UTF-8";  // the message in the table as it reads
       },
       1},
      {"PostScript that never ends under /AUTO (ProgramTime=2)",
       [](CaseSetup& s, const TempDir&) {
         s.InputName = "zadanie.ps";
         s.Input = "%!PS\n{} loop\n";
         s.Settings = "[Prynda]\nProgramTime=2\n";
         s.Options = {"/AUTO", "E"};
       },
       1, 5},
      {"a page limit of 6 (MaxPages=6) and a job of 6 pages",
       [](CaseSetup& s, const TempDir&) {
         s.Input = Repeat("Strona\r\n\x0c", 5) + "Strona\r\n";
         s.Settings = "[Prynda]\nMaxPages=6\n";
       },
       0},
      {"10,000 ESC bytes and nothing else", [](CaseSetup& s, const TempDir&) { s.Input = std::string(10000, '\x1b'); }, 0},
      {"a colour sequence cut short by the end of the file", [](CaseSetup& s, const TempDir&) { s.Input = "A\x1b\"R\x10"; }, 0},
      {"ESC j 255 a hundred thousand times, then text",
       [](CaseSetup& s, const TempDir&) { s.Input = Repeat("\x1bj\xff", 100000) + "Tekst"; }, 0},
      {"ESC $ at 65535/60 inch and a hundred thousand tabs, then text",
       [](CaseSetup& s, const TempDir&) { s.Input = "\x1b$\xff\xff" + std::string(100000, '\t') + "Tekst"; }, 0},
      {"5,000 form feeds, then a letter",
       [](CaseSetup& s, const TempDir&) { s.Input = std::string(5000, '\x0c') + "A"; }, 0, 120},
      {"K=999", [](CaseSetup& s, const TempDir&) { s.Options = {"K=999"}; }, 0},
      {"a file name with blanks and Polish letters", [](CaseSetup& s, const TempDir&) { s.InputName = "faktura nr 5 – żółw.txt"; }, 0},
      {"a file name starting with a dash", [](CaseSetup& s, const TempDir&) { s.InputName = "-faktura.txt"; }, 0},
      {"a file name in CP852 bytes", [](CaseSetup& s, const TempDir&) { s.InputName = "\xa5\xa9.txt"; }, 0},
      {"standard input closed at the final wait (/P)",
       [](CaseSetup& s, const TempDir&) {
         s.Options = {"/P", "/ST"};
         s.Program.NoStdin = true;
       },
       0},
      {"the output folder does not exist",
       [](CaseSetup& s, const TempDir&) {
         s.OutputFolderMissing = true;
         s.Options = {"E"};
       },
       1},
      {"the disk fills up while the PDF is written",
       [](CaseSetup& s, const TempDir& dir) {
         s.Input = Repeat("Wiersz faktury z pozycjami 0123456789\r\n", 3000);
         s.Options = {"E", "/FF"};  // pages of their own: what falls below a sheet takes no room
         s.Program.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                          {"PRYNDA_FAIL_WRITE_DIR", dir.File("out")},
                          {"PRYNDA_FAIL_WRITE_AFTER", "20000"},
                          {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
       },
       1},
      {"reading the file fails part-way",
       [](CaseSetup& s, const TempDir& dir) {
         s.Input = Repeat("Wiersz faktury z pozycjami 0123456789\r\n", 300);
         s.Options = {"E"};
         s.Program.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                          {"PRYNDA_FAIL_READ_PATH", dir.File("faktura.txt")},
                          {"PRYNDA_FAIL_READ_AFTER", "4095"},
                          {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
       },
       0},
      {"a settings file with 10,000 sections",
       [](CaseSetup& s, const TempDir&) {
         for (int i = 0; i < 10000; ++i) s.Settings += "[Sekcja" + std::to_string(i) + "]\nKlucz=" + std::to_string(i) + "\n";
         s.Settings += "[FormKelvra]\nRAMKA=2\n";
       },
       0},
      {"a settings file of 100 MB", [](CaseSetup& s, const TempDir&) { s.Settings = std::string(100 << 20, 'x'); }, 0},
      {"a settings file of binary garbage",
       [](CaseSetup& s, const TempDir&) {
         for (int i = 0; i < 100000; ++i) s.Settings += static_cast<char>((i * 7919) % 256);
       },
       0},
      {"a folder named like the settings file", [](CaseSetup& s, const TempDir&) { s.SettingsFolder = true; }, 0},
      {"SIGTERM while the pages are printed", [](CaseSetup& s, const TempDir&) { StopWhilePrinting(s, SIGTERM); }, 1},
      {"SIGINT while the pages are printed", [](CaseSetup& s, const TempDir&) { StopWhilePrinting(s, SIGINT); }, 1},
      {"SIGHUP while the pages are printed", [](CaseSetup& s, const TempDir&) { StopWhilePrinting(s, SIGHUP); }, 1},
      {"SIGKILL while the pages are printed", [](CaseSetup& s, const TempDir&) { StopWhilePrinting(s, SIGKILL); },
       128 + SIGKILL},
      {"SIGINT at the final wait (/P)",
       [](CaseSetup& s, const TempDir&) {
         s.Options = {"/P", "/ST"};
         s.Program.HoldStdin = true;
         SignalWhenSeen(s, "Enter", SIGINT);
       },
       1, 60, true},
      {"a file system that makes no unnamed files",
       [](CaseSetup& s, const TempDir&) {
         s.Options = {"E"};
         s.Program.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                          {"PRYNDA_FAIL_TMPFILE", "1"},
                          {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
       },
       0},
  };
  return cases;
}

// The table's row for a case: "| name | outcome |".
std::string TableRow(const std::string& name, const std::string& outcome) { return "| " + name + " | " + outcome + " |"; }

void CheckOrUpdateRow(const std::string& name, const std::string& outcome) {
  std::ifstream in(kTable);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  const std::string prefix = "| " + name + " |";
  auto row = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
  const char* update = std::getenv("PRYNDA_UPDATE_DOCS");
  if (update != nullptr && std::string(update) == "1") {
    if (row != lines.end()) {
      *row = TableRow(name, outcome);
    } else {
      lines.push_back(TableRow(name, outcome));
    }
    std::ofstream out(kTable, std::ios::trunc);
    for (const auto& line : lines) out << line << "\n";
    return;
  }
  ASSERT_NE(row, lines.end()) << "docs/reliability.md has no row for \"" << name << "\"; run with PRYNDA_UPDATE_DOCS=1";
  EXPECT_EQ(*row, TableRow(name, outcome)) << "docs/reliability.md is out of date; run with PRYNDA_UPDATE_DOCS=1";
}

class HostileInputTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(HostileInputTest, EndsInOrderAndAsDocumented) {
  const Case& c = Cases()[GetParam()];
  SCOPED_TRACE(c.Name);
  TempDir dir;
  CaseSetup setup;
  c.Prepare(setup, dir);
  const std::string input = dir.File(setup.InputName);
  dir.Write(setup.InputName, setup.Input);
  ProgramOptions& program = setup.Program;
  program.Args = {input};
  program.Args.insert(program.Args.end(), setup.Options.begin(), setup.Options.end());
  const fs::path out = dir.File("out");
  if (!setup.OutputFolderMissing) fs::create_directory(out);
  program.Env["PRYNDA_PDF"] = (out / "wydruk.pdf").string();
  if (!setup.Settings.empty() || setup.SettingsFolder) {
    program.Executable = dir.File("prynda");
    fs::copy_file(PRYNDA_EXE, program.Executable);
    if (setup.SettingsFolder) {
      fs::create_directory(dir.File("prynda.INI"));
    } else {
      dir.Write("prynda.INI", setup.Settings);
    }
  }

  program.TimeoutSeconds = static_cast<int>(c.MaxSeconds) * 2;
  const ProgramRun run = RunPrynda(program);
  EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Out << run.Err;
  EXPECT_LT(run.Seconds, c.MaxSeconds);
  const int pages = fs::exists(out / "wydruk.pdf") ? PdfPageCount((out / "wydruk.pdf").string()) : -1;
  if ((run.ExitCode == 0 && run.Out.find("Zadanie anulowano") == std::string::npos) || c.PrintedBeforeTheEnd) {
    EXPECT_GE(pages, 1) << "a completed job leaves its PDF";
  } else {
    EXPECT_EQ(pages, -1) << "a failed or cancelled job leaves no PDF";
  }
  if (fs::exists(out)) {
    for (const auto& entry : fs::directory_iterator(out)) {
      EXPECT_EQ(entry.path().filename(), "wydruk.pdf") << "left behind: " << entry.path();
    }
  }
  const bool deletion_asked = std::find(setup.Options.begin(), setup.Options.end(), "E") != setup.Options.end();
  const bool kept = fs::exists(input);
  if (deletion_asked) {
    EXPECT_EQ(kept, pages < 0) << "the file goes only with a completed job";
  }
  CheckOrUpdateRow(c.Name, Describe(run, pages, deletion_asked, kept, dir));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileInputTest, ::testing::Range<std::size_t>(0, Cases().size()),
                         [](const auto& info) { return "Case" + std::to_string(info.param); });

// Under the address sanitizer every byte costs ten times as much: a quarter of the size shows the
// same flat memory there.
#ifdef __SANITIZE_ADDRESS__
constexpr std::uintmax_t kLargeFile = std::uintmax_t{1} << 28;
constexpr long kRssSlackKb = 8 * 1024;  // the sanitizer's own bookkeeping varies from run to run
constexpr long kImageRssKb = 128 * 1024;
#else
constexpr std::uintmax_t kLargeFile = std::uintmax_t{1} << 30;
constexpr long kRssSlackKb = 2 * 1024;  // within about a tenth of the 13 MB a job takes
constexpr long kImageRssKb = 64 * 1024;
#endif

TEST(HostileInputTest, AGigabyteFileKeepsMemoryFlat) {
  TempDir dir;
  const auto run_on = [&](const std::string& name, std::uintmax_t size) {
    const std::string input = dir.File(name);
    { std::ofstream(input) << ""; }
    fs::resize_file(input, size);  // zero bytes: each takes no room, the engine reads them all
    return RunPrynda({.Args = {input, "/ST"}, .Env = {{"PRYNDA_PDF", dir.File(name + ".pdf")}}, .TimeoutSeconds = 600});
  };
  const ProgramRun small = run_on("maly.txt", 1 << 20);
  const ProgramRun large = run_on("duzy.txt", kLargeFile);
  ASSERT_EQ(small.ExitCode, 0) << small.Err;
  ASSERT_EQ(large.ExitCode, 0) << large.Err;
  EXPECT_LT(large.PeakRssKb, small.PeakRssKb + 8 * 1024) << "1 GiB against 1 MiB";
  EXPECT_EQ(PdfPageCount(dir.File("duzy.txt.pdf")), 1);
}

// A page that never ends - no form feed, or no line end at all, or positions far right - keeps
// memory flat: what falls off the sheet is never stored, and the PDF holds one page's worth.
TEST(HostileInputTest, APageThatNeverEndsKeepsMemoryFlat) {
  TempDir dir;
  const std::string line = "Wiersz raportu 0123456789 \xa5\x86\xa9\x88 pozycja magazynowa  12 345,67\r\n";
  const auto run_on = [&](const std::string& name, std::string_view piece, std::uintmax_t size) {
    const std::string input = dir.File(name);
    {
      std::ofstream out(input, std::ios::binary);
      std::string chunk;
      while (chunk.size() < (1u << 20)) chunk += piece;
      for (std::uintmax_t written = 0; written < size; written += chunk.size()) {
        out.write(chunk.data(), static_cast<std::streamsize>(std::min<std::uintmax_t>(chunk.size(), size - written)));
      }
    }
    // The leak check at the end of a sanitized run has a peak of its own, of no interest here.
    const ProgramRun run = RunPrynda({.Args = {input, "/ST"},
                                      .Env = {{"PRYNDA_PDF", input + ".pdf"}, {"ASAN_OPTIONS", "detect_leaks=0"}},
                                      .TimeoutSeconds = 600});
    EXPECT_EQ(run.ExitCode, 0) << name << run.Err;
    EXPECT_EQ(PdfPageCount(input + ".pdf"), 1) << name;
    fs::remove(input);
    return run;
  };
  const ProgramRun small = run_on("maly.txt", line, 1 << 20);
  const auto small_pdf = fs::file_size(dir.File("maly.txt.pdf"));
  const std::uintmax_t large = kLargeFile / 16;
  const std::string one_line = line.substr(0, line.size() - 2) + " ";
  const std::string far_right = "\x1b$\xff\xff" + std::string(4000, '\t') + "Tekst\r\n";
  for (const auto& [name, piece] : {std::pair{"duzy.txt", std::string_view(line)},
                                    std::pair{"wiersz.txt", std::string_view(one_line)},
                                    std::pair{"prawo.txt", std::string_view(far_right)}}) {
    const ProgramRun run = run_on(name, piece, large);
    EXPECT_LT(run.PeakRssKb, small.PeakRssKb + kRssSlackKb) << name;
    EXPECT_LE(fs::file_size(dir.File(std::string(name) + ".pdf")), small_pdf * 11 / 10) << name;
  }
}

// Raster rows far wider than the sheet, run-length coded so that each byte of the file stands for
// 64 of dots, printed over one another: what lies off the sheet is never kept.
TEST(HostileInputTest, ImagesWiderThanTheSheetKeepMemoryBounded) {
  TempDir dir;
  const std::string band = "\x1b.\x01\x0a\x0a\xff\xff\xff";         // 255 rows of 65,535 dots, 1/360 inch
  const std::string row = Repeat("\x80\xaa", 63) + "\xc0\xaa";          // 63 runs of 129 bytes, one of 65
  const std::string step = band + Repeat(row, 255) + "\r";
  const std::string input = dir.File("raster.prn");
  dir.Write("raster.prn", "\x1b@" + Repeat(step, static_cast<int>(kLargeFile / 100 / step.size())));
  const ProgramRun run = RunPrynda({.Args = {input, "/FX", "/ST"},
                                    .Env = {{"PRYNDA_PDF", input + ".pdf"}, {"ASAN_OPTIONS", "detect_leaks=0"}},
                                    .TimeoutSeconds = 600});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(PdfPageCount(input + ".pdf"), 1);
  EXPECT_LT(run.PeakRssKb, kImageRssKb) << "about " << fs::file_size(input) / 1'000'000 << " MB of rows";
}

TEST(HostileInputTest, NoStandardInputAtTheUsageWait) {
  const ProgramRun run = RunPrynda({.NoStdin = true});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_LT(run.Seconds, 10);
}

}  // namespace
}  // namespace prynda::testing
