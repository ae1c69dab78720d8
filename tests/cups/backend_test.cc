// The CUPS backend on the private scheduler (scripts/cups-test-server): the queue PryndaDos
// (prynda:/PryndaFile) in front of the generic PDF queue PryndaFile (Letter, 600 dpi, margins).
// What arrives on PryndaFile must be what "Prynda PDF" makes of the same file: the same words,
// Polish letters and all, at the same places on the page.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cups/scheduler.h"
#include "e2e/run_program.h"
#include "support/form_files.h"
#include "support/pdf_tools.h"
#include "support/zip_files.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";

struct Word {
  int Page = 0;
  double X = 0;
  double Y = 0;
  std::string Text;
};

// The words of a PDF with their top-left corners in points, as pdftotext finds them.
std::vector<Word> Words(const std::string& pdf) {
  const std::string xml = Shell("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
  const std::regex item(R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
  std::vector<Word> words;
  int page = 0;
  for (std::sregex_iterator it(xml.begin(), xml.end(), item), end; it != end; ++it) {
    if ((*it)[1].length() == 0) {
      ++page;
    } else {
      words.push_back(Word{page, std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
    }
  }
  return words;
}

class BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = PRYNDA_CUPS_DIR;
    if (!UsePrivateScheduler(server_)) GTEST_SKIP() << "no private CUPS scheduler";
    std::ifstream(server_ / "port") >> port_;
    Restart();
  }

  // Before each job: no output, and the jobs counted from here.
  void Restart() {
    fs::remove(Output());
    before_ = LatestJobId();
  }

  // A client command on the private scheduler (CUPS_SERVER names it); what it says.
  std::string Client(const std::string& command) { return Shell(command + " 2>&1"); }

  // The jobs made since Restart once `count` of them have ended, oldest first.
  std::vector<JobInfo> EndedJobs(std::size_t count) {
    std::vector<JobInfo> made;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      made.clear();
      std::size_t ended = 0;
      for (const JobInfo& job : Jobs()) {
        if (job.Id <= before_) continue;
        made.push_back(job);
        if (Ended(job)) ++ended;
      }
      if (ended >= count && ended == made.size()) return made;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the jobs did not end";
    return made;
  }

  // What "Prynda PDF" makes of `input` with `options`.
  std::string PdfPrinterOutput(const std::string& input, std::vector<std::string> options = {}) {
    const std::string pdf = dir_.File("reference.pdf");
    ProgramOptions run;
    run.Args = {input};
    run.Args.insert(run.Args.end(), options.begin(), options.end());
    run.Env.emplace("PRYNDA_PDF", pdf);
    EXPECT_EQ(RunPrynda(run).ExitCode, 0);
    return pdf;
  }

  // The queue's PDF holds the reference's words at the same places on the printable area: the
  // queue's starts 150 px from the left and 300 px from the top at 600 dpi, "Prynda PDF"'s 100 px
  // from both, so each word stands 50 px (6 pt) further right and 200 px (24 pt) further down.
  void ExpectSameWords(const std::string& reference) {
    const std::vector<Word> expected = Words(reference);
    const std::vector<Word> got = Words(Output());
    ASSERT_GT(expected.size(), 10u);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(expected[i].Text);
      EXPECT_EQ(got[i].Page, expected[i].Page);
      EXPECT_EQ(got[i].Text, expected[i].Text);
      EXPECT_NEAR(got[i].X, expected[i].X + 6, 0.01);
      EXPECT_NEAR(got[i].Y, expected[i].Y + 24, 0.01);
    }
  }

  std::string Output() const { return (server_ / "out" / "file" / "out.pdf").string(); }

  TempDir dir_;
  fs::path server_;
  int port_ = 0;
  int before_ = 0;
};

TEST_F(BackendTest, AnInvoiceArrivesAsPryndaPrintsIt) {
  const std::string invoice = (kExamples / "faktura.txt").string();
  const std::string twice = dir_.Write("twice.txt", Shell("cat " + invoice + " " + invoice));
  struct Case {
    std::string Client;
    std::string Command;
    std::string Reference;  // the file printed
  };
  const std::string as_kasa = " -U kasa1 ";
  // An LPD client (RFC 1179: the queue, a control file, a data file) talking to cups-lpd.
  const std::string control = "Hkasa\nPkasa1\nJFaktura 127/2026\nldfA001kasa\nNfaktura.txt\n";
  const std::string lpd = "{ printf '\\002PryndaDos\\n\\002" + std::to_string(control.size()) + " cfA001kasa\\n';"
                          " printf '" + std::regex_replace(control, std::regex("\n"), "\\n") + "\\000';"
                          " printf '\\003" + std::to_string(fs::file_size(invoice)) + " dfA001kasa\\n';"
                          " cat " + invoice + "; printf '\\000'; } | /usr/lib/cups/daemon/cups-lpd -n -h " +
                          (server_ / "cups.sock").string() + " >/dev/null";
  const std::vector<Case> cases = {
      {"lp", "lp" + as_kasa + "-d PryndaDos -t 'Faktura 127/2026' " + invoice, invoice},
      {"lpr", "lpr" + as_kasa + "-P PryndaDos -T 'Faktura 127/2026' " + invoice, invoice},
      {"IPP over TCP", "lp -h 127.0.0.1:" + std::to_string(port_) + as_kasa + "-d PryndaDos -t 'Faktura 127/2026' " + invoice,
       invoice},
      {"LPD through cups-lpd", lpd, invoice},
      // Two documents in one job reach the backend on its standard input.
      {"lp, two files", "lp" + as_kasa + "-d PryndaDos -t 'Faktura 127/2026' " + invoice + " " + invoice, twice},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Client);
    Restart();
    Client(c.Command);
    const std::vector<JobInfo> jobs = EndedJobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].Printer, "PryndaDos");
    EXPECT_EQ(jobs[0].State, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(jobs[1].Printer, "PryndaFile");
    EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(jobs[1].User, "kasa1");
    EXPECT_EQ(jobs[1].Title, "Faktura 127/2026");
    ExpectSameWords(PdfPrinterOutput(c.Reference));
  }
}

TEST_F(BackendTest, CopiesAreTheTargetsToMake) {
  Client("lp -d PryndaDos -n 2 " + (kExamples / "faktura.txt").string());
  EXPECT_EQ(EndedJobs(2).back().State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(PdfPageCount(Output()), 4);
}

TEST_F(BackendTest, TheQueuesDefaultsAreOptionsToo) {
  Client("lpadmin -p PryndaMaz -E -v prynda:/PryndaFile -o printer-error-policy=abort-job -o prynda-maz-default=true");
  const std::string letter = (kExamples / "list-mazowia.txt").string();
  Client("lp -d PryndaMaz " + letter);
  const std::vector<JobInfo> jobs = EndedJobs(2);
  Client("lpadmin -x PryndaMaz");
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
  ExpectSameWords(PdfPrinterOutput(letter, {"MAZ"}));
}

TEST_F(BackendTest, FxModeIsAnOption) {
  // ESC @ starts the file as ESC/P programs do; ESC M (12 cpi) moves the words of the first line,
  // which Prynda's own dialect does not.
  const std::string input = dir_.Write("fx.txt", "\x1b@\x1bMFaktura nr 7/2026 z dnia 2026-12-08\r\n"
                                                 "\x1bPRazem do zap\x88" "aty: 12,50 z\x88\r\n\x0c");
  const std::vector<Word> plain = Words(PdfPrinterOutput(input));
  const std::string fx = PdfPrinterOutput(input, {"/FX"});
  ASSERT_EQ(plain.size(), Words(fx).size());
  ASSERT_NE(plain[1].X, Words(fx)[1].X) << "FX mode must place these words otherwise";
  Client("lp -d PryndaDos -o prynda-fx " + input);
  EXPECT_EQ(EndedJobs(2).back().State, IPP_JSTATE_COMPLETED);
  ExpectSameWords(fx);
}

// A queue that recognises its jobs: the ESC/P file prints in FX mode as /FX prints it, and a
// PostScript job goes on to the target as PostScript, which the target's own filters print.
TEST_F(BackendTest, AQueueThatRecognisesItsJobs) {
  const std::string input = dir_.Write("fx.txt", "\x1b@\x1bMFaktura nr 7/2026 z dnia 2026-12-08\r\n"
                                                 "\x1bPRazem do zap\x88" "aty: 12,50 z\x88\r\n\x0c");
  const std::string fx = PdfPrinterOutput(input, {"/FX"});
  Client("lpadmin -p PryndaDos -o prynda-auto-default=true");
  Client("lp -d PryndaDos " + input);
  EXPECT_EQ(EndedJobs(2).back().State, IPP_JSTATE_COMPLETED);
  ExpectSameWords(fx);

  Restart();
  const std::string postscript = dir_.Write(
      "list.ps", "%!PS\n/Courier findfont 20 scalefont setfont 72 700 moveto (Pozdrowienia) show showpage\n");
  Client("lp -d PryndaDos " + postscript);
  const std::vector<JobInfo> jobs = EndedJobs(2);
  Client("lpadmin -p PryndaDos -R prynda-auto-default");
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
  EXPECT_NE(Shell("pdftotext '" + Output() + "' -").find("Pozdrowienia"), std::string::npos);
}

TEST_F(BackendTest, AJobThatCannotPrintFailsWithAMessage) {
  struct Case {
    std::string Name;
    std::string Before;  // client commands that set the case up
    std::string Queue;
    std::string After;
    std::string Says;
  };
  const std::vector<Case> cases = {
      {"no such target", "lpadmin -p PryndaBad -E -v prynda:/Nowhere -o printer-error-policy=abort-job", "PryndaBad",
       "lpadmin -x PryndaBad", "There is no queue Nowhere to print on"},
      {"a target that prints through prynda", "lpadmin -p PryndaBad -E -v prynda:/PryndaDos -o printer-error-policy=abort-job",
       "PryndaBad", "lpadmin -x PryndaBad", "Queue PryndaDos prints through prynda itself"},
      {"a target that rejects jobs", "cupsreject PryndaFile", "PryndaDos", "cupsaccept PryndaFile",
       "Printer PryndaFile does not accept the job"},
      {"a stopped target", "cupsdisable PryndaFile", "PryndaDos", "cupsenable PryndaFile", "Printer PryndaFile is stopped"},
      {"an option it cannot take", "true", "PryndaDos -o prynda-cp=UTF8", "true", "Option prynda-cp=UTF8"},
      {"a target class that holds a prynda queue",
       "lpadmin -p PryndaFile -c PryndaClass; lpadmin -p PryndaDos -c PryndaClass;"
       " lpadmin -p PryndaBad -E -v prynda:/PryndaClass -o printer-error-policy=abort-job",
       "PryndaBad", "lpadmin -x PryndaBad; lpadmin -x PryndaClass",
       "Queue PryndaClass holds PryndaDos, which prints through prynda itself"},
      {"a job that prynda made", "true", "PryndaDos -o prynda-from=PryndaElsewhere", "true",
       "The job comes back from prynda (prynda-from=PryndaElsewhere)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Restart();
    Client(c.Before);
    Client("lp -d " + c.Queue + " " + (kExamples / "faktura.txt").string());
    const std::vector<JobInfo> jobs = EndedJobs(1);
    Client(c.After);
    ASSERT_EQ(jobs.size(), 1u) << "nothing goes to the target";
    EXPECT_EQ(jobs[0].State, IPP_JSTATE_ABORTED);
    const std::string log = Shell("cat " + (server_ / "log" / "error_log").string());
    EXPECT_NE(log.find("[Job " + std::to_string(jobs[0].Id) + "] " + c.Says), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(Output()));
  }
}

TEST_F(BackendTest, AJobSentRoundThroughAnotherSchedulerComesBackOnceAndFails) {
  // PryndaRelay hands what it gets to PryndaLoop over IPP, as a queue for another CUPS server would.
  Client("lpadmin -p PryndaRelay -E -v 'ipp://127.0.0.1:" + std::to_string(port_) +
         "/printers/PryndaLoop?waitjob=false' -o printer-error-policy=abort-job");
  Client("lpadmin -p PryndaLoop -E -v prynda:/PryndaRelay -o printer-error-policy=abort-job");
  Client("lp -d PryndaLoop " + (kExamples / "faktura.txt").string());
  const std::vector<JobInfo> jobs = EndedJobs(3);
  Client("lpadmin -x PryndaRelay; lpadmin -x PryndaLoop");
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0].State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(jobs[1].Printer, "PryndaRelay");
  EXPECT_EQ(jobs[2].Printer, "PryndaLoop");
  EXPECT_EQ(jobs[2].State, IPP_JSTATE_ABORTED);
  const std::string log = Shell("cat " + (server_ / "log" / "error_log").string());
  EXPECT_NE(log.find("[Job " + std::to_string(jobs[2].Id) + "] The job comes back from prynda (prynda-from=PryndaLoop)"),
            std::string::npos) << log;
}

TEST_F(BackendTest, AJobPastItsPageLimitPrintsNothing) {
  const std::string pages = dir_.Write("3pages.txt", "Strona 1\r\n\x0cStrona 2\r\n\x0cStrona 3\r\n");
  const fs::path settings = server_ / "serverbin" / "backend" / "prynda.ini";  // the system's: root's folder
  struct Case {
    std::string Name;
    std::string Before;
    std::string Options;
    std::string After;
  };
  const std::vector<Case> cases = {
      {"the job's limit", "true", "-o prynda-max-pages=2", "true"},
      {"the queue's limit", "lpadmin -p PryndaDos -o prynda-max-pages-default=2", "",
       "lpadmin -p PryndaDos -R prynda-max-pages-default"},
      {"the settings file's limit", "printf '[Prynda]\\nMaxPages=2\\n' > " + settings.string(), "",
       "rm -f " + settings.string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Restart();
    Client(c.Before);
    Client("lp -d PryndaDos " + c.Options + " " + pages);
    const std::vector<JobInfo> jobs = EndedJobs(2);
    Client(c.After);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].State, IPP_JSTATE_CANCELED) << "the job's own fault";
    EXPECT_EQ(jobs[1].Printer, "PryndaFile");
    EXPECT_EQ(jobs[1].State, IPP_JSTATE_CANCELED);
    EXPECT_FALSE(fs::exists(Output()) && fs::file_size(Output()) > 0) << "nothing may be printed";
    const std::string log = Shell("cat " + (server_ / "log" / "error_log").string());
    EXPECT_NE(log.find("[Job " + std::to_string(jobs[0].Id) +
                       "] The job would print more than 2 pages (prynda-max-pages); nothing was printed"),
              std::string::npos) << log;
  }
}

// What is no DOS printout, through a queue that recognises its jobs: a picture printed on one page,
// raster pages and a receipt printer's language handed on to the target (or drawn, where it takes
// no raster).
TEST_F(BackendTest, PicturesRasterAndReceiptsReachTheTarget) {
  const std::string page = dir_.Write("strona.ps", "%!PS\n0 0 1 setrgbcolor 100 100 300 300 rectfill showpage\n");
  const auto ghostscript = [&](const std::string& device) {
    const std::string out = dir_.File("strona." + device);
    Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -r30 -sDEVICE=" + device + " -sOutputFile=" + out + " " + page);
    return out;
  };
  struct Case {
    std::string Name;
    std::string File;
    int Pages;  // of the target's PDF; 0: not a PDF (a language the target takes raw)
  };
  const std::vector<Case> cases = {
      {"a picture", ghostscript("png16m"), 1},
      {"an XPS document", dir_.Write("dokument.xps", OnePageXps()), 1},
      {"PWG raster", ghostscript("pwgraster"), 1},
      {"a receipt", dir_.Write("paragon.prn", "\x1b@\x1b" "a\x01Paragon\n\x1b" "E\x01SUMA 12,00\x1b" "E\x00\n\x1dV\x01"), 0},
  };
  Client("lpadmin -p PryndaDos -o prynda-auto-default=true");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Restart();
    Client("lp -d PryndaDos " + c.File);
    const std::vector<JobInfo> jobs = EndedJobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].State, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(jobs[1].Printer, "PryndaFile");
    EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
    if (c.Pages > 0) {
      EXPECT_EQ(PdfPageCount(Output()), c.Pages);
    }
  }
  Client("lpadmin -p PryndaDos -R prynda-auto-default");
}

// A job refused for what it is ends only itself, whatever the queue's error policy: the queue
// stays enabled and prints the next job at once.
TEST_F(BackendTest, ARefusedJobEndsOnlyItself) {
  // (A compressed file would not do: the scheduler unpacks gzip itself.)
  const std::string program = dir_.File("faktura.exe");
  fs::copy_file("/bin/true", program);
  for (const std::string policy : {"stop-printer", "retry-job", "retry-current-job"}) {
    SCOPED_TRACE(policy);
    Restart();
    Client("lpadmin -p PryndaDos -o printer-error-policy=" + policy + " -o prynda-auto-default=true");
    Client("lp -d PryndaDos " + program);
    Client("lp -d PryndaDos " + (kExamples / "faktura.txt").string());
    const std::vector<JobInfo> jobs = EndedJobs(3);
    Client("lpadmin -p PryndaDos -o printer-error-policy=abort-job -R prynda-auto-default");
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].State, IPP_JSTATE_CANCELED);
    EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(jobs[2].Printer, "PryndaFile");
    EXPECT_EQ(PdfPageCount(Output()), 2);
    const std::string log = Shell("cat " + (server_ / "log" / "error_log").string());
    EXPECT_NE(log.find("[Job " + std::to_string(jobs[0].Id) +
                       "] The job is a program (ELF), not a printout; nothing was printed; the job is "
                       "cancelled, the queue goes on"),
              std::string::npos) << log;
  }
}

// Documents that would hold the queue or pass its page limit, on a queue that keeps an archive:
// each is cancelled at its limit (ProgramTime, the page limit) or as damaged, nothing reaches the
// target or the archive, and the next job prints and is archived for the folder's group to read.
TEST_F(BackendTest, HostileDocumentsEndOnlyThemselvesAndLeaveNothing) {
  const fs::path settings = server_ / "serverbin" / "backend" / "prynda.ini";  // the system's: root's folder
  const fs::path archive = server_ / "archiwum-obcych";  // the tests share the server: a folder of its own
  fs::create_directory(archive);
  Client("chown lp:lp " + archive.string() + " && chmod 0750 " + archive.string());
  std::ofstream(settings) << "[Prynda]\nArchive=" << archive.string() << "\nArchiveName={name}\nProgramTime=2\n";
  std::string kids;
  for (int i = 0; i < 20000; ++i) kids += "3 0 R ";
  const std::vector<std::string> jobs = {
      dir_.Write("petla.ps", "%!PS\n{} loop\n"),
      dir_.Write("strony.ps", "%!PS\n20000 { showpage } repeat\n"),
      dir_.Write("strony.pdf", PdfOfObjects({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Count 20000/Kids[" + kids + "]>>",
                                              "<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]>>"})),
      dir_.Write("udaje.pdf", "%PDF-1.4\nFaktura nr 12/2026\r\n"),
  };
  Client("lpadmin -p PryndaDos -o prynda-auto-default=true");
  for (const std::string& job : jobs) {
    SCOPED_TRACE(job);
    Restart();
    Client("lp -d PryndaDos " + job);
    const std::vector<JobInfo> ended = EndedJobs(1);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].State, IPP_JSTATE_CANCELED);
    EXPECT_EQ(Shell("ls -A " + archive.string()), "");
  }
  Restart();
  Client("lp -d PryndaDos -t faktura " + (kExamples / "faktura.txt").string());
  const std::vector<JobInfo> printed = EndedJobs(2);
  Client("lpadmin -p PryndaDos -R prynda-auto-default");
  fs::remove(settings);
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[1].State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(fs::status(archive / "faktura.pdf").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The system's settings file names an archive: every job of the queue is kept there, named by the
// job's user and title, as the target printed it. A folder the backend (user lp) cannot write in
// does not stop the printing, and the scheduler's log says so.
TEST_F(BackendTest, AQueueKeepsEveryJobInItsArchive) {
  const fs::path settings = server_ / "serverbin" / "backend" / "prynda.ini";  // the system's: root's folder
  const fs::path archive = server_ / "archiwum";
  fs::create_directory(archive);
  Client("chown lp:lp " + archive.string() + " && chmod 0750 " + archive.string());
  std::ofstream(settings) << "[Prynda]\nArchive=" << archive.string() << "\nArchiveName={user}-{name}\n";
  const std::string invoice = (kExamples / "faktura.txt").string();
  Client("lp -U kasa1 -d PryndaDos -t 'Faktura 127/2026' " + invoice);
  std::vector<JobInfo> jobs = EndedJobs(2);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
  const fs::path archived = archive / "kasa1-Faktura 127_2026.pdf";
  ASSERT_TRUE(fs::exists(archived)) << Shell("ls -la " + archive.string());
  const std::vector<Word> expected = Words(Output());
  const std::vector<Word> got = Words(archived.string());
  ASSERT_GT(expected.size(), 10u);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].Page, expected[i].Page);
    EXPECT_EQ(got[i].Text, expected[i].Text);
    EXPECT_NEAR(got[i].X, expected[i].X, 0.01);
    EXPECT_NEAR(got[i].Y, expected[i].Y, 0.01);
  }

  // The title lp gives by itself is the file's name; its extension goes, as a file's does.
  Restart();
  Client("lp -U kasa2 -d PryndaDos " + invoice);
  EXPECT_EQ(EndedJobs(2).back().State, IPP_JSTATE_COMPLETED);
  EXPECT_TRUE(fs::exists(archive / "kasa2-faktura.pdf")) << Shell("ls -la " + archive.string());

  Restart();
  Client("chown root:root " + archive.string() + " && chmod 0755 " + archive.string());
  Client("lp -U kasa1 -d PryndaDos " + invoice);
  jobs = EndedJobs(2);
  fs::remove(settings);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].State, IPP_JSTATE_COMPLETED) << "printed: a failure would have it printed again";
  EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(PdfPageCount(Output()), 2);
  const std::string log = Shell("cat " + (server_ / "log" / "error_log").string());
  EXPECT_NE(log.find("[Job " + std::to_string(jobs[0].Id) + "] Wydrukowano, ale nie zarchiwizowano: Cannot write the archive in " +
                     archive.string() + ": Permission denied"),
            std::string::npos)
      << log;
  EXPECT_EQ(Shell("ls " + archive.string()), "kasa1-Faktura 127_2026.pdf\nkasa2-faktura.pdf\n");
}

TEST_F(BackendTest, WhatLiesInTheBackendsHomeChangesNothing) {
  // The scheduler gives its backends HOME=TempDir, a folder its filters all write in.
  const fs::path home = server_ / "tmp";
  const auto plant = [&home](const std::string& file, const std::string& text) {
    fs::create_directories((home / file).parent_path());
    std::ofstream(home / file) << text;
  };
  plant(".config/prynda/prynda.ini", "[FormKelvra]\r\nForceFF=T\r\nFF_LINES=T\r\nFF_NLINES=1\r\n");
  plant(".config/fontconfig/fonts.conf",
        "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\"><fontconfig>"
        "<match target=\"pattern\"><edit name=\"family\" mode=\"prepend\" binding=\"strong\">"
        "<string>DejaVu Serif</string></edit></match></fontconfig>");
  plant(".cups/lpoptions", "Dest PryndaFile device-uri=prynda:/PryndaDos\n");  // as if it went round
  Shell("chmod -R a+rwX " + (home / ".config").string() + " " + (home / ".cups").string());
  Client("lp -d PryndaDos " + dir_.Write("5lines.txt", "Linia 1\r\nLinia 2\r\nLinia 3\r\nLinia 4\r\nLinia 5\r\n"));
  const std::vector<JobInfo> jobs = EndedJobs(2);
  const bool cached = fs::exists(home / ".cache" / "prynda");
  for (const char* planted : {".config", ".cups", ".cache"}) fs::remove_all(home / planted);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[1].State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(PdfPageCount(Output()), 1) << "a settings file there makes a page of each line";
  // The faces the system's configuration gives, as "Prynda PDF" embeds them.
  const auto faces = [](const std::string& pdf) {
    return std::regex_replace(Shell("pdffonts '" + pdf + "' | tail -n +3 | cut -d' ' -f1"), std::regex("[A-Z]{6}\\+"), "");
  };
  EXPECT_EQ(faces(Output()), faces(PdfPrinterOutput(dir_.File("5lines.txt"))));
  EXPECT_FALSE(cached) << "no font cache of Prynda's there";
}

TEST_F(BackendTest, WhatAJobSaysReachesTheSchedulerEscaped) {
  // An option name with an escape sequence, a value that is not UTF-8 and runs on and on.
  Client("lp -d PryndaDos -o \"$(printf 'prynda-\\033[31mred')=x\" -o \"prynda-cp=$(printf '\\377\\376')" +
         std::string(100, 'a') + "\" " + (kExamples / "faktura.txt").string());
  const std::vector<JobInfo> jobs = EndedJobs(1);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].State, IPP_JSTATE_ABORTED);
  const std::string shown = "Option prynda-cp=\\xFF\\xFE" + std::string(71, 'a') + "\xE2\x80\xA6: the code page is one of";
  const std::string status = Client("lpstat -l -W all -o PryndaDos");
  const std::string job = "PryndaDos-" + std::to_string(jobs[0].Id) + " ";
  ASSERT_NE(status.find(job), std::string::npos) << status;
  EXPECT_EQ(status.find("\tStatus: " + shown, status.find(job)), status.find("\tStatus: ", status.find(job))) << status;
  // The scheduler's log writes a backslash as two (its own record of the job's arguments, at
  // level D, has them as they came).
  const std::string log = Shell("grep -a '^[WE] .*\\[Job " + std::to_string(jobs[0].Id) + "\\]' " +
                                (server_ / "log" / "error_log").string());
  EXPECT_NE(log.find("Unknown option prynda-\\\\x1B[31mred ignored"), std::string::npos) << log;
  EXPECT_EQ(log.find_first_of("\x1b\xff"), std::string::npos) << log;
}

TEST_F(BackendTest, ACancelledJobLeavesNothingOnTheTarget) {
  // Pages that take the backend over half a second (within its page limit), so that the job is
  // still printing when the cancel arrives, however busy the machine.
  std::string page;
  for (int line = 0; line < 20; ++line) page += std::string(60, 'x') + "\r\n";
  std::string report;
  for (int pages = 0; pages < 4000; ++pages) report += page + "\x0c";
  Client("lp -d PryndaDos " + dir_.Write("raport.txt", report));
  // Once the target's job exists, its document is streaming: the job is cancelled then, as
  // "cancel" does it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (LatestJobId() < before_ + 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(cupsCancelJob2(CUPS_HTTP_DEFAULT, "PryndaDos", before_ + 1, 0), IPP_STATUS_OK) << cupsLastErrorString();
  const std::vector<JobInfo> jobs = EndedJobs(2);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].State, IPP_JSTATE_CANCELED);
  EXPECT_EQ(jobs[1].Printer, "PryndaFile");
  EXPECT_EQ(jobs[1].State, IPP_JSTATE_CANCELED);
  EXPECT_FALSE(fs::exists(Output()) && fs::file_size(Output()) > 0) << "nothing may be printed";
  // The scheduler stopped the backend in the middle of the document.
  const std::string log = Shell("cat " + (server_ / "log" / "error_log").string());
  EXPECT_NE(log.find("[Job " + std::to_string(jobs[0].Id) + "] Zadanie przerwane (SIGTERM)"), std::string::npos) << log;
}

}  // namespace
}  // namespace prynda::testing
