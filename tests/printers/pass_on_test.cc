// Documents handed on as they are to "Prynda PDF": a PDF copied, PostScript made a PDF by
// Ghostscript, a printer language refused - and every failure leaving no file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/printer_error.h"
#include "platform/stop_requests.h"
#include "printers/fonts/font_library.h"
#include "printers/prynda_pdf/pdf_file_printer.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::FilesIn;
using testing::PdfPageCount;
using testing::ReadFile;
using testing::Shell;
using testing::TempDir;

// Not a whole PDF: a copy has to keep every byte, whatever they are.
const std::string kPdf =
    "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj << /Type /Catalog >> endobj\r\n\x04\x00\xff trailer\n%%EOF\n"s;
const std::string kPjl = "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PDF\r\n";
// One page with one word; what it prints itself must not get into the PDF.
const std::string kPostScript =
    "%!PS-Adobe-3.0\n/Helvetica findfont 24 scalefont setfont\n72 720 moveto (Przelew) show\n"
    "(said on the side) print\nshowpage\n";

class PdfPassOnTest : public ::testing::Test {
 protected:
  void SetUp() override { unsetenv("PRYNDA_PDF"); }
  void TearDown() override {
    unsetenv("PRYNDA_PDF");
    detail::stop_request.store(0);
  }

  TPassOnResult PassOn(TDocumentFormat format, const std::string& path, std::uint64_t offset,
                       const std::string& source) {
    TDeviceSettings settings;
    settings.Copies = 2;  // one PDF all the same
    return system_.PassOn(kPdfPrinterName, settings, TDocInfo{"GDI=" + source, source}, format, path, offset);
  }

  TempDir dir_;
  PdfFilePrintSystem system_{std::make_shared<FontLibrary>()};
};

TEST_F(PdfPassOnTest, APdfIsCopiedAndPostScriptConvertedFromTheOffsetOn) {
  struct Case {
    const char* name;
    std::string file;
    std::string bytes;
    std::uint64_t offset;
    TDocumentFormat format;
    std::string output;
    std::function<void(const std::string& pdf)> check;
  };
  const std::vector<Case> cases = {
      {"a PDF, byte for byte, named after the file but never the file itself", "wydruk.pdf", kPdf, 0,
       TDocumentFormat::Pdf, "wydruk.pdf.pdf", [](const std::string& pdf) { EXPECT_EQ(ReadFile(pdf), kPdf); }},
      {"a PDF after its PJL header", "wydruk.prn", kPjl + kPdf, kPjl.size(), TDocumentFormat::Pdf, "wydruk.pdf",
       [](const std::string& pdf) { EXPECT_EQ(ReadFile(pdf), kPdf); }},
      {"PostScript after a Ctrl-D", "wydruk.ps", "\x04" + kPostScript, 1, TDocumentFormat::PostScript, "wydruk.pdf",
       [](const std::string& pdf) {
         EXPECT_TRUE(ReadFile(pdf).starts_with("%PDF-"));
         EXPECT_EQ(ReadFile(pdf).find("said on the side"), std::string::npos);
         EXPECT_EQ(PdfPageCount(pdf), 1);
         EXPECT_EQ(Shell("pdftotext '" + pdf + "' - 2>/dev/null"), "Przelew\n\n\f");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.Write(c.file, c.bytes);
    ASSERT_EQ(PassOn(c.format, path, c.offset, path), TPassOnResult::Printed);
    std::vector<std::string> files = {c.file, c.output};
    std::sort(files.begin(), files.end());
    EXPECT_EQ(FilesIn(dir.Path()), files);
    c.check(dir.File(c.output));
    EXPECT_EQ(ReadFile(path), c.bytes) << "the printed file stays as it was";
  }
}

TEST_F(PdfPassOnTest, APrinterLanguageIsUnsupported) {
  const std::string path = dir_.Write("wydruk.pcl", "\x1b" "E\x1b&l0O tekst\x0c\x1b" "E");
  EXPECT_EQ(PassOn(TDocumentFormat::Raw, path, 0, path), TPassOnResult::Unsupported);
  EXPECT_EQ(FilesIn(dir_.Path()), std::vector<std::string>{"wydruk.pcl"});
}

TEST_F(PdfPassOnTest, FailuresLeaveNoFile) {
  struct Case {
    const char* name;
    std::string file;
    std::string bytes;
    TDocumentFormat format;
    std::string source;                  // "" = the file itself
    std::optional<std::string> pdf_env;  // PRYNDA_PDF, a name in the folder
    std::optional<std::string> path_env;
    std::string raises;
  };
  const std::vector<Case> cases = {
      {"PostScript that Ghostscript cannot run", "zly.ps", "%!PS\n72 72 moveto\nnieznane_polecenie\nshowpage\n",
       TDocumentFormat::PostScript, "", {}, {},
       "Ghostscript cannot make a PDF of the PostScript: Error: /undefined in nieznane_polecenie"},
      {"PostScript that sends its pages elsewhere", "zly.ps",
       "%!PS\n<< /OutputFile (/dev/null) >> setpagedevice\n72 72 moveto (x) show showpage\n",
       TDocumentFormat::PostScript, "", {}, {}, "Ghostscript made no PDF of the PostScript"},
      {"no Ghostscript installed", "wydruk.ps", kPostScript, TDocumentFormat::PostScript, "", {}, "",
       "Ghostscript is needed to print PostScript as PDF: install Debian's package ghostscript"},
      {"PRYNDA_PDF naming the printed file", "wydruk.pdf", kPdf, TDocumentFormat::Pdf, "", "wydruk.pdf", {},
       "PRYNDA_PDF names the file being printed"},
      {"a PDF that would take the document's own name", "wydruk.pdf", kPdf, TDocumentFormat::Pdf, "wydruk.txt", {},
       {}, "The PDF file would replace the document itself"},
  };
  const char* path = std::getenv("PATH");
  const std::string saved_path = path != nullptr ? path : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.Write(c.file, c.bytes);
    if (c.pdf_env) setenv("PRYNDA_PDF", dir.File(*c.pdf_env).c_str(), 1);
    if (c.path_env) setenv("PATH", c.path_env->c_str(), 1);
    try {
      PassOn(c.format, file, 0, c.source.empty() ? file : dir.File(c.source));
      ADD_FAILURE() << "raised nothing";
    } catch (const EPrinter& e) {
      EXPECT_NE(std::string(e.what()).find(c.raises), std::string::npos) << e.what();
    }
    setenv("PATH", saved_path.c_str(), 1);
    unsetenv("PRYNDA_PDF");
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{c.file});
    EXPECT_EQ(ReadFile(file), c.bytes);
  }
}

TEST_F(PdfPassOnTest, AStopRequestCancelsItWithNothingWritten) {
  for (const auto& [format, bytes] :
       {std::pair{TDocumentFormat::Pdf, kPdf}, std::pair{TDocumentFormat::PostScript, kPostScript}}) {
    TempDir dir;
    const std::string path = dir.Write("wydruk.dat", bytes);
    detail::stop_request.store(SIGTERM);
    EXPECT_THROW(PassOn(format, path, 0, path), JobInterrupted);
    detail::stop_request.store(0);
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"wydruk.dat"});
  }
}

}  // namespace
}  // namespace prynda
