// Forms read from their files: what each kind of file that cannot be a form raises (hostile ones
// quickly), forms of real size, a PDF's pages and boxes, a picture's dots, and the matrix that lays
// a page, turned or not, over the sheet.
#include "printers/pdf/page_form.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "printers/pdf/pdf_form.h"
#include "printers/pdf/pdf_writer.h"
#include "support/form_files.h"
#include "support/null_pdf_sink.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

using testing::FormBox;
using testing::FormPdf;
using testing::InflatingTo;
using testing::PdfOfObjects;
using testing::PdfStream;
using testing::PdfWithObjectStream;
using testing::TempDir;

// A PDF of one A4 page drawn by object 4, its resources `resources`, then the objects `more`.
std::string OnePage(const std::string& content, const std::string& resources = "",
                    const std::vector<std::string>& more = {}) {
  std::vector<std::string> objects = {
      "<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[3 0 R]/Count 1>>",
      "<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]/Contents 4 0 R/Resources<<" + resources + ">>>>", content};
  objects.insert(objects.end(), more.begin(), more.end());
  return PdfOfObjects(objects);
}

TEST(PageFormTest, AFileThatIsNoFormSaysWhy) {
  TempDir dir;
  const std::string pdf = FormPdf({"0 0 10 10 re f"});
  std::string named_300000_times;
  for (int i = 0; i < 300'000; ++i) named_300000_times += "3 0 R ";
  const struct {
    std::string Name;
    std::string Bytes;  // "" for no file
    FormProblem Problem;
  } cases[] = {
      {"brak.pdf", "", FormProblem::Missing},
      {"tekst.pdf", "PDF-1.4 to nie jest PDF", FormProblem::NotAForm},
      {"urwany.pdf", pdf.substr(0, pdf.size() / 2), FormProblem::DamagedPdf},
      {"smieci.pdf", "%PDF-1.7\n" + std::string(2000, 'x'), FormProblem::DamagedPdf},
      {"urwany.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16), FormProblem::DamagedPng},
      // 300 KB of content that inflates to 300 MiB of blanks.
      {"kleks.pdf", OnePage(PdfStream(InflatingTo(' ', 300 << 20), "/Filter/FlateDecode")), FormProblem::TooLarge},
      // 1.8 MB naming one page 300,000 times.
      {"strony.pdf",
       PdfOfObjects({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[" + named_300000_times + "]/Count 300000>>",
                     "<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]>>"}),
       FormProblem::TooLarge},
      // The page tree in an object stream of 64 MiB, which qpdf decodes whole to read it.
      {"obiekty.pdf",
       PdfWithObjectStream({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[3 0 R]/Count 1>>",
                            "<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]>>"},
                           64 << 20),
       FormProblem::TooLarge},
      {"petla.pdf", PdfOfObjects({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[2 0 R]/Count 1>>"}),
       FormProblem::DamagedPdf},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = c.Bytes.empty() ? dir.File(c.Name) : dir.Write(c.Name, c.Bytes);
    const auto start = std::chrono::steady_clock::now();
    try {
      PageForm::Load(path);
      ADD_FAILURE() << "loaded";
    } catch (const FormError& error) {
      EXPECT_EQ(error.Problem(), c.Problem) << error.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "not decoded whole";
  }
}

TEST(PageFormTest, FormsOfRealSizeLoad) {
  TempDir dir;
  std::string lines;
  while (lines.size() < (4 << 20)) lines += "0.5 w 56.7 " + std::to_string(lines.size() % 800) + " m 538.6 0 l S\n";
  const struct {
    std::string Name, Bytes;
  } cases[] = {
      // A4 scanned at 600 dpi in colour: 4961 x 7016 dots, 104 MB decoded.
      {"skan.pdf", OnePage(PdfStream("q 595 0 0 842 0 0 cm /Skan Do Q"), "/XObject<</Skan 5 0 R>>",
                           {PdfStream(InflatingTo('\xff', 4961ull * 7016 * 3),
                                      "/Type/XObject/Subtype/Image/Width 4961/Height 7016/ColorSpace/DeviceRGB"
                                      "/BitsPerComponent 8/Filter/FlateDecode")})},
      {"wektory.pdf", OnePage(PdfStream(lines))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(PageForm::Load(dir.Write(c.Name, c.Bytes))->PageCount(), 1);
  }
}

TEST(PageFormTest, AFormThatQpdfWarnsAboutIsWrittenWhole) {
  // Object 5 lacks its "endobj": qpdf reads it with a warning, which must not make the picture
  // after it look unreadable when the page is written.
  std::string pdf = OnePage(PdfStream("/G gs q 10 0 0 10 0 0 cm /Im Do Q"), "/ExtGState<</G 5 0 R>>/XObject<</Im 6 0 R>>",
                            {"<</Type/ExtGState/CA 1>>", PdfStream(std::string(12, 'x'),
                                                                   "/Type/XObject/Subtype/Image/Width 2/Height 2"
                                                                   "/ColorSpace/DeviceRGB/BitsPerComponent 8")});
  pdf.replace(pdf.find("endobj\n6 0 obj"), 6, "      ");
  TempDir dir;
  const auto form = PageForm::Load(dir.Write("papier.pdf", pdf));
  testing::NullPdfSink sink;
  PdfWriter writer(sink);
  ImportedObjects written;
  const int page = form->Pdf().Write(0, writer, written);
  EXPECT_NO_THROW(writer.Finish(page, page)) << "every object referred to is written";
}

TEST(PageFormTest, APdfsPagesAndTheirBoxes) {
  TempDir dir;
  // Junk before the header, as some programs write it; the pages turned a quarter.
  const auto form = PageForm::Load(dir.Write("papier.pdf", "\r\n\r\n" + FormPdf({"", "", ""}, -270)));
  ASSERT_EQ(form->Type(), PageForm::Kind::Pdf);
  EXPECT_EQ(form->PageCount(), 3);
  const int sheets[] = {0, 1, 2, 2, 2};
  for (std::size_t sheet = 0; sheet < std::size(sheets); ++sheet) EXPECT_EQ(form->PageOfSheet(sheet), sheets[sheet]);
  const prynda::FormBox& box = form->Pdf().Box(2);
  EXPECT_EQ(box.Right, 595.276);
  EXPECT_EQ(box.Top, 841.89);
  EXPECT_EQ(box.Rotate, 90);
}

TEST(PageFormTest, APictureWithoutColourKeepsOneChannel) {
  TempDir dir;
  const std::string pdf = dir.Write("papier.pdf", FormPdf({FormBox(0, 0, 100, 100) + "1 0 0 rg 500 700 50 50 re f"}));
  for (const bool grey : {true, false}) {
    SCOPED_TRACE(grey);
    testing::Shell(std::string("pdftoppm -png -r 10 ") + (grey ? "-gray " : "") + "-singlefile '" + pdf + "' '" +
                   dir.File("papier") + "'");
    const auto form = PageForm::Load(dir.File("papier.png"));
    ASSERT_EQ(form->Type(), PageForm::Kind::Png);
    const FormPicture& picture = form->Picture();
    EXPECT_EQ(picture.Width, 83);  // A4 at 10 dpi
    EXPECT_EQ(picture.Height, 117);
    ASSERT_EQ(picture.Channels, grey ? 1 : 3);
    ASSERT_EQ(picture.Dots.size(), 83u * 117u * picture.Channels);
    EXPECT_EQ(picture.Dots[static_cast<std::size_t>(116 * 83) * picture.Channels], 0) << "the black corner";
    EXPECT_EQ(picture.Dots[0], 255) << "white paper";
  }
}

TEST(PageFormTest, TheSheetMatrixLaysThePageTurnedOverTheWholeSheet) {
  // A box 100 x 200 from (10, 20), on a sheet of 300 x 400: where its corners land, shown turned.
  const struct {
    int Rotate;
    double Left[2], Right[2];  // the box's bottom-left and top-right corners on the sheet
  } cases[] = {
      {0, {0, 0}, {300, 400}},
      {90, {0, 400}, {300, 0}},
      {180, {300, 400}, {0, 0}},
      {270, {300, 0}, {0, 400}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Rotate);
    const auto m = SheetMatrix(prynda::FormBox{10, 20, 110, 220, c.Rotate}, 300, 400);
    const auto at = [&](double x, double y) { return std::vector<double>{m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]}; };
    EXPECT_EQ(at(10, 20), std::vector<double>(std::begin(c.Left), std::end(c.Left)));
    EXPECT_EQ(at(110, 220), std::vector<double>(std::begin(c.Right), std::end(c.Right)));
  }
}

}  // namespace
}  // namespace prynda
