// The built program run as a user runs it: the usage text, the no-printer stop, the console's code
// page, exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/run_program.h"
#include "support/form_files.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

// The Polish letters in CP852, written out here so that the test does not lean on the program's
// own conversion.
std::string ToCp852(const std::string& utf8) {
  static const std::map<std::string, std::string> letters = {
      {"ą", "\xa5"}, {"ć", "\x86"}, {"ę", "\xa9"}, {"ł", "\x88"}, {"ń", "\xe4"}, {"ó", "\xa2"},
      {"ś", "\x98"}, {"ź", "\xab"}, {"ż", "\xbe"}, {"Ą", "\xa4"}, {"Ć", "\x8f"}, {"Ę", "\xa8"},
      {"Ł", "\x9d"}, {"Ń", "\xe3"}, {"Ó", "\xe0"}, {"Ś", "\x97"}, {"Ź", "\x8d"}, {"Ż", "\xbd"}};
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    bool replaced = false;
    if (static_cast<unsigned char>(utf8[i]) >= 0x80) {
      for (const auto& [from, to] : letters) {
        if (utf8.compare(i, from.size(), from) == 0) {
          out += to;
          i += from.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += utf8[i++];
  }
  return out;
}

const char* const kUsage =
    "Wydruk plików RAW-TXT kodowanie \".kv\" na Windows GDI wersja 2007.03.26\n"
    "Program PRYNDA.EXE\n"
    "wywołanie :\n"
    "PRYNDA plik.txt [E][MAZ][180][K=nn][R=nn][/ST][/FF][/P][/TR][/DR=\"nnn\"]\n"
    "  np. PRYNDA c:\\druk.txt K=2 /FF/TR\n"
    "gdzie :\n"
    "plik.txt - pełna nazwa pliku do wydrukowania\n"
    "E        - usunięcie pliku po wydrukowaniu   (def.NIE)\n"
    "MAZ      - kodowanie polskich znaków MAZovia (def.CP-852)\n"
    "180      - ustaw skalę iteracji na 180       (def.216)\n"
    "K=nn     - ilość kopii (tj.krotność wydruku) (def K=1)\n"
    "R=nn     - grubość ramki w pixelach          (def R=1)\n"
    "DY=nn    - górny margines w liniach          (def DY=0)\n"
    "/TR      - usunięcie znaków [LF,CR,Esc,@,Spc,EOF] z końca pliku\n"
    "/FF      - jeżeli wydruk przekracza długość strony ustawia na następną\n"
    "/FF=[NN] - j.w. ale co NN wierszy (domyślnie NN=60)\n"
    "/P       - przed zakończeniem pracy programu należy wcisnąć Enter\n"
    "           co niekiedy przyspiesza proces wydruku\n"
    "/ST      - wersja bez wyświetlania komunikatów\n"
    "/DR=\"nnn\"- wydruk na drukarę o nazwie nnn, np. /DR=Faks\n"
    "           Uwaga: musi wystąpić jako ostatni parametr\n"
    "Naciśnij Enter";

// Everything after the banner's first line, which names the maker.
std::string AfterFirstLine(const std::string& text) {
  const auto end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(end + 1);
}

TEST(ProgramTest, WithoutAUsableFileShowsTheUsageTextAndWaits) {
  TempDir dir;
  const std::vector<std::vector<std::string>> calls = {
      {}, {dir.Path()}, {dir.File("missing.txt")}, {"/P", "K=2"}, {""}};
  for (const auto& args : calls) {
    SCOPED_TRACE(args.empty() ? "(no parameters)" : args[0]);
    const ProgramRun run = RunPrynda({.Args = args, .Input = "\n"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(AfterFirstLine(run.Out), ToCp852(kUsage));
    EXPECT_EQ(run.Err, "");
  }
}

TEST(ProgramTest, UsageWaitEndsAtTheEndOfInput) {
  const ProgramRun run = RunPrynda({});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_TRUE(run.Out.ends_with(ToCp852("Naciśnij Enter")));
}

TEST(ProgramTest, AUtf8LocaleGetsUtf8Text) {
  for (const char* locale : {"pl_PL.UTF-8", "C.utf8"}) {
    const ProgramRun run = RunPrynda({.Env = {{"LC_ALL", locale}}});
    EXPECT_EQ(AfterFirstLine(run.Out), kUsage) << locale;
  }
  const ProgramRun by_lang = RunPrynda({.Env = {{"LC_ALL", ""}, {"LANG", "pl_PL.UTF-8"}}});
  EXPECT_EQ(AfterFirstLine(by_lang.Out), kUsage);
}

TEST(ProgramTest, WithoutPrintersOnlyTheNoPrinterLineIsWritten) {
  TempDir dir;
  dir.Write("faktura.txt", "Faktura\r\n");
  const ProgramRun run = RunPrynda({.Args = {dir.File("faktura.txt"), "/P", "E"},
                                    .Env = {{"PRYNDA_NO_PDF_PRINTER", "1"}}});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Out, "Nie zainstalowano drukarek GDI.\n");
  EXPECT_EQ(run.Err, "");
}

TEST(ProgramTest, APrintJobWritesTheBannerAndEndsWell) {
  TempDir dir;
  dir.Write("faktura.txt", "Faktura\r\n");
  const ProgramRun run = RunPrynda({.Args = {dir.File("faktura.txt")}, .WorkDir = dir.Path()});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  ASSERT_NE(run.Out.find('\n'), std::string::npos);
  EXPECT_TRUE(AfterFirstLine(run.Out).starts_with(
      ToCp852("Wydruk plików RAW-TXT kodowanie \".kv\" na Windows GDI wersja 2007.03.26\n")))
      << run.Out;
}

// "-" for the file: the job comes on standard input, and "Prynda PDF" names it stdin.pdf in the
// current folder unless PRYNDA_PDF says otherwise; E deletes nothing, not even a file named "-".
TEST(ProgramTest, StandardInputIsAJobOfItsOwn) {
  TempDir dir;
  dir.Write("-", "a file that only looks like standard input\r\n");
  struct Case {
    std::map<std::string, std::string> Env;
    std::string Pdf;
  };
  for (const Case& c : {Case{{}, "stdin.pdf"}, Case{{{"PRYNDA_PDF", dir.File("out.pdf")}}, "out.pdf"}}) {
    SCOPED_TRACE(c.Pdf);
    const ProgramRun run =
        RunPrynda({.Args = {"-", "E", "/ST"}, .Env = c.Env, .Input = "Z potoku\r\n", .WorkDir = dir.Path()});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(Shell("pdftotext '" + dir.File(c.Pdf) + "' -").find("Z potoku"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.File("-")));
  }
  const ProgramRun closed = RunPrynda({.Args = {"-"}, .WorkDir = dir.Path(), .NoStdin = true});
  EXPECT_EQ(closed.ExitCode, 1);
  EXPECT_NE(closed.Err.find("standardowego"), std::string::npos) << closed.Err;
  // Nobody may be watching a pipe: the print server's page limit holds where the settings set none.
  const ProgramRun flood = RunPrynda({.Args = {"-", "/ST"}, .Env = {{"PRYNDA_PDF", dir.File("flood.pdf")}},
                                      .Input = std::string(10000, '\x0c') + "A", .WorkDir = dir.Path()});
  EXPECT_EQ(flood.ExitCode, 1);
  EXPECT_FALSE(fs::exists(dir.File("flood.pdf")));
  // ... and documents handed on are counted as a printer would print them: a PDF naming one page
  // 20,000 times, 36 bytes of PostScript that make 20,000 pages.
  std::string kids;
  for (int i = 0; i < 20000; ++i) kids += "3 0 R ";
  const std::string named = PdfOfObjects({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Count 20000/Kids[" + kids + "]>>",
                                          "<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]>>"});
  for (const std::string& document : {named, std::string("%!PS\n20000 { showpage } repeat\n")}) {
    const ProgramRun pages = RunPrynda({.Args = {"-", "/AUTO", "/ST"}, .Env = {{"PRYNDA_PDF", dir.File("many.pdf")}},
                                        .Input = document, .WorkDir = dir.Path()});
    EXPECT_EQ(pages.ExitCode, 1);
    EXPECT_NE(pages.Err.find("limit 10000"), std::string::npos) << pages.Err;
    EXPECT_FALSE(fs::exists(dir.File("many.pdf")));
  }
}

}  // namespace
}  // namespace prynda::testing
