// /AUTO end to end: made-up jobs of each kind, printed by the built program on "Prynda PDF" with no
// other option; the console's line says what was recognised, and the PDF's text reads back right.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"
#include "support/zip_files.h"

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
  std::vector<Case> cases = {
      {"Polish in PC852", Encoded(Framed(polish), "CP852", dir), "tekst, PC852", "Zażółć"},
      {"Czech in PC852", Encoded(Framed(czech), "CP852", dir), "tekst, PC852", "žluťoučký"},
      {"German in PC850, ESC/P", "\x1b@\x1b" "E" + Encoded(Framed(german), "CP850", dir) + "\x1b" "F\x0c",
       "Epson ESC/P (9 igieł), PC850", "Königstraße."},
      {"Russian in PC866, 24 pins", "\x1b@\x1b(U\x01\x00\x0a"s + Encoded(Framed(russian), "CP866", dir),
       "Epson ESC/P (24 igły), PC866", "французских"},
      {"Polish in PC852, IBM Proprinter", "\x1b:\x1b" "A\x0c\x1b" "2" + Encoded(Framed(polish), "CP852", dir) + "\x1b" "5\x01",
       "IBM Proprinter, PC852", "Zażółć"},
      {"Polish in Windows-1250", Encoded("Zażółć gęślą jaźń.\r\nŹdźbło, ćma, śnieg, żółw.\r\n", "CP1250", dir),
       "tekst, Windows-1250", "jaźń."},
      {"UTF-8, LF alone", "Zażółć gęślą jaźń\nKsiążka ─ żółw\n", "tekst UTF-8", "Książka"},
      {"text, then 256 KB of line feeds", "Faktura\r\n" + std::string(262144, '\n'), "tekst, PC852 (domyślna)",
       "Faktura"},
      {"our own dialect", "\xfa" "N" + Encoded("Pogrubione: zażółć gęślą jaźń\r\n", "CP852", dir) + "\xfa" "n",
       "dialekt Prynda, PC852", "jaźń"},
  };
  // Documents of their own: PostScript converted (Ghostscript), PDF copied as it is.
  const std::string postscript = "%!PS\n/Courier findfont 20 scalefont setfont 72 700 moveto (Pozdrowienia) show showpage\n";
  cases.push_back({"PostScript after a PJL header",
                   "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n" + postscript, "PostScript",
                   "Pozdrowienia"});
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

// A PDF is copied as it is; PCL cannot be printed on "Prynda PDF": refused, nothing printed.
TEST(RecognitionPrintTest, APdfIsCopiedAndPclRefused) {
  TempDir dir;
  dir.Write("zadanie.ps", "%!PS\nshowpage\n");
  const ProgramRun made = RunPrynda({.Args = {dir.File("zadanie.ps"), "/AUTO", "/ST"},
                                     .Env = {{"PRYNDA_PDF", dir.File("wzor.pdf")}}});
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  const std::string original = Shell("cat '" + dir.File("wzor.pdf") + "'");
  const ProgramRun copied = RunPrynda({.Args = {dir.File("wzor.pdf"), "/AUTO", "/ST"},
                                       .Env = {{"PRYNDA_PDF", dir.File("kopia.pdf")}}});
  EXPECT_EQ(copied.ExitCode, 0) << copied.Err;
  EXPECT_EQ(Shell("cat '" + dir.File("kopia.pdf") + "'"), original);

  dir.Write("zadanie.pcl", "\x1b" "E\x1b&l0O\x1b(s0p12h10v0s0b3T Faktura\x0c\x1b" "E");
  const ProgramRun refused = RunPrynda({.Args = {dir.File("zadanie.pcl"), "/AUTO", "E"},
                                        .Env = {{"PRYNDA_PDF", dir.File("pcl.pdf")}, {"LC_ALL", "C.UTF-8"}}});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_NE(refused.Err.find("PCL"), std::string::npos) << refused.Err;
  EXPECT_EQ(PdfPageCount(dir.File("pcl.pdf")), -1);
  EXPECT_EQ(Shell("ls '" + dir.Path() + "'").find("pcl.pdf"), std::string::npos);
  EXPECT_NE(Shell("ls '" + dir.Path() + "'").find("zadanie.pcl"), std::string::npos) << "the file is kept";
}

// Every kind of file a print server may be sent gets one of three answers on "Prynda PDF":
// printed as what it is, handed on, or refused by name - exit code 1, no PDF, and "E" deletes
// nothing. The console's line names the kind always.
TEST(RecognitionPrintTest, EveryKindIsPrintedOrRefusedByName) {
  TempDir dir;
  const std::string page = dir.Write("strona.ps", "%!PS\n/Courier findfont 20 scalefont setfont 72 700 moveto "
                                                  "(Pozdrowienia) show showpage\n");
  const auto ghostscript = [&](const std::string& device, const std::string& options = "") {
    const std::string out = dir.File("strona." + device);
    Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -r30 " + options + " -sDEVICE=" + device + " -sOutputFile=" + out + " " + page);
    return Shell("cat '" + out + "'");
  };
  const auto utf16 = [](const std::string& utf8, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (std::size_t i = 0; i < utf8.size();) {
      char32_t c = static_cast<unsigned char>(utf8[i]);
      const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
      if (extra > 0) c &= 0x3F >> extra;
      for (int k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
      i += 1 + extra;
      const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
      bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
  };
  std::string noise;
  for (std::uint32_t x = 12345; noise.size() < 65536;) {
    x = x * 1103515245u + 12345u;
    noise += static_cast<char>(x >> 23);
  }
  dir.Write("faktura.txt", "Faktura nr 12/2026\r\n");
  Shell("cd '" + dir.Path() + "' && gzip -k faktura.txt && tar cf faktura.tar faktura.txt");
  struct Case {
    std::string Name;
    std::string Bytes;
    std::string Recognised;  // the console's line
    std::string Refusal;     // in the message on standard error; "": printed
    std::string Word;        // printed: in the PDF's text; "": a picture, one page of it
    bool Image = true;       // the one page printed is a picture
  };
  const std::vector<Case> cases = {
      {"PNG", ghostscript("png16m"), "obraz PNG", "", ""},
      {"JPEG", ghostscript("jpeg"), "obraz JPEG", "", ""},
      {"TIFF", ghostscript("tiff24nc"), "obraz TIFF", "", ""},
      {"BMP", ghostscript("bmp16m"), "obraz BMP", "", ""},
      {"PWG raster", ghostscript("pwgraster"), "PWG raster", "", ""},
      {"Apple raster", ghostscript("urf", "-dcupsColorSpace=18 -dcupsBitsPerColor=8"), "Apple raster (URF)", "", ""},
      {"inkjet raster", ghostscript("stcolor"), "Epson ESC/P 2 (raster drukarki atramentowej)", "", ""},
      {"XPS after a PJL header", "\x1b%-12345X@PJL ENTER LANGUAGE=XPS\r\n" + OnePageXps(), "XPS", "", "", false},
      {"a damaged XPS", OnePageXps("<FixedPage Width=\"816\""), "XPS", "Zadanie to dokument XPS, ale plik jest uszkodzony",
       ""},
      {"\"%PDF-\", then text", "%PDF-1.4\nFaktura nr 12/2026\r\n", "PDF", "Zadanie to PDF, ale plik jest uszkodzony", ""},
      {"PJL announcing PDF, then ESC/P", "\x1b%-12345X@PJL ENTER LANGUAGE=PDF\r\n\x1b@Faktura\r\n\x0c", "PDF",
       "Zadanie to PDF, ale plik jest uszkodzony", ""},
      {"PostScript that sends its pages elsewhere",
       "%!PS\n<< /OutputFile (/dev/null) >> setpagedevice 72 700 moveto /Courier findfont 20 scalefont setfont "
       "(Tajne) show showpage\n",
       "PostScript", "Zadanie to PostScript, z którego Ghostscript nie zrobił PDF", ""},
      {"a damaged PNG", ghostscript("png16m").substr(0, 200), "obraz PNG",
       "Zadanie to obraz PNG, ale plik jest uszkodzony", ""},
      {"UTF-16, little-endian", utf16("Zażółć gęślą jaźń\r\nKsiążka\r\n", true), "tekst UTF-16", "", "Książka"},
      {"UTF-16, big-endian", utf16("Faktura — żółw\r\n", false), "tekst UTF-16", "", "żółw"},
      {"PCL XL", ghostscript("pxlmono"), "PCL XL", "Zadanie w języku PCL XL: drukarka Prynda PDF go nie przyjmie", ""},
      {"a receipt", "\x1b@\x1b" "a\x01Paragon fiskalny\n\x1b" "E\x01SUMA 12,00\x1b" "E\x00\n\x1d" "V\x41\x03"s,
       "ESC/POS (drukarka paragonów)", "Zadanie w języku ESC/POS: drukarka Prynda PDF go nie przyjmie", ""},
      {"an HP-GL/2 plot", "IN;SP1;PU100,100;PD2000,100,2000,2000,100,2000,100,100;PU;SP0;", "HP-GL/2 (ploter)",
       "Zadanie w języku HP-GL/2 to rysunek dla plotera", ""},
      {"gzip", Shell("cat '" + dir.File("faktura.txt.gz") + "'"), "plik skompresowany gzip",
       "Zadanie to plik skompresowany gzip, nie wydruk", ""},
      {"tar", Shell("cat '" + dir.File("faktura.tar") + "'"), "archiwum tar", "Zadanie to archiwum tar, nie wydruk", ""},
      {"a program", Shell("cat /bin/true"), "program ELF", "Zadanie to program ELF, nie wydruk", ""},
      {"noise", noise, "dane binarne", "Zadanie to dane binarne, nie wydruk", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    dir.Write("zadanie.prn", c.Bytes);
    const std::string pdf = dir.File("zadanie.pdf");
    std::filesystem::remove(pdf);
    const ProgramRun run = RunPrynda({.Args = {dir.File("zadanie.prn"), "/AUTO", "E"},
                                      .Env = {{"PRYNDA_PDF", pdf}, {"LC_ALL", "C.UTF-8"}}});
    EXPECT_NE(run.Out.find(" * rozpoznano : " + c.Recognised + "\n"), std::string::npos) << run.Out;
    if (c.Refusal.empty()) {
      EXPECT_EQ(run.ExitCode, 0) << run.Err;
      EXPECT_NE(Shell("pdftotext '" + pdf + "' -").find(c.Word), std::string::npos);
      if (c.Word.empty()) {
        EXPECT_EQ(PdfPageCount(pdf), 1);
        if (c.Image) {
          EXPECT_NE(Shell("pdfimages -list '" + pdf + "'").find("image"), std::string::npos);
        }
      }
      continue;
    }
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find(c.Refusal), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("nic nie wydrukowano"), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_TRUE(std::filesystem::exists(dir.File("zadanie.prn"))) << "E deletes nothing";
  }
}

}  // namespace
}  // namespace prynda::testing
