// The built program against a private CUPS scheduler (scripts/cups-test-server, started by CTest
// for these tests): two queues that differ on purpose - PryndaPdf (cups-pdf: A4, 300 dpi, no
// margins, the default) and PryndaFile (generic PDF to a file: Letter, 600 dpi, margins).
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cups/printer_port.h"
#include "cups/scheduler.h"
#include "e2e/run_program.h"
#include "support/form_files.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";

std::string PageSize(const std::string& pdf) {
  std::smatch match;
  const std::string info = Shell("pdfinfo " + pdf + " 2>/dev/null");
  return std::regex_search(info, match, std::regex(R"(Page size:\s+([0-9.]+ x [0-9.]+))")) ? std::string(match[1]) : "";
}

// 1500 pages of 60 lines: long enough to be still streaming when something stops it.
std::string LongReport() {
  std::string text;
  for (int page = 0; page < 1500; ++page) {
    for (int line = 0; line < 60; ++line) text += "Strona " + std::to_string(page) + " wiersz " + std::to_string(line) + "\r\n";
    text += "\x0c";
  }
  return text;
}

class CupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = PRYNDA_CUPS_DIR;
    if (!UsePrivateScheduler(server_)) GTEST_SKIP() << "no private CUPS scheduler";
    fs::remove(FileQueueOutput());
    before_ = LatestJobId();
    input_ = dir_.File("faktura.txt");
    fs::copy_file(kExamples / "faktura.txt", input_);
  }

  ProgramRun Print(std::vector<std::string> options, ProgramOptions extra = {}) {
    extra.Args = {input_};
    extra.Args.insert(extra.Args.end(), options.begin(), options.end());
    extra.Env.emplace("CUPS_SERVER", (server_ / "cups.sock").string());
    extra.Env.emplace("PRYNDA_PDF", dir_.File("fallback.pdf"));
    return RunPrynda(extra);
  }

  // The one job the last run made, once the scheduler is done with it.
  JobInfo FinishedJob() { return FinishedJobAfter(before_); }
  fs::path FileQueueOutput() const { return FileQueueOutputOf(server_); }
  fs::path PdfQueueOutput(int job) const { return PdfQueueOutputOf(server_, job); }

  // The leftmost dark pixel in the top `rows` rows of page 1, rendered at `dpi`.
  int LeftmostInk(const fs::path& pdf, int dpi, int rows) {
    const std::string base = dir_.File("page");
    Shell("pdftoppm -gray -r " + std::to_string(dpi) + " -f 1 -l 1 -singlefile " + pdf.string() + " " + base);
    std::ifstream in(base + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    int leftmost = width;
    for (int y = 0; y < std::min(rows, height); ++y) {
      for (int x = 0; x < leftmost; ++x) {
        if (pixels[static_cast<std::size_t>(y) * width + x] < 128) leftmost = x;
      }
    }
    return leftmost;
  }

  TempDir dir_;
  fs::path server_;
  std::string input_;
  int before_ = 0;
};

TEST_F(CupsTest, PrintsOnTheNamedQueueWithItsPaper) {
  const ProgramRun run = Print({"/DR=PryndaFile"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find("na drukark\xa9:PryndaFile\n"), std::string::npos) << run.Out;
  const JobInfo job = FinishedJob();
  EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(job.Printer, "PryndaFile");
  EXPECT_EQ(job.Title, "GDI=" + input_);
  EXPECT_EQ(PdfPageCount(FileQueueOutput()), 2);
  EXPECT_EQ(PageSize(FileQueueOutput()), "612 x 792");
  // Letter at 600 dpi with 6.35 mm (150 px) on the left: "FAKTURA" is the third column of its line.
  const std::string bbox = Shell("pdftotext -bbox -f 1 -l 1 " + FileQueueOutput().string() + " -");
  std::smatch word;
  ASSERT_TRUE(std::regex_search(bbox, word, std::regex(R"re(xMin="([0-9.]+)"[^>]*>FAKTURA<)re"))) << bbox;
  EXPECT_NEAR(std::stod(word[1]) * 600 / 72, 150 + 2 * 60 + 5, 1.0);
  // The frame's corner: its vertical half-segment stands HalfW = 31 px into the first cell.
  EXPECT_NEAR(LeftmostInk(FileQueueOutput(), 600, 600), 150 + 31, 1);
}

TEST_F(CupsTest, PrintsOnTheDefaultQueueAtItsResolution) {
  const ProgramRun run = Print({});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  const JobInfo job = FinishedJob();
  EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(job.Printer, "PryndaPdf");
  EXPECT_EQ(job.Title, "GDI=" + input_);
  const fs::path pdf = PdfQueueOutput(job.Id);
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(PdfPageCount(pdf), 2);
  EXPECT_EQ(PageSize(pdf), "595 x 842");
  // 300 dpi and no margins: 10-cpi cells of 30 px, the corner's vertical HalfW = 16 px in.
  EXPECT_NEAR(LeftmostInk(pdf, 300, 300), 16, 1);
}

TEST_F(CupsTest, LandscapePagesComeOutTurned) {
  fs::copy_file(kExamples / "poziomo.txt", input_, fs::copy_options::overwrite_existing);
  const ProgramRun run = Print({"/DR=PryndaFile"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(FinishedJob().State, IPP_JSTATE_COMPLETED);
  // The queue's paper stays portrait; the landscape page lies on it turned, its words upright.
  EXPECT_EQ(PageSize(FileQueueOutput()), "612 x 792");
  const std::string bbox = Shell("pdftotext -bbox " + FileQueueOutput().string() + " -");
  std::smatch box;
  ASSERT_TRUE(std::regex_search(bbox, box, std::regex(
      R"re(xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">Poniedzia)re"))) << bbox;
  EXPECT_GT(std::stod(box[4]) - std::stod(box[2]), 3 * (std::stod(box[3]) - std::stod(box[1])));
}

TEST_F(CupsTest, TheSheetAskedForIsAskedOfTheQueue) {
  // The default queue is A4; its media list has Letter, which the settings file asks for.
  std::filesystem::create_directories(dir_.File("config/prynda"));
  dir_.Write("config/prynda/prynda.ini", "[Prynda]\nPaper=Letter\n");
  ProgramOptions options;
  options.Env = {{"XDG_CONFIG_HOME", dir_.File("config")}};
  const ProgramRun run = Print({"/DR=PryndaPdf", "/ST"}, options);
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out.find("nie ma papieru"), std::string::npos) << run.Out;
  const JobInfo job = FinishedJob();
  EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(PageSize(PdfQueueOutput(job.Id).string()), "612 x 792");
}

TEST_F(CupsTest, AJobWithAFormArrivesWithTheFormOverTheWholeSheet) {
  // An A4 form on the Letter queue: stretched over the sheet, its corner word's left edge at
  // 10 pt x 612 / 595.276 = 10.28 pt, outside the printable area's 150 px (18 pt) margin.
  const std::string form = dir_.Write("papier.pdf", FormPdf({FormText(10, 800, "ROGFORMULARZA")}));
  const ProgramRun run = Print({"/DR=PryndaFile", "/ST", "/BG=" + form});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(FinishedJob().State, IPP_JSTATE_COMPLETED);
  ASSERT_EQ(PdfPageCount(FileQueueOutput()), 2);
  for (int page = 1; page <= 2; ++page) {
    SCOPED_TRACE(page);
    const std::string bbox = Shell("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                   FileQueueOutput().string() + " -");
    std::smatch word;
    ASSERT_TRUE(std::regex_search(bbox, word, std::regex(R"re(xMin="([0-9.]+)"[^>]*>ROGFORMULARZA<)re"))) << bbox;
    EXPECT_NEAR(std::stod(word[1]), 10.28, 0.1);
    EXPECT_NE(bbox.find(page == 1 ? ">FAKTURA<" : ">Warunki<"), std::string::npos);
  }

  // A form that cannot be used makes no job at all.
  before_ = LatestJobId();
  const ProgramRun broken = Print({"/DR=PryndaFile", "/ST", "/BG=" + dir_.Write("urwany.pdf", "%PDF-1.4\n1 0 obj<<")});
  EXPECT_EQ(broken.ExitCode, 1);
  EXPECT_NE(broken.Err.find("plik PDF jest uszkodzony"), std::string::npos) << broken.Err;
  EXPECT_EQ(LatestJobId(), before_);
}

TEST_F(CupsTest, CopiesAreMadeByTheQueue) {
  const ProgramRun run = Print({"/DR=PryndaFile", "K=3"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(FinishedJob().State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(PdfPageCount(FileQueueOutput()), 6);
}

// The archive of a job on a queue is the queue's own pages: its sheet, its resolution and margins.
// PCL, handed to a raw queue as it is, prints and cannot be archived: the program says so.
TEST_F(CupsTest, AJobOnAQueueIsArchivedAsTheQueueGotIt) {
  const std::string archive = dir_.File("archiwum");
  fs::create_directories(dir_.File("config/prynda"));
  fs::create_directory(archive);
  dir_.Write("config/prynda/prynda.ini", "[Prynda]\nArchive=" + archive + "\nArchiveName={printer}-{name}-{pages}\n");
  ProgramOptions options;
  options.Env = {{"XDG_CONFIG_HOME", dir_.File("config")}, {"LC_ALL", "C.UTF-8"}};
  const ProgramRun run = Print({"/DR=PryndaFile", "/ST"}, options);
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(FinishedJob().State, IPP_JSTATE_COMPLETED);
  const std::string archived = archive + "/PryndaFile-faktura-2.pdf";
  ASSERT_TRUE(fs::exists(archived)) << Shell("ls " + archive);
  EXPECT_EQ(PageSize(archived), "612 x 792");
  EXPECT_EQ(PageSize(archived), PageSize(FileQueueOutput()));
  const auto words = [](const fs::path& pdf) {
    return std::regex_replace(Shell("pdftotext -bbox " + pdf.string() + " - | grep '<word'"),
                              std::regex(R"(\.[0-9]+")"), "\"");  // whole points
  };
  EXPECT_GT(words(archived).size(), 1000u);
  EXPECT_EQ(words(archived), words(FileQueueOutput()));

  PrinterPort port;
  Shell("PATH=$PATH:/usr/sbin lpadmin -p PryndaRaw -E -v socket://127.0.0.1:" + std::to_string(port.Number()) +
        " -o printer-error-policy=abort-job 2>&1");
  before_ = LatestJobId();
  const std::string pcl = "\x1b" "E\x1b&l0O\x1b(s0p12h10v0s0b3T Faktura\x0c\x1b" "E";
  std::ofstream(input_, std::ios::binary | std::ios::trunc) << pcl;
  const ProgramRun raw = Print({"/AUTO", "/DR=PryndaRaw", "E"}, options);
  const JobInfo job = FinishedJob();
  Shell("PATH=$PATH:/usr/sbin lpadmin -x PryndaRaw");
  EXPECT_EQ(raw.ExitCode, 2) << raw.Err;
  EXPECT_EQ(raw.Err, "Wydrukowano, ale nie zarchiwizowano: zadania w PCL nie da się zapisać jako PDF\n");
  EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(port.Received(), pcl);
  EXPECT_TRUE(fs::exists(input_)) << "a job in no archive keeps its file";
  EXPECT_EQ(Shell("ls " + archive), "PryndaFile-faktura-2.pdf\n");
}

TEST_F(CupsTest, AnUnknownNameListsTheSchedulersPrinters) {
  const ProgramRun run = Print({"/DR=Laser", "/ST"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_TRUE(run.Out.starts_with("Nie odnaleziono drukarki Laser w systemie\n"
                                  "Lista zainstalowanych w systemie drukarek:\n"
                                  "PryndaDos\nPryndaFile\nPryndaPdf\nPrynda PDF\n\n"
                                  "Wybieram domy\x98ln\xa5\n"))
      << run.Out;
  EXPECT_EQ(FinishedJob().Printer, "PryndaPdf");
}

TEST_F(CupsTest, DefForcesTheDefaultQueue) {
  const ProgramRun run = Print({"/DR=def"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_TRUE(run.Out.starts_with("Wymuszono domy\x98ln\xa5 drukark\xa9 \n")) << run.Out;
  EXPECT_EQ(FinishedJob().Printer, "PryndaPdf");
}

TEST_F(CupsTest, AReadErrorMidFileCancelsTheJob) {
  // Three blocks of text; reading fails after the first.
  std::string text;
  while (text.size() < 12000) text += "Wiersz raportu 0123456789 abcdefghij ABCDEFGHIJ\r\n";
  std::ofstream(input_, std::ios::binary | std::ios::trunc) << text;
  ProgramOptions options;
  options.Env = {{"LD_PRELOAD", PRYNDA_FAIL_IO_LIB},
                 {"PRYNDA_FAIL_READ_PATH", input_},
                 {"PRYNDA_FAIL_READ_AFTER", "4095"},
                 {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
  const ProgramRun run = Print({"/DR=PryndaFile", "E"}, options);
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find("B\x88\xa5" "d odczytu z pliku " + input_ + "\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("Zadanie anulowano !\n"), std::string::npos) << run.Out;
  const JobInfo job = FinishedJob();
  EXPECT_EQ(job.State, IPP_JSTATE_CANCELED);
  EXPECT_FALSE(fs::exists(FileQueueOutput()) && fs::file_size(FileQueueOutput()) > 0) << "nothing may be printed";
  EXPECT_TRUE(fs::exists(input_)) << "a cancelled job keeps its file";
}

TEST_F(CupsTest, QueuesThatTakeNoJobsAreReported) {
  struct Case {
    std::string stop, restart, says;
  };
  const std::vector<Case> cases = {
      {"cupsreject PryndaFile", "cupsaccept PryndaFile", "does not accept the job"},
      {"cupsdisable PryndaFile", "cupsenable PryndaFile", "is stopped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stop);
    Shell(c.stop);
    const ProgramRun run = Print({"/DR=PryndaFile", "E"});
    Shell(c.restart);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("PryndaFile"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find(c.says), std::string::npos) << run.Err;
    EXPECT_TRUE(fs::exists(input_));
  }
}

TEST_F(CupsTest, WithoutASchedulerOnlyThePdfPrinterIsOffered) {
  ProgramOptions options;
  options.Env = {{"CUPS_SERVER", dir_.File("no-scheduler.sock")}};
  const ProgramRun run = Print({"/DR=PryndaFile"}, options);
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_TRUE(run.Out.starts_with("Nie odnaleziono drukarki PryndaFile w systemie\n"
                                  "Lista zainstalowanych w systemie drukarek:\n"
                                  "Prynda PDF\n\n"))
      << run.Out;
  EXPECT_EQ(PdfPageCount(dir_.File("fallback.pdf")), 2);
}

TEST_F(CupsTest, ASignalMidJobCancelsIt) {
  std::ofstream(input_, std::ios::binary | std::ios::trunc) << LongReport();
  ProgramOptions options;
  bool sent = false;
  options.OnOutput = [&](int pid, const std::string& out) {
    if (!sent && out.find("Wydruk strony # 3\n") != std::string::npos) {
      sent = true;
      ::kill(pid, SIGTERM);
    }
  };
  const ProgramRun run = Print({"/DR=PryndaFile", "E"}, options);
  EXPECT_EQ(run.ExitCode, 1) << run.Out;
  EXPECT_NE(run.Err.find("(SIGTERM)"), std::string::npos) << run.Err;
  EXPECT_EQ(FinishedJob().State, IPP_JSTATE_CANCELED);
  EXPECT_FALSE(fs::exists(FileQueueOutput()) && fs::file_size(FileQueueOutput()) > 0) << "nothing may be printed";
  EXPECT_TRUE(fs::exists(input_));
}

TEST_F(CupsTest, TwentyJobsAtOnceEachWholeAndItsOwn) {
  // Job n has n + 1 pages, so each PDF tells whose it is (the queue's PDFs keep no searchable text).
  std::vector<std::string> inputs;
  for (int n = 0; n < 20; ++n) {
    std::string text = "Zadanie " + std::to_string(n);
    for (int page = 0; page < n; ++page) text += "\x0c" "Zadanie " + std::to_string(n);
    inputs.push_back(dir_.Write("zadanie" + std::to_string(n) + ".txt", text));
  }
  std::vector<ProgramRun> runs(inputs.size());
  std::vector<std::thread> threads;
  for (std::size_t n = 0; n < inputs.size(); ++n) {
    threads.emplace_back([&, n] {
      runs[n] = RunPrynda({.Args = {inputs[n], "/ST"}, .Env = {{"CUPS_SERVER", (server_ / "cups.sock").string()}}});
    });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& run : runs) EXPECT_EQ(run.ExitCode, 0) << run.Err;

  std::vector<JobInfo> made;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (std::chrono::steady_clock::now() < deadline) {
    made.clear();
    for (const auto& job : Jobs()) {
      if (job.Id > before_ && job.State >= IPP_JSTATE_CANCELED) made.push_back(job);
    }
    if (made.size() >= inputs.size()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ASSERT_EQ(made.size(), inputs.size());
  for (const auto& job : made) {
    SCOPED_TRACE(job.Title);
    EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
    const auto n = std::find(inputs.begin(), inputs.end(), job.Title.substr(4)) - inputs.begin();
    EXPECT_EQ(PdfPageCount(PdfQueueOutput(job.Id).string()), n + 1);
  }
}

TEST_F(CupsTest, ASchedulerThatStopsMidJobEndsItWithAMessage) {
  // A long report, so that the scheduler goes while its pages are still streaming.
  std::ofstream(input_, std::ios::binary | std::ios::trunc) << LongReport();
  const std::string script = (fs::path(PRYNDA_SOURCE_DIR) / "scripts" / "cups-test-server").string();
  ProgramOptions options;
  options.WhileRunning = [&] {
    // Once the job exists, its document is streaming: the scheduler goes then.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (LatestJobId() <= before_ && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Shell("kill -9 $(cat " + (server_ / "cupsd.pid").string() + ")");
  };
  const auto started = std::chrono::steady_clock::now();
  const ProgramRun run = Print({"/DR=PryndaFile", "E", "/ST"}, options);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // The scheduler comes back for the tests that follow.
  Shell("PRYNDA_REQUIRE_CUPS=1 " + script + " start " + server_.string() + " " + PRYNDA_BACKEND_EXE);
  EXPECT_EQ(run.ExitCode, 1) << run.Out;
  EXPECT_NE(run.Err.find("PryndaFile"), std::string::npos) << run.Err;
  EXPECT_TRUE(fs::exists(input_));
  EXPECT_LT(seconds, 60) << "nothing may hang";
}

}  // namespace
}  // namespace prynda::testing
