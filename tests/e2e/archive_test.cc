// The archive as a user sets it up - Archive= and ArchiveName= in the [Prynda] section of the
// user's settings file (through XDG_CONFIG_HOME) - with jobs on "Prynda PDF": the archive holds
// the pages that were printed, a job that did not complete leaves nothing there, an archive that
// cannot be written does not stop the printing and is reported, and jobs ending at once never
// share a name.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (!fs::is_directory(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Every page's size, as pdfinfo tells them.
std::string PageSizes(const std::string& pdf) {
  return std::regex_replace(Shell("pdfinfo -f 1 -l 9999 '" + pdf + "' 2>/dev/null | grep '^Page.*size'"),
                            std::regex("Page +[0-9]+ size"), "size");
}

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

class ArchiveTest : public ::testing::Test {
 protected:
  // Runs the program on `args` with `keys` in [Prynda] (after Archive=archive/), printing on
  // "Prynda PDF" into printed/.
  ProgramRun Run(std::vector<std::string> args, const std::string& keys = "", ProgramOptions program = {}) {
    WriteSettings(keys);
    program.Args = std::move(args);
    program.Env.emplace("PRYNDA_PDF", dir_.File("printed") + "/");
    program.Env.emplace("XDG_CONFIG_HOME", dir_.File("config"));
    program.Env.emplace("LC_ALL", "C.UTF-8");
    return RunPrynda(program);
  }
  void WriteSettings(const std::string& keys) {
    fs::create_directories(dir_.File("config/prynda"));
    fs::create_directories(dir_.File("printed"));
    dir_.Write("config/prynda/prynda.ini", "[Prynda]\nArchive=" + Archive() + "\n" + keys);
  }
  std::string Archive() const { return dir_.File("archive"); }
  std::string Archived(const std::string& name) const { return Archive() + "/" + name; }
  std::string Printed(const std::string& name) const { return dir_.File("printed/" + name); }

  TempDir dir_;
};

TEST_F(ArchiveTest, TheArchiveHoldsThePagesThatWerePrinted) {
  struct Case {
    std::string Sample;
    std::string Keys;
    std::vector<std::string> Options;
  };
  const Case cases[] = {
      {"faktura.txt", "", {}},
      {"poziomo.txt", "", {}},                                                  // turned by its own command
      {"logo-fx.txt", "Emulation=FX\nPaper=Letter\n", {}},                      // bit images
      {"karta-72.txt", "Emulation=FX\nFormLength=72\nOffsetX=3.5\n", {"/FIT"}},  // fitted and moved
      {"raport.txt", "Emulation=FX\nPaper=Fanfold14\nOrientation=Landscape\nFormWidth=136\n", {}},
  };
  fs::create_directory(Archive());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Sample);
    const std::string input = dir_.File(c.Sample);
    fs::copy_file(kExamples / c.Sample, input, fs::copy_options::overwrite_existing);
    std::vector<std::string> args = {input, "/ST"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    const std::time_t before = std::time(nullptr);
    const ProgramRun run = Run(args, c.Keys);
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const std::vector<std::string> files = FilesIn(Archive());
    ASSERT_EQ(files.size(), 1u);
    // {date}-{time}-{name}.pdf, the time the job started.
    std::smatch parts;
    const std::string stem = fs::path(c.Sample).stem().string();
    ASSERT_TRUE(std::regex_match(files[0], parts, std::regex(R"((\d{4})-(\d\d)-(\d\d)-(\d\d)-(\d\d)-(\d\d)-)" + stem + R"(\.pdf)")))
        << files[0];
    std::tm named{};
    named.tm_year = std::stoi(parts[1]) - 1900;
    named.tm_mon = std::stoi(parts[2]) - 1;
    named.tm_mday = std::stoi(parts[3]);
    named.tm_hour = std::stoi(parts[4]);
    named.tm_min = std::stoi(parts[5]);
    named.tm_sec = std::stoi(parts[6]);
    named.tm_isdst = -1;
    const std::time_t when = std::mktime(&named);
    EXPECT_TRUE(when >= before && when <= after) << files[0];

    const std::string printed = Printed(stem + ".pdf");
    const std::string archived = Archived(files[0]);
    ASSERT_GE(PdfPageCount(printed), 1);
    EXPECT_EQ(PdfPageCount(archived), PdfPageCount(printed));
    EXPECT_EQ(PageSizes(archived), PageSizes(printed));
    EXPECT_EQ(Shell("pdftotext -layout '" + archived + "' -"), Shell("pdftotext -layout '" + printed + "' -"));
    const std::string pixels = Shell("pdftoppm -r 50 -gray '" + printed + "'");
    EXPECT_GT(pixels.size(), 1000u);
    EXPECT_TRUE(Shell("pdftoppm -r 50 -gray '" + archived + "'") == pixels) << "the same pixels on every page";
    fs::remove(archived);
  }
}

TEST_F(ArchiveTest, TheFieldsOfTheName) {
  const passwd* user = ::getpwuid(::geteuid());
  ASSERT_NE(user, nullptr);
  const std::string two_pages = "Strona 1\r\n\x0cStrona 2\r\n";
  const std::string keys = "ArchiveName={name} {printer} {user} {pages}.pdf\n";
  const std::string name = std::string("stdin Prynda PDF ") + user->pw_name + " 2";
  fs::create_directory(Archive());
  for (int run = 1; run <= 3; ++run) {
    const ProgramRun printed = Run({"-", "/ST"}, keys, {.Input = two_pages, .WorkDir = dir_.Path()});
    EXPECT_EQ(printed.ExitCode, 0) << printed.Err;
  }
  EXPECT_EQ(FilesIn(Archive()), (std::vector<std::string>{name + "-2.pdf", name + "-3.pdf", name + ".pdf"}));
  // Whoever may read the folder may read its files, whatever the umask (a print server's is 077).
  fs::permissions(Archive(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  const mode_t umask = ::umask(077);
  const ProgramRun shared = Run({"-", "/ST"}, "ArchiveName=shared.pdf\n", {.Input = two_pages, .WorkDir = dir_.Path()});
  ::umask(umask);
  EXPECT_EQ(shared.ExitCode, 0) << shared.Err;
  EXPECT_EQ(fs::status(Archived("shared.pdf")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // A pattern that would leave the folder stays in it.
  const ProgramRun escaping = Run({dir_.Write("faktura.txt", "Faktura\r\n"), "/ST"}, "ArchiveName=../{name}\n");
  EXPECT_EQ(escaping.ExitCode, 0) << escaping.Err;
  EXPECT_TRUE(fs::exists(Archived("_._faktura.pdf")));
  EXPECT_EQ(FilesIn(dir_.Path()), (std::vector<std::string>{"archive", "config", "faktura.txt", "printed"}));
}

// Sends `signal` to the program once its standard output shows `text`.
std::function<void(int, const std::string&)> SignalWhenSeen(const std::string& text, int signal) {
  auto sent = std::make_shared<bool>(false);
  return [=](int pid, const std::string& out) {
    if (!*sent && out.find(text) != std::string::npos) {
      *sent = true;
      ::kill(pid, signal);
    }
  };
}

TEST_F(ArchiveTest, AJobThatDoesNotCompleteLeavesNothing) {
  const std::string lines = Repeat("Wiersz faktury z pozycjami 0123456789\r\n", 300);
  struct Case {
    std::string Name;
    std::string Input;
    std::string Keys;
    std::function<void(ProgramOptions&, const TempDir&)> Setup;
    int ExitCode;
  };
  const Case cases[] = {
      {"reading the file fails part-way", lines, "",
       [](ProgramOptions& p, const TempDir& dir) {
         p.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                  {"PRYNDA_FAIL_READ_PATH", dir.File("faktura.txt")},
                  {"PRYNDA_FAIL_READ_AFTER", "4095"},
                  {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
       },
       0},
      {"past the page limit", "Strona 1\r\n\x0cStrona 2\r\n", "MaxPages=1\n", nullptr, 1},
      {"stopped while its pages are printed", Repeat(Repeat("Strona wiersz\r\n", 60) + "\x0c", 3000), "",
       [](ProgramOptions& p, const TempDir&) { p.OnOutput = SignalWhenSeen("Wydruk strony # 2", SIGTERM); }, 1},
      {"the printer fails: its disk fills up", lines, "",
       [](ProgramOptions& p, const TempDir& dir) {
         p.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                  {"PRYNDA_FAIL_WRITE_DIR", dir.File("printed")},
                  {"PRYNDA_FAIL_WRITE_AFTER", "2000"},
                  {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
       },
       1},
      {"PostScript that Ghostscript cannot print", "%!PS\n/Courier findfont 12 scalefont setfont (x) show\nbogus\n",
       "Emulation=Auto\n", nullptr, 1},
  };
  fs::create_directory(Archive());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string input = dir_.Write("faktura.txt", c.Input);
    ProgramOptions program;
    if (c.Setup) c.Setup(program, dir_);
    const ProgramRun run = Run({input, "E"}, c.Keys, program);
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Out << run.Err;
    EXPECT_EQ(FilesIn(Archive()), std::vector<std::string>{}) << "no PDF and no temporary file";
    EXPECT_EQ(FilesIn(dir_.File("printed")), std::vector<std::string>{});
    EXPECT_TRUE(fs::exists(input)) << "the file is kept";
    EXPECT_EQ(run.Err.find("zarchiwizowano"), std::string::npos) << run.Err;
  }
}

TEST_F(ArchiveTest, AnArchiveThatCannotBeWrittenStopsNoPrintingAndIsReported) {
  struct Case {
    std::string Name;
    std::function<void(ProgramOptions&)> Setup;
    std::string Says;
  };
  const Case cases[] = {
      {"no such folder", nullptr, "Cannot write the archive in …/archive: No such file or directory"},
      {"a file in its place", [this](ProgramOptions&) { dir_.Write("archive", ""); },
       "Cannot write the archive in …/archive: Not a directory"},
      {"its disk fills up",
       [this](ProgramOptions& p) {
         fs::create_directory(Archive());
         p.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                  {"PRYNDA_FAIL_WRITE_DIR", Archive()},
                  {"PRYNDA_FAIL_WRITE_AFTER", "2000"},
                  {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
       },
       "Cannot write the archive in …/archive: No space left on device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove_all(Archive());
    fs::remove_all(dir_.File("printed"));
    const std::string input = dir_.File("faktura.txt");
    fs::copy_file(kExamples / "faktura.txt", input, fs::copy_options::overwrite_existing);
    ProgramOptions program;
    if (c.Setup) c.Setup(program);
    for (const char* quiet : {"/P", "/ST"}) {
      const ProgramRun run = Run({input, quiet, "E"}, "", program);
      EXPECT_EQ(run.ExitCode, 2) << run.Err;
      EXPECT_EQ(PdfPageCount(Printed("faktura.pdf")), 2) << "printed all the same";
      std::string said = run.Err;
      for (std::size_t at; (at = said.find(dir_.Path())) != std::string::npos;) said.replace(at, dir_.Path().size(), "…");
      EXPECT_EQ(said, "Wydrukowano, ale nie zarchiwizowano: " + c.Says + "\n");
      EXPECT_TRUE(fs::exists(input)) << "with no archive, E keeps the file";
      if (std::string(quiet) == "/P") {
        EXPECT_TRUE(run.Out.ends_with("Zadanie wykonano\nNaciśnij Enter")) << run.Out;
      }
      EXPECT_EQ(FilesIn(Archive()), std::vector<std::string>{});
    }
  }
}

// Job n of `count` started together, each its own mark on its own pages, all of one archive name.
TEST_F(ArchiveTest, JobsEndingAtOnceTakeANameEach) {
  constexpr int kJobs = 6;
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed files" : "hidden temporary files");
    fs::remove_all(Archive());
    fs::create_directory(Archive());
    WriteSettings("ArchiveName=wspolny.pdf\n");
    std::vector<ProgramRun> runs(kJobs);
    std::vector<std::thread> threads;
    for (int n = 0; n < kJobs; ++n) {
      const std::string input = dir_.Write("zadanie" + std::to_string(n) + ".txt",
                                           Repeat("Zadanie" + std::to_string(n) + "\r\n" + Repeat("pozycja 0123456789\r\n", 50) + "\x0c", 3));
      ProgramOptions program;
      if (!unnamed) {
        program.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB}, {"PRYNDA_FAIL_TMPFILE", "1"},
                       {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
      }
      threads.emplace_back([&runs, n, input, program, this] {
        ProgramOptions together = program;
        together.Args = {input, "/ST"};
        together.Env.emplace("PRYNDA_PDF", dir_.File("printed") + "/");
        together.Env.emplace("XDG_CONFIG_HOME", dir_.File("config"));
        runs[static_cast<std::size_t>(n)] = RunPrynda(together);
      });
    }
    for (auto& thread : threads) thread.join();
    std::vector<std::string> expected = {"wspolny.pdf"};
    for (int n = 2; n <= kJobs; ++n) expected.push_back("wspolny-" + std::to_string(n) + ".pdf");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(Archive()), expected);
    std::map<std::string, int> marks;
    for (const std::string& name : FilesIn(Archive())) {
      const std::string text = Shell("pdftotext '" + Archived(name) + "' -");
      std::smatch mark;
      ASSERT_TRUE(std::regex_search(text, mark, std::regex("Zadanie[0-9]"))) << name;
      EXPECT_EQ(PdfPageCount(Archived(name)), 3) << name;
      EXPECT_EQ(std::regex_replace(text, std::regex(mark.str()), "").find("Zadanie"), std::string::npos)
          << name << ": only one job's pages";
      ++marks[mark.str()];
    }
    for (int n = 0; n < kJobs; ++n) {
      EXPECT_EQ(runs[static_cast<std::size_t>(n)].ExitCode, 0) << runs[static_cast<std::size_t>(n)].Err;
      EXPECT_EQ(marks["Zadanie" + std::to_string(n)], 1);
    }
  }
}

TEST_F(ArchiveTest, ADocumentHandedOnIsArchivedAsAPdf) {
  fs::create_directory(Archive());
  const std::string postscript =
      dir_.Write("przelew.ps", "%!PS\n/Courier findfont 20 scalefont setfont 72 700 moveto (Przelew) show showpage\n");
  const ProgramRun made = Run({postscript, "/AUTO", "/ST"});
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  ASSERT_EQ(FilesIn(Archive()).size(), 1u);
  const std::string archived = Archived(FilesIn(Archive())[0]);
  EXPECT_NE(Shell("pdftotext '" + archived + "' -").find("Przelew"), std::string::npos);
  fs::remove(archived);

  // A PDF after a PJL header: the archive is the PDF as it is, as the printed one is.
  const std::string pdf = dir_.Write("wzor.pdf", "\x1b%-12345X@PJL ENTER LANGUAGE=PDF\r\n" + Shell("cat '" + Printed("przelew.pdf") + "'"));
  const ProgramRun copied = Run({pdf, "/AUTO", "/ST"});
  ASSERT_EQ(copied.ExitCode, 0) << copied.Err;
  ASSERT_EQ(FilesIn(Archive()).size(), 1u);
  EXPECT_EQ(Shell("cat '" + Archived(FilesIn(Archive())[0]) + "'"), Shell("cat '" + Printed("wzor.pdf") + "'"));
  EXPECT_EQ(Shell("head -c 5 '" + Printed("wzor.pdf") + "'"), "%PDF-");
}

}  // namespace
}  // namespace prynda::testing
