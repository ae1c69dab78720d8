// The CUPS backend's own steps: the queue its device URI names, the job options it turns into
// Prynda's, and one job over the recording print system as the scheduler would run it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cupsbackend/backend_job.h"
#include "jobcontrol/options.h"
#include "unit/job_fixture.h"

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

TEST(MapBackendOptionsTest, TurnsPryndaOptionsIntoProgramOptions) {
  using Options = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    Options In;
    std::string Out;
    std::vector<std::string> Ignored;
    bool Fails = false;
  };
  const std::vector<Case> cases = {
      {{}, "", {}},
      {{{"prynda-fx", "true"}, {"prynda-maz", "true"}, {"prynda-lf", "yes"}, {"prynda-cp", "852"}, {"prynda-fit", "on"}},
       "/FX MAZ /LF /CP=852 /FIT", {}},
      {{{"job-uuid", "urn:uuid:1"}, {"copies", "2"}, {"prynda-maz", "true"}, {"prynda-fx", "false"}}, "MAZ", {}},
      {{{"prynda-colour", "true"}, {"prynda-lf", "true"}}, "/LF", {"prynda-colour"}},
      {{{"prynda-fx", "maybe"}}, "", {}, true},
      {{{"prynda-cp", "85"}}, "", {}, true},
      {{{"prynda-cp", "8520"}}, "", {}, true},
      {{{"prynda-cp", "180"}}, "", {}, true},
      {{{"prynda-cp", "999"}}, "", {}, true},
      {{{"prynda-cp", "88592"}}, "/CP=88592", {}},
      {{{"prynda-cp", "1250"}}, "/CP=1250", {}},
  };
  for (const Case& c : cases) {
    const TBackendOptions mapped = MapBackendOptions(c.In);
    SCOPED_TRACE(c.Out);
    EXPECT_EQ(!mapped.Error.empty(), c.Fails) << mapped.Error;
    if (!c.Fails) {
      EXPECT_EQ(mapped.Options, c.Out);
    }
    EXPECT_EQ(mapped.Ignored, c.Ignored);
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
