// The command-line options: the option string, the numbers read after an option, the printer
// parameter, and what the option step does to the job settings.
#include "jobcontrol/options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/job_fixture.h"

namespace prynda::testing {
namespace {

std::vector<std::string> Params(std::vector<std::string> options) {
  options.insert(options.begin(), {"/opt/prynda/prynda", "/tmp/faktura.txt"});
  return options;
}

TEST(BuildOptionStringTest, JoinsTrimsAndUpperCasesOnlyTheOptions) {
  // The file name (parameter 1) is no option, however it is spelled.
  EXPECT_EQ(BuildOptionString({"/opt/prynda/prynda", "E180.TXT"}), "");
  EXPECT_EQ(BuildOptionString({"/opt/prynda/prynda"}), "");
  // Blanks inside stay; letters beyond a-z (here UTF-8 bytes of ó) stay as they are.
  EXPECT_EQ(BuildOptionString({"x", "E.TXT", "\tk=2", "", "/ff ", "mazów\r"}), "K=2  /FF  MAZóW");
  EXPECT_EQ(BuildOptionString(Params({"/FF", "/DR=Biuro", "x/DR=y", "/dr=biuro"})), "/FF /DR=BIURO");
  // A form's path is never an option, in any letter case.
  EXPECT_EQ(BuildOptionString(Params({"/FF", "/BG=E180.pdf", "x/bg=y", "/Bg=e", "/B G=z"})), "/FF /B G=Z");
}

TEST(BuildOptionStringTest, StopsAt255Characters) {
  const std::vector<std::string> many(400, "K=2");
  std::string joined;
  for (const auto& option : many) joined += option + " ";
  EXPECT_EQ(BuildOptionString(Params(many)), joined.substr(0, 255));

  const std::string huge(10000, 'x');
  EXPECT_EQ(BuildOptionString(Params({"/ST", huge, "E"})), "/ST " + std::string(251, 'X'));
  EXPECT_EQ(BuildOptionString(Params({huge, "/ST"})), std::string(255, 'X'));
  // A printer parameter takes no room, however long.
  EXPECT_EQ(BuildOptionString(Params({"/DR=" + huge, "/ST"})), "/ST");
}

TEST(OptionNumberTest, ReadsAtMostThreeLeadingDigits) {
  struct Case {
    const char* Text;
    std::int32_t Fallback;
    std::int32_t Expected;
  };
  const Case cases[] = {
      {"", 7, 7},       {"12", 1, 12},      {"007", 1, 7},    {"000", 1, 1},     {"0", 60, 60},
      {"1000", 1, 100}, {"12345", 1, 123},  {"5X", 1, 5},     {"00012", 9, 9},   {"0012", 1, 1},
      {"-5", 1, 1},     {"+5", 1, 1},       {" 5", 1, 1},     {"X5", 0, 0},      {"999", 1, 999},
      {"99999999999999999999", 1, 999},
  };
  for (const Case& c : cases) EXPECT_EQ(OptionNumber(c.Text, c.Fallback), c.Expected) << '"' << c.Text << '"';
}

TEST(PrinterParameterTest, TakesTheRestOfTheFirstPrinterParameterAsWritten) {
  EXPECT_EQ(PrinterParameter(Params({})), std::nullopt);
  EXPECT_EQ(PrinterParameter({"/opt/prynda/prynda", "/DR=Biuro"}), std::nullopt);  // the file name
  EXPECT_EQ(PrinterParameter(Params({"/dr=Biuro"})), std::nullopt);
  EXPECT_EQ(PrinterParameter(Params({"K=2", "x/DR= Biuro HP  ", "/DR=Magazyn"})), " Biuro HP  ");
  EXPECT_EQ(PrinterParameter(Params({"/DR="})), "");
  EXPECT_EQ(PrinterParameter(Params({"/DR=A/DR=B"})), "A/DR=B");
  EXPECT_EQ(PrinterParameter(Params({"/DR=" + std::string(300, 'n')})), std::string(255, 'n'));
}

TEST(BackgroundParameterTest, TakesTheRestOfTheFirstFormParameterAsWritten) {
  EXPECT_EQ(BackgroundParameter(Params({})), std::nullopt);
  EXPECT_EQ(BackgroundParameter({"/opt/prynda/prynda", "/BG=papier.pdf"}), std::nullopt);  // the file name
  EXPECT_EQ(BackgroundParameter(Params({"K=2", "x/BG= C:\\Formy\\Firma E.pdf  ", "/BG=inny.pdf"})),
            " C:\\Formy\\Firma E.pdf  ");
  EXPECT_EQ(BackgroundParameter(Params({"/bg=Papier.PNG"})), "Papier.PNG");
  EXPECT_EQ(BackgroundParameter(Params({"/BG="})), "");
  EXPECT_EQ(BackgroundParameter(Params({"/BG=a/DR=b"})), "a/DR=b");
}

class ApplyOptionsTest : public JobFixture {};

TEST_F(ApplyOptionsTest, OptionsOverwriteWhatTheyNameAndNothingElse) {
  // What the settings file might have left, unlike the built-in values wherever an option can
  // set a field back, so that a field the options leave alone shows.
  TJobSettings start;
  start.Copies = 7;
  start.FFNLines = 50;
  start.FrameWidth = 0;
  start.TopMarginLines = 3;
  start.IgnoreNull = false;

  struct Case {
    std::vector<std::string> Options;
    std::function<void(TJobSettings&)> Changes;
    bool Pause = false;
  };
  const Case cases[] = {
      {{}, [](TJobSettings&) {}},
      {{"/FF/TR"}, [](TJobSettings& s) { s.ForceFF = true; s.FFNLines = 60; s.Truncate = true; }},
      {{"maz", "/st", "k=2"}, [](TJobSettings& s) { s.CodePage = CodePageId::Mazovia; s.ShowMessages = false; s.Copies = 2; }},
      {{"/P", "K=2"}, [](TJobSettings& s) { s.Copies = 2; }, true},
      {{"K=2", "/P"}, [](TJobSettings& s) { s.Copies = 2; }},
      {{"/P/TR"}, [](TJobSettings& s) { s.Truncate = true; }},
      {{"/P", "/DR=Biuro"}, [](TJobSettings&) {}},
      {{"zestaw"}, [](TJobSettings& s) { s.DeleteAfterPrint = true; }},
      {{"K=180"}, [](TJobSettings& s) { s.Copies = 180; s.Scale216 = false; }},
      {{"/FF=180"}, [](TJobSettings& s) { s.ForceFF = s.FFLines = true; s.FFNLines = 180; s.Scale216 = false; }},
      {{"K=2", "K=3"}, [](TJobSettings& s) { s.Copies = 2; }},
      {{"K=", "2"}, [](TJobSettings& s) { s.Copies = 1; }},
      {{"K=1000"}, [](TJobSettings& s) { s.Copies = 100; }},
      {{"/FF="}, [](TJobSettings& s) { s.ForceFF = s.FFLines = true; s.FFNLines = 60; }},
      {{"/FF=0"}, [](TJobSettings& s) { s.ForceFF = s.FFLines = true; s.FFNLines = 60; }},
      {{"/FF=45"}, [](TJobSettings& s) { s.ForceFF = s.FFLines = true; s.FFNLines = 45; }},
      {{"/FF", "/FF=30"}, [](TJobSettings& s) { s.ForceFF = s.FFLines = true; s.FFNLines = 30; }},
      {{"DY=0"}, [](TJobSettings& s) { s.TopMarginLines = 0; }},
      {{"DY=12"}, [](TJobSettings& s) { s.TopMarginLines = 12; }},
      {{"R=0"}, [](TJobSettings& s) { s.FrameWidth = 1; }},
      {{"R=3"}, [](TJobSettings& s) { s.FrameWidth = 3; }},
      {{"/dr=5abc"}, [](TJobSettings& s) { s.FrameWidth = 5; }},
      {{"/dr=Epson"}, [](TJobSettings& s) { s.FrameWidth = 1; s.DeleteAfterPrint = true; }},
      {{"K=2", "/DR=E7 R=9", "x/DR=180"}, [](TJobSettings& s) { s.Copies = 2; }},
  };
  for (const Case& c : cases) {
    std::string title;
    for (const auto& option : c.Options) title += "[" + option + "]";
    SCOPED_TRACE(title);
    job.Params = Params(c.Options);
    job.Settings = start;
    job.PauseAtEnd = true;
    ApplyOptions(job);
    TJobSettings expected = start;
    c.Changes(expected);
    EXPECT_EQ(Describe(job.Settings), Describe(expected));
    EXPECT_EQ(job.PauseAtEnd, c.Pause);
  }
}

TEST_F(ApplyOptionsTest, AFormsPathIsNoOptionAndOverridesTheKey) {
  struct Case {
    std::vector<std::string> Options;
    std::string Background;
  };
  const Case cases[] = {
      {{}, "klucz.pdf"},
      {{"/BG=/tmp/ewa/E180/firma E 180.pdf"}, "/tmp/ewa/E180/firma E 180.pdf"},
      {{"/bg=C:\\FORMY\\E180.PNG", "/BG=drugi.pdf"}, "C:\\FORMY\\E180.PNG"},
      {{"/BG="}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options.empty() ? "" : c.Options[0]);
    job.Params = Params(c.Options);
    job.Settings = TJobSettings{};
    job.Prynda = PryndaSettings{};
    job.Prynda.Background = "klucz.pdf";  // as the settings file said
    ApplyOptions(job);
    EXPECT_EQ(job.Prynda.Background, c.Background);
    EXPECT_EQ(Describe(job.Settings), Describe(TJobSettings{})) << "no E, no 180";
    EXPECT_EQ(job.Prynda.Pins, 9);
  }
}

TEST_F(ApplyOptionsTest, PlainFFDropsTheLineCountOfTheSettingsFile) {
  job.Settings.FFLines = true;
  job.Settings.FFNLines = 50;
  job.Params = Params({"/FF"});
  ApplyOptions(job);
  EXPECT_TRUE(job.Settings.ForceFF);
  EXPECT_FALSE(job.Settings.FFLines);
  EXPECT_EQ(job.Settings.FFNLines, 60);
}

TEST_F(ApplyOptionsTest, AnOptionCutOffAt255CharactersDoesNotAct) {
  job.Params = Params({std::string(251, 'x'), "/P", "K=2", "/ST"});
  ApplyOptions(job);
  // "/P " ends exactly at the 255th character and the trim takes its blank.
  EXPECT_FALSE(job.PauseAtEnd);
  EXPECT_EQ(job.Settings.Copies, 1);
  EXPECT_TRUE(job.Settings.ShowMessages);
}

}  // namespace
}  // namespace prynda::testing
