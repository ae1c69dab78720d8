// The CUPS backend's own steps: the queue its device URI names, the job options it turns into
// Prynda's, what it shows of a job's text, the queues behind its target, and one job over the
// recording print system as the scheduler would run it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cupsbackend/backend_job.h"
#include "jobcontrol/options.h"
#include "jobcontrol/settings_file.h"
#include "platform/platform.h"
#include "support/job_fixture.h"

namespace prynda::testing {
namespace {

TEST(TargetQueueTest, TakesTheQueueNameAfterTheScheme) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"prynda:/LaserJet", "LaserJet"},
      {"prynda://LaserJet", "LaserJet"},
      {"PRYNDA:/Biuro%5fHP", "Biuro_HP"},
      {"prynda:/Q%2", "Q%2"},
      {"prynda:/", std::nullopt},
      {"prynda:/a/b", std::nullopt},
      {"prynda:/a%2Fb", std::nullopt},
      {"ipp://localhost/printers/LaserJet", std::nullopt},
      {"prynda", std::nullopt},
  };
  for (const auto& [uri, queue] : cases) EXPECT_EQ(TargetQueue(uri), queue) << uri;
}

TEST(LogTextTest, EscapesWhatAJobCouldHideAndCutsLongText) {
  const std::string ellipsis = "\xE2\x80\xA6";
  const std::string x79(79, 'x');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"prynda-cp", "prynda-cp"},
      {"Zażółć, \\ i \"€\"", "Zażółć, \\ i \"€\""},  // UTF-8 and backslashes stay
      {"a\x1b[31mb\r\nERROR: c\x7f", "a\\x1B[31mb\\x0D\\x0AERROR: c\\x7F"},
      {std::string("n\0l", 3), "n\\x00l"},
      {"\xc2\x9b" "2J", "\\xC2\\x9B2J"},        // a C1 control (CSI), though valid UTF-8
      {"\xff\xfe", "\\xFF\\xFE"},
      {"\xc3(", "\\xC3("},                  // a sequence cut short
      {"\xc0\xaf", "\\xC0\\xAF"},            // an overlong '/'
      {"\xed\xa0\x80", "\\xED\\xA0\\x80"},    // a surrogate
      {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // above U+10FFFF
      {"\xf0\x9f\x96\xa8", "\xf0\x9f\x96\xa8"},      // U+1F5A8, a printer
      {std::string(80, 'x'), std::string(80, 'x')},
      {std::string(81, 'x'), x79 + ellipsis},
      {std::string(100, 'x'), x79 + ellipsis},
      {std::string(79, 'x') + "ż", x79 + "ż"},    // 80 characters, 81 bytes
      {std::string(77, 'x') + "\x1b" "ab", std::string(77, 'x') + ellipsis},  // an escape is not split
      {std::string(76, 'x') + "\x1b", std::string(76, 'x') + "\\x1B"},
  };
  for (const auto& [in, shown] : cases) {
    EXPECT_EQ(LogText(in), shown) << in;
    EXPECT_EQ(LogText(LogText(in)), LogText(in)) << in;
  }
  EXPECT_EQ(LogText(std::string(200, 'x'), 1000), std::string(200, 'x'));
  EXPECT_EQ(LogText("abc", 1), ellipsis);
  EXPECT_EQ(LogText("abc", 0), "");
}

TEST(MapBackendOptionsTest, TurnsPryndaOptionsIntoProgramOptions) {
  using Options = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    Options In;
    std::string Out;
    std::vector<std::string> Ignored;
    bool Fails = false;
    int MaxPages = 0;
  };
  const std::vector<Case> cases = {
      {{}, "", {}},
      {{{"prynda-fx", "true"}, {"prynda-maz", "true"}, {"prynda-lf", "yes"}, {"prynda-cp", "852"}, {"prynda-fit", "on"}},
       "/FX MAZ /LF /CP=852 /FIT", {}},
      {{{"job-uuid", "urn:uuid:1"}, {"copies", "2"}, {"prynda-maz", "true"}, {"prynda-fx", "false"}}, "MAZ", {}},
      {{{"prynda-colour", "true"}, {"prynda-lf", "true"}}, "/LF", {"prynda-colour"}},
      {{{"prynda-fx", "maybe"}}, "", {}, true},
      {{{"prynda-ibm", "true"}, {"prynda-cp", "850"}}, "/IBM /CP=850", {}},
      {{{"prynda-cp", "85"}}, "", {}, true},
      {{{"prynda-cp", "8520"}}, "", {}, true},
      {{{"prynda-cp", "180"}}, "", {}, true},
      {{{"prynda-cp", "999"}}, "", {}, true},
      {{{"prynda-cp", "88592"}}, "/CP=88592", {}},
      {{{"prynda-cp", "1250"}}, "/CP=1250", {}},
      {{{"prynda-max-pages", "25"}, {"prynda-fx", "true"}}, "/FX", {}, false, 25},
      {{{"prynda-max-pages", "100000000"}}, "", {}, false, 100'000'000},
      {{{"prynda-max-pages", "100000001"}}, "", {}, true},
      {{{"prynda-max-pages", "0"}}, "", {}, true},
      {{{"prynda-max-pages", "-5"}}, "", {}, true},
      {{{"prynda-max-pages", "+5"}}, "", {}, true},
      {{{"prynda-max-pages", "5 "}}, "", {}, true},
      {{{"prynda-max-pages", ""}}, "", {}, true},
      // What the backend marks its own jobs with: such a job has come back.
      {{{"prynda-fx", "true"}, {"Prynda-From", "Dos"}}, "", {}, true},
  };
  for (const Case& c : cases) {
    const TBackendOptions mapped = MapBackendOptions(c.In);
    SCOPED_TRACE(c.Out);
    EXPECT_EQ(!mapped.Error.empty(), c.Fails) << mapped.Error;
    if (!c.Fails) {
      EXPECT_EQ(mapped.Options, c.Out);
      EXPECT_EQ(mapped.MaxPages, c.MaxPages);
    }
    EXPECT_EQ(mapped.Ignored, c.Ignored);
  }
  // A value it cannot take is named as a log may show it.
  const std::string error = MapBackendOptions({{"prynda-cp", "\xff\n"}}).Error;
  EXPECT_TRUE(error.starts_with("Option prynda-cp=\\xFF\\x0A: ")) << error;
}

TEST(PryndaQueueBehindTest, FindsAPryndaQueueAtTheTargetOrInItsClasses) {
  const std::map<std::string, QueueFacts> scheduler = {
      {"LaserJet", {"ipp://printer.local/ipp/print", {}}},
      {"Dos", {"prynda:/LaserJet", {}}},
      {"Office", {"file:///dev/null", {"LaserJet"}}},
      {"Mixed", {"file:///dev/null", {"LaserJet", "Dos"}}},
      {"Floors", {"file:///dev/null", {"Office", "Mixed"}}},
      {"RoundA", {"file:///dev/null", {"RoundB"}}},  // classes that hold each other
      {"RoundB", {"file:///dev/null", {"RoundA", "Gone"}}},
  };
  int asked = 0;
  const AskQueue ask = [&](const std::string& queue) -> std::optional<QueueFacts> {
    ++asked;
    const auto found = scheduler.find(queue);
    return found == scheduler.end() ? std::nullopt : std::optional<QueueFacts>(found->second);
  };
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"LaserJet", std::nullopt}, {"Dos", "Dos"}, {"Office", std::nullopt}, {"Mixed", "Dos"},
      {"Floors", "Dos"},          {"RoundA", std::nullopt}, {"Gone", std::nullopt},
  };
  for (const auto& [target, behind] : cases) {
    asked = 0;
    const std::optional<PryndaQueue> found = PryndaQueueBehind(target, ask);
    EXPECT_EQ(found ? std::optional<std::string>(found->Queue) : std::nullopt, behind) << target;
    if (found) {
      EXPECT_EQ(found->DeviceUri, "prynda:/LaserJet");
    }
    EXPECT_LE(asked, 5) << target;
  }
}

class BackendJobTest : public JobFixture {
 protected:
  void SetUp() override {
    InstallPrinters({Printer("Fake Printer", {"Courier New"}), Printer("LaserJet", {"Courier New"})}, "Fake Printer");
    request.Executable = dir.File("prynda");
    request.InputFile = dir.Write("job", "Strona 1\x0cStrona 2");
    request.Target = "laserjet";
    request.Title = "Faktura 7/2026";
    request.Copies = 3;
  }
  int Run() { return PrintBackendJob(request, system, log); }

  TempDir dir;
  TBackendJob request;
  std::ostringstream log;
};

TEST_F(BackendJobTest, EveryOptionItMakesActsAloneOnTheProgram) {
  // Prynda finds its options by substring: what the backend writes must switch on nothing else
  // (no "E" that deletes the file, no "180", "K=", "/P ").
  job.Params.push_back(MapBackendOptions({{"prynda-fx", "true"}, {"prynda-maz", "true"}, {"prynda-lf", "true"},
                                          {"prynda-cp", "852"}, {"prynda-fit", "true"}}).Options);
  TJobSettings expected;
  expected.CodePage = CodePageId::Mazovia;
  ApplyOptions(job);
  EXPECT_EQ(Describe(job.Settings), Describe(expected));
  EXPECT_FALSE(job.PauseAtEnd);
}

TEST_F(BackendJobTest, PrintsOnTheTargetAsTheJobAsksAndKeepsTheFile) {
  // A settings file that would delete the printed file: the spooled file is the scheduler's.
  dir.Write("prynda.INI", "[FormKelvra]\nUSUN=T\n");
  ASSERT_EQ(Run(), 0) << log.str();
  ASSERT_EQ(system.Documents.size(), 1u);
  const RecordedDocument& document = system.LastDocument();
  EXPECT_EQ(document.Printer, "LaserJet");
  EXPECT_EQ(document.Name, "Faktura 7/2026");
  EXPECT_EQ(document.Settings.Copies, 3);
  EXPECT_EQ(document.Pages.size(), 2u);
  EXPECT_TRUE(document.Finished);
  EXPECT_NE(log.str().find("PAGE: 1 3\nPAGE: 2 3\n"), std::string::npos) << log.str();
  EXPECT_NE(log.str().find("INFO: Printed on laserjet\n"), std::string::npos) << log.str();
  EXPECT_TRUE(std::filesystem::exists(request.InputFile));
}

TEST_F(BackendJobTest, PrintsAtMostThePageLimitThatTheServerAllows) {
  struct Case {
    std::string Name;
    int Pages;                 // in the job
    std::string SettingsFile;  // beside the backend
    int Queue;                 // the queue's prynda-max-pages
    int Job;                   // the job's
    int Limit;                 // the limit it ends on; 0: it prints
  };
  const std::string max_pages_3 = "[Prynda]\nMaxPages=3\n";
  const std::vector<Case> cases = {
      {"the default", 10001, "", 0, 0, 10000},
      {"the default, just", 10000, "", 0, 0, 0},
      {"the settings file", 4, max_pages_3, 0, 0, 3},
      {"the settings file, just", 3, max_pages_3, 0, 0, 0},
      {"the queue over the settings file", 4, max_pages_3, 5, 5, 0},
      {"the queue", 6, max_pages_3, 5, 5, 5},
      {"a job asks for less", 3, "", 0, 2, 2},
      {"a job asks for less than the queue", 3, max_pages_3, 5, 2, 2},
      {"a job cannot ask for more than the queue", 6, "", 5, 9, 5},
      {"a job cannot ask for more than the settings file", 4, max_pages_3, 0, 9, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    system.Documents.clear();
    log.str("");
    std::string pages;
    for (int page = 0; page < c.Pages; ++page) pages += "x\x0c";
    request.InputFile = dir.Write("job", pages);
    std::filesystem::remove(dir.File("prynda.INI"));
    if (!c.SettingsFile.empty()) dir.Write("prynda.INI", c.SettingsFile);
    request.QueueMaxPages = c.Queue;
    request.MaxPages = c.Job;
    request.Copies = 1;
    EXPECT_EQ(Run(), c.Limit > 0 ? kBackendCancel : kBackendOk) << log.str();
    ASSERT_EQ(system.Documents.size(), 1u);
    EXPECT_EQ(system.LastDocument().Finished, c.Limit == 0);
    if (c.Limit > 0) {
      EXPECT_NE(log.str().find("ERROR: The job would print more than " + std::to_string(c.Limit) +
                               " pages (prynda-max-pages); nothing was printed; the job is cancelled, the queue goes on\n"),
                std::string::npos)
          << log.str();
    }
    EXPECT_EQ(log.str().find("WARNING: prynda-max-pages=") != std::string::npos, c.Job > c.Limit && c.Limit > 0);
  }
}

TEST_F(BackendJobTest, ReadsNoSettingsFileBesideItWhereOthersMayWrite) {
  // The scheduler runs a backend only from a folder of root's that no one else may write in.
  EXPECT_EQ(ExecutableInRootsFolder("/usr/bin/prynda"), "/usr/bin/prynda");
  EXPECT_EQ(ExecutableInRootsFolder("/tmp/prynda"), "");  // others may write in /tmp
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
  EXPECT_EQ(ExecutableInRootsFolder(dir.File("prynda")), "");
  EXPECT_EQ(ExecutableInRootsFolder(""), "");
}

TEST_F(BackendJobTest, AFailureIsAnErrorLineAndLeavesNothingPrinted) {
  struct Case {
    std::string Name;
    std::function<void()> Arrange;
    std::string Error;
  };
  const std::vector<Case> cases = {
      // A queue that is missing or refuses the job: tests/cups/backend_test.cc.
      {"no data", [&] { request.InputFile = dir.File("gone"); }, "The job's data could not be read"},
      {"fails mid-job", [&] { system.FailOn("EndPage", "Printing on LaserJet failed", 2); },
       "Printing on LaserJet failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    system.Documents.clear();
    log.str("");
    c.Arrange();
    EXPECT_EQ(Run(), 1);
    EXPECT_NE(log.str().find("ERROR: " + c.Error), std::string::npos) << log.str();
    for (const RecordedDocument& document : system.Documents) EXPECT_FALSE(document.Finished);
  }
}

}  // namespace
}  // namespace prynda::testing
