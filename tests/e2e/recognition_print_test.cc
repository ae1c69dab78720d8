// /AUTO end to end: made-up jobs of each kind, printed by the built program on "Prynda PDF" with no
// other option; the console's line says what was recognised, and the PDF's text reads back right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

// UTF-8 text in a DOS code page, by the platform's own converter (not the program's tables).
std::string Encoded(const std::string& utf8, const std::string& code_page, const TempDir& dir) {
  dir.Write("utf8.txt", utf8);
  return Shell("iconv -f UTF-8 -t " + code_page + " '" + dir.File("utf8.txt") + "'");
}

// Paragraphs in a frame, as DOS programs print them (the frame's characters are the code page's).
std::string Framed(const std::vector<std::string>& lines) {
  std::string text = "┌────────────────────────────────────────────────┐\r\n";
  for (const std::string& line : lines) text += "│ " + line + "\r\n";
  return text + "└────────────────────────────────────────────────┘\r\n";
}

TEST(RecognitionPrintTest, EachKindOfJobPrintsAsItIs) {
  TempDir dir;
  const std::vector<std::string> polish = {"Zażółć gęślą jaźń, pchnąć w tę łódź jeża.", "Książka, źródło, ćma."};
  const std::vector<std::string> czech = {"Příliš žluťoučký kůň úpěl ďábelské ódy.", "Čeština, řeka, šťastný."};
  const std::vector<std::string> german = {"Größe, Straße, Müller, Übergabe, Königstraße."};
  const std::vector<std::string> russian = {"Съешь же ещё этих мягких французских булок."};
  struct Case {
    std::string Name;
    std::string Bytes;
    std::string Recognised;  // the console's line
    std::string Word;        // found in the PDF's text
  };
  const std::vector<Case> cases = {
      {"Polish in PC852", Encoded(Framed(polish), "CP852", dir), "tekst, PC852", "Zażółć"},
      {"Czech in PC852", Encoded(Framed(czech), "CP852", dir), "tekst, PC852", "žluťoučký"},
      {"German in PC850, ESC/P", "\x1b@\x1b" "E" + Encoded(Framed(german), "CP850", dir) + "\x1b" "F\x0c",
       "Epson ESC/P (9 igieł), PC850", "Königstraße."},
      {"Russian in PC866, 24 pins", "\x1b@\x1b(U\x01\x00\x0a"s + Encoded(Framed(russian), "CP866", dir),
       "Epson ESC/P (24 igły), PC866", "французских"},
      {"Polish in Windows-1250", Encoded("Zażółć gęślą jaźń.\r\nŹdźbło, ćma, śnieg, żółw.\r\n", "CP1250", dir),
       "tekst, Windows-1250", "jaźń."},
      {"UTF-8, LF alone", "Zażółć gęślą jaźń\nKsiążka ─ żółw\n", "tekst UTF-8", "Książka"},
      {"our own dialect", "\xfa" "N" + Encoded("Pogrubione: zażółć gęślą jaźń\r\n", "CP852", dir) + "\xfa" "n",
       "dialekt Prynda, PC852", "jaźń"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    dir.Write("zadanie.prn", c.Bytes);
    const std::string pdf = dir.File("zadanie.pdf");
    const ProgramRun run = RunPrynda({.Args = {dir.File("zadanie.prn"), "/AUTO"},
                                      .Env = {{"PRYNDA_PDF", pdf}, {"LC_ALL", "C.UTF-8"}}});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(run.Out.find(" * rozpoznano : " + c.Recognised + "\n"), std::string::npos) << run.Out;
    EXPECT_NE(Shell("pdftotext '" + pdf + "' -").find(c.Word), std::string::npos);
    EXPECT_EQ(PdfPageCount(pdf), 1);
  }
}

}  // namespace
}  // namespace prynda::testing
