// The built-in PDF printer end to end through the object layer: the file it writes, its pages,
// text (Polish letters through the Central European charset), positions and the clean-up rules.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

#include "device/printer.h"
#include "printers/fonts/font_library.h"
#include "printers/prynda_pdf/pdf_file_printer.h"
#include "support/pdf_tools.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using testing::PdfPageCount;
using testing::Shell;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class PdfPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/prynda-pdf-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    unsetenv("PRYNDA_PDF");
    printer_.SetDocumentName("GDI=" + Source());
    printer_.SetSourceFileName(Source());
  }
  void TearDown() override {
    unsetenv("PRYNDA_PDF");
    unsetenv("SOURCE_DATE_EPOCH");
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }

  std::string Source() const { return (dir_ / "faktura.txt").string(); }
  fs::path Output() const { return dir_ / "faktura.pdf"; }
  int FilesIn(const fs::path& dir) const {
    int count = 0;
    for ([[maybe_unused]] auto& entry : fs::directory_iterator(dir)) ++count;
    return count;
  }

  // A page in Courier New, 10 points, Central European charset.
  void SetUpFont() {
    TFont& font = printer_.PageCanvas().Font();
    font.SetName("Courier New");
    font.SetCharset(238);
    font.SetColor(clWindowText);
    font.SetSize(10);
    printer_.PageCanvas().Brush().SetStyle(TBrushStyle::bsClear);
  }
  void PaintLine(int x, int y, std::string_view text) {
    TCanvas& canvas = printer_.PageCanvas();
    const int cell = 60;
    for (std::size_t i = 0; i < text.size(); ++i) {
      canvas.PaintText(x + static_cast<int>(i) * cell, y, text.substr(i, 1));
    }
  }

  fs::path dir_;
  PdfFilePrintSystem system_{std::make_shared<FontLibrary>()};
  TPrinter printer_{system_};
};

TEST_F(PdfPrinterTest, OutputPathFollowsThePrintedFileOrPrynDaPdf) {
  EXPECT_EQ(PdfOutputPath("dir/faktura.txt", nullptr), "dir/faktura.pdf");
  EXPECT_EQ(PdfOutputPath("FAKTURA", nullptr), "FAKTURA.pdf");
  EXPECT_EQ(PdfOutputPath("raport.pdf", nullptr), "raport.pdf.pdf");
  EXPECT_EQ(PdfOutputPath("a.b/raport", ""), "a.b/raport.pdf");
  EXPECT_EQ(PdfOutputPath("dir/faktura.txt", dir_.c_str()), (dir_ / "faktura.pdf").string());
  EXPECT_EQ(PdfOutputPath("dir/faktura.txt", "out/"), "out/faktura.pdf");
  EXPECT_EQ(PdfOutputPath("dir/faktura.txt", "wynik.pdf"), "wynik.pdf");
  std::ofstream(Source()) << "x";
  EXPECT_THROW(PdfOutputPath(Source(), Source().c_str()), EPrinter);
}

// What the file system says decides the name: a folder or not, and which paths are one file
// (here: `alias` is the printed file). A row without a result raises EPrinter.
TEST(PdfOutputPathNaming, FollowsWhatTheFileSystemSays) {
  struct Row {
    const char* source;
    const char* env;
    bool env_is_folder;
    const char* alias;
    const char* named;
  };
  const Row rows[] = {
      {"dir/faktura.txt", "out", true, "", "out/faktura.pdf"},
      {"dir/faktura.txt", "out", false, "", "out"},
      {"dir/faktura.txt", "out", true, "out/faktura.pdf", nullptr},  // the folder holds the printed file
      {"dir/X.PDF", nullptr, false, "dir/X.pdf", "dir/X.PDF.pdf"},   // a file system that ignores case
      {"dir/faktura", nullptr, false, "dir/faktura.pdf", nullptr},   // a link to its own name with .pdf
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source + std::string(" ") + (row.env ? row.env : "-") + " " + row.alias);
    const SameFileTest same = [&](const fs::path& a, const fs::path& b) {
      return a == b || (a == row.alias && b == row.source) || (b == row.alias && a == row.source);
    };
    if (row.named == nullptr) {
      EXPECT_THROW(PdfOutputPath(row.source, row.env, row.env_is_folder, same), EPrinter);
    } else {
      EXPECT_EQ(PdfOutputPath(row.source, row.env, row.env_is_folder, same), row.named);
    }
  }
}

// A printed file without an extension that is a link to its own name with .pdf: writing that name
// would replace what is being printed.
TEST_F(PdfPrinterTest, NeverNamesThePrintedFileThroughALink) {
  std::ofstream(dir_ / "faktura.pdf") << "x";
  fs::create_symlink("faktura.pdf", dir_ / "faktura");
  EXPECT_THROW(PdfOutputPath((dir_ / "faktura").string(), nullptr), EPrinter);
  EXPECT_EQ(ReadFile(dir_ / "faktura.pdf"), "x");
}

TEST_F(PdfPrinterTest, OffersTheOfficeFacesThroughTheirMetricTwins) {
  const TNameList& faces = printer_.FontNames();
  EXPECT_EQ(faces.IndexOf("courier new"), 0);
  EXPECT_GE(faces.IndexOf("Arial"), 0);
  EXPECT_GE(faces.IndexOf("Liberation Mono"), 0);
  EXPECT_EQ(faces.IndexOf("No Such Face At All"), -1);
}

TEST_F(PdfPrinterTest, MeasuresWholePixelsAtSixHundredDpi) {
  SetUpFont();
  TCanvas& canvas = printer_.PageCanvas();
  EXPECT_EQ(printer_.DeviceCaps(kLogPixelsX), 600);
  EXPECT_EQ(printer_.DeviceCaps(kLogPixelsY), 600);
  EXPECT_EQ(printer_.PrintableHeight(), 6816);
  EXPECT_EQ(canvas.Font().Height(), -83);
  // A 0.6 em monospaced advance and a cell of the face's Windows ascent plus descent.
  EXPECT_EQ(canvas.MeasureTextWidth("X"), 50);
  EXPECT_EQ(canvas.MeasureTextWidth("XX"), 100);
  EXPECT_EQ(canvas.MeasureTextHeight("X"), 94);
}

TEST_F(PdfPrinterTest, WritesPagesWithTextAndLines) {
  SetUpFont();
  printer_.StartDocument();
  // "Zażółć gęślą" in Windows-1250.
  PaintLine(600, 600, "Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9");
  const TPoint frame[] = {{0, 1000}, {2000, 1000}};
  printer_.PageCanvas().Pen().SetWidth(3);
  printer_.PageCanvas().DrawPolyline(frame);
  printer_.StartNextPage();
  PaintLine(0, 0, "Strona 2");
  printer_.FinishDocument();
  EXPECT_FALSE(printer_.IsPrinting());

  ASSERT_TRUE(fs::exists(Output()));
  EXPECT_EQ(FilesIn(dir_), 1) << "no temporary file may be left";
  const std::string info = Shell("pdfinfo " + Output().string());
  EXPECT_EQ(PdfPageCount(Output().string()), 2) << info;
  EXPECT_NE(info.find("595.276 x 841.89 pts (A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("GDI="), std::string::npos) << info;
  const std::string text = Shell("pdftotext -layout " + Output().string() + " -");
  EXPECT_NE(text.find("Zażółć gęślą"), std::string::npos) << text;
  EXPECT_NE(text.find("Strona 2"), std::string::npos) << text;

  // The first letter's box starts where it was painted: (margin + x) px at 72/600 pt per px,
  // plus the glyph's own side bearing, well under one device pixel's worth of slack.
  const std::string bbox = Shell("pdftotext -bbox -f 1 -l 1 " + Output().string() + " -");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(bbox, match, std::regex(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>Za)re")))
      << bbox;
  const double x_px = std::stod(match[1]) * 600 / 72 - 100;
  const double y_px = std::stod(match[2]) * 600 / 72 - 100;
  EXPECT_NEAR(x_px, 600, 2);
  EXPECT_NEAR(y_px, 600, 25);  // pdftotext's box top follows the font's ascent, not the cell
}

TEST_F(PdfPrinterTest, LandscapeSwapsThePageAndThePrintableArea) {
  printer_.SetPageOrientation(TPrinterOrientation::Landscape);
  EXPECT_EQ(printer_.PrintableHeight(), 4961 - 200);
  EXPECT_EQ(printer_.DeviceCaps(kHorzRes), 7016 - 200);
  SetUpFont();
  printer_.StartDocument();
  PaintLine(0, 0, "Poziomo");
  printer_.FinishDocument();
  const std::string info = Shell("pdfinfo " + Output().string());
  EXPECT_NE(info.find("841.89 x 595.276 pts (A4)"), std::string::npos) << info;
}

TEST_F(PdfPrinterTest, AbortLeavesNothingBehind) {
  SetUpFont();
  printer_.StartDocument();
  PaintLine(0, 0, "Anulowane");
  printer_.AbortDocument();
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_EQ(FilesIn(dir_), 0);
}

TEST_F(PdfPrinterTest, AnInterruptedDocumentLeavesNothingBehind) {
  {
    TPrinter printer(system_);
    printer.SetSourceFileName(Source());
    printer.StartDocument();
    printer.PageCanvas().PaintText(0, 0, "x");
  }
  EXPECT_EQ(FilesIn(dir_), 0);
}

TEST_F(PdfPrinterTest, AnUnwritableFolderIsReportedWithThePath) {
  if (geteuid() == 0) {
    // root writes anywhere: use a folder that does not exist instead.
    setenv("PRYNDA_PDF", (dir_ / "missing" / "out.pdf").c_str(), 1);
  } else {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  }
  try {
    printer_.StartDocument();
    FAIL() << "StartDocument should fail";
  } catch (const EPrinter& e) {
    EXPECT_NE(std::string(e.what()).find(dir_.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(printer_.IsPrinting());
}

TEST_F(PdfPrinterTest, PrynDaPdfFolderReceivesTheFile) {
  const fs::path out = dir_ / "wydruki";
  fs::create_directory(out);
  setenv("PRYNDA_PDF", out.c_str(), 1);
  printer_.StartDocument();
  printer_.FinishDocument();
  EXPECT_TRUE(fs::exists(out / "faktura.pdf"));
  EXPECT_EQ(PdfPageCount((out / "faktura.pdf").string()), 1);
}

TEST_F(PdfPrinterTest, OutputIsReproducibleWithSourceDateEpoch) {
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  std::string first;
  for (int run = 0; run < 2; ++run) {
    TPrinter printer(system_);
    printer.SetDocumentName("GDI=faktura.txt");
    printer.SetSourceFileName(Source());
    printer.PageCanvas().Font().SetName("Courier New");
    printer.PageCanvas().Font().SetCharset(238);
    printer.StartDocument();
    printer.PageCanvas().PaintText(0, 0, "\xb9");
    printer.FinishDocument();
    if (run == 0) first = ReadFile(Output());
  }
  EXPECT_EQ(ReadFile(Output()), first);
}

}  // namespace
}  // namespace prynda
