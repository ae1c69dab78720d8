// Prynda's own PDF writer: its number formatting and file structure, and - on the samples of
// examples/ - the same words at the same places and the same picture as the cairo reference.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "device/printer_error.h"
#include "jobcontrol/job_flow.h"
#include "printers/pdf/pdf_context.h"
#include "printers/pdf/pdf_pages.h"
#include "printers/pdf/pdf_writer.h"
#include "printers/prynda_pdf/pdf_file_printer.h"
#include "reference/cairo_pages.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using testing::PdfPageCount;
using testing::Shell;
using testing::TempDir;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";

// Keeps what it is given; can be told to fail.
class MemorySink final : public PdfSink {
 public:
  void Begin(const TDocInfo&) override {}
  bool Write(const unsigned char* data, std::size_t size) override {
    if (fail) return false;
    bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::string FailureText() const override { return "disk full"; }
  void Commit() override {}
  void Discard() noexcept override {}

  std::string bytes;
  bool fail = false;
};

TEST(PdfWriterTest, NumbersAreShortAndLocaleProof) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {{0.12, 8, "0.12"},   {-0.12, 8, "-0.12"}, {595.2755905, 3, "595.276"}, {100.0, 3, "100"},
                        {-0.0001, 3, "0"},   {2.5, 0, "2"},       {1e-9, 4, "0"},              {83.0, 4, "83"},
                        {0.333333, 2, "0.33"}, {-1234567.5, 1, "-1234567.5"}};
  for (const Case& c : cases) {
    std::string out;
    AppendReal(out, c.value, c.decimals);
    EXPECT_EQ(out, c.text) << c.value;
  }
  std::string out;
  AppendInt(out, -9223372036854775807LL);
  EXPECT_EQ(out, "-9223372036854775807");
}

TEST(PdfWriterTest, TheCrossReferenceTablePointsAtEveryObject) {
  MemorySink sink;
  {
    PdfWriter writer(sink);
    const int later = writer.NewObject();  // reserved first, written last
    const int stream = writer.NewObject();
    writer.WriteStream(stream, std::string(5000, 'x'));
    const int catalog = writer.NewObject();
    writer.BeginObject(catalog);
    writer.Write("<</Type/Catalog>>");
    writer.EndObject();
    writer.BeginObject(later);
    writer.Write("<<>>");
    writer.EndObject();
    writer.Finish(catalog, later);
  }
  const std::string& pdf = sink.bytes;
  ASSERT_TRUE(pdf.starts_with("%PDF-1.5\n"));
  ASSERT_TRUE(pdf.ends_with("%%EOF\n"));
  const std::size_t startxref = pdf.rfind("startxref\n");
  const std::size_t xref = std::stoul(pdf.substr(startxref + 10));
  ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
  std::istringstream table(pdf.substr(xref + 5));
  int first = 0, count = 0;
  table >> first >> count;
  EXPECT_EQ(count, 4);
  std::string offset, generation, kind;
  table >> offset >> generation >> kind;  // the free entry
  for (int number = 1; number < count; ++number) {
    table >> offset >> generation >> kind;
    EXPECT_EQ(offset.size(), 10u);
    EXPECT_EQ(kind, "n");
    const std::string expected = std::to_string(number) + " 0 obj";
    EXPECT_EQ(pdf.compare(std::stoul(offset), expected.size(), expected), 0) << number;
  }
  // The stream went in compressed.
  EXPECT_NE(pdf.find("/Filter/FlateDecode"), std::string::npos);
  EXPECT_LT(pdf.size(), 1000u);
}

TEST(PdfWriterTest, AFailingSinkRaisesItsOwnText) {
  MemorySink sink;
  sink.fail = true;
  PdfWriter writer(sink);
  const int stream = writer.NewObject();
  try {
    for (int i = 0; i < 64; ++i) writer.WriteStream(stream, std::string(4096, static_cast<char>(i)), {}, false);
    writer.Finish(stream, stream);
    FAIL() << "the failure must be raised";
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), "disk full");
  }
}

// Gray pixels of page 1 at `dpi`, with the page's width.
std::vector<unsigned char> Raster(const std::string& pdf, int dpi, int& width) {
  const std::string base = pdf + "-raster";
  Shell("pdftoppm -gray -r " + std::to_string(dpi) + " -f 1 -l 1 -singlefile " + pdf + " " + base);
  std::ifstream in(base + ".pgm", std::ios::binary);
  std::string magic;
  int height = 0, max = 0;
  in >> magic >> width >> height >> max;
  in.get();
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height);
  in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  return pixels;
}

TEST(PdfWriterTest, ImagesAreMasksWithEveryDotInItsCellAndBandsJoined) {
  // Three bands of 8 x 24 dots at 60 x 72 dots an inch, edge to edge down the page as a printer
  // head lays them: a checkerboard with a solid first column. At 600 dpi a dot is 10 px wide
  // and 8 1/3 px high, so a band is 66 2/3 px: the bands start at 0, 67 and 133 px.
  const int columns = 24, rows = 24;
  auto dot = [](int c, int r) { return c == 0 || (c + r) % 2 == 0; };
  TempDir dir;
  MemorySink sink;
  FontLibrary fonts;
  {
    auto owned = std::make_unique<MemorySink>();
    MemorySink* writing = owned.get();
    PdfPageContext context(fonts, A4Geometry(600, 100, TPrinterOrientation::Portrait), std::move(owned));
    context.StartDoc(TDocInfo{"obraz", ""});
    context.StartPage();
    for (int band = 0; band < 3; ++band) {
      std::vector<std::uint8_t> bits(3 * 8, 0);
      for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < columns; ++c) {
          if (dot(c, band * 8 + r)) bits[static_cast<std::size_t>(r * 3 + c / 8)] |= 0x80 >> (c % 8);
        }
      }
      const int top = static_cast<int>(std::lround(band * 8 * 600 / 72.0));
      const int bottom = static_cast<int>(std::lround((band + 1) * 8 * 600 / 72.0));
      context.ImageMask(200, top, columns * 10, bottom - top, TMonoImage{columns, 8, 3, bits.data()}, 0);
    }
    context.EndPage();
    context.EndDoc();
    sink.bytes = writing->bytes;
  }
  const std::string pdf = dir.Write("obraz.pdf", sink.bytes);
  EXPECT_EQ(Shell("pdfimages -list " + pdf + " | tail -n +3 | wc -l"), "1\n") << "the bands join into one image";

  // At 720 dpi a dot is 12 x 10 pixels; the page's origin is 100 device pixels (120 here) in.
  int width = 0;
  const std::vector<unsigned char> pixels = Raster(pdf, 720, width);
  auto at = [&](double x, double y) { return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)]; };
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const double x = (100 + 200 + c * 10 + 5) * 1.2;
      const double y = (100 + (r + 0.5) * 600 / 72.0) * 1.2;
      EXPECT_EQ(at(x, y) < 128, dot(c, r)) << "dot " << c << "," << r;
    }
  }
  // The solid first column runs down all three bands without a gap.
  for (double y = (100 + 1) * 1.2; y < (100 + 199) * 1.2; ++y) ASSERT_LT(at((300 + 5) * 1.2, y), 128) << y;
  EXPECT_GT(at((300 + 5) * 1.2, (100 + 201) * 1.2), 128) << "and ends where the third band ends";
}

TEST(PdfWriterTest, PicturesLieWhereCairoPutsThem) {
  // A picture of 4 x 2 coloured dots (padded rows) and a grey one of 2 x 1, stretched; at 600 dpi
  // drawn, read back at 60: a tenth of a device pixel a pixel.
  const std::uint8_t colours[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 9, 9,
                                  0, 0, 0, 255, 255, 0, 0, 255, 255, 255, 0, 255, 9, 9};
  const std::uint8_t greys[] = {0, 160};
  const auto draw = [&](PrintContext& context) {
    context.StartDoc(TDocInfo{"obrazy", ""});
    context.StartPage();
    context.DrawImage(200, 300, 1200, 600, TImage{4, 2, 3, 14, colours});
    context.DrawImage(1000, 1500, 800, 400, TImage{2, 1, 1, 2, greys});
    context.EndPage();
    context.EndDoc();
  };
  TempDir dir;
  FontLibrary fonts;
  std::vector<std::string> pdfs;
  for (bool cairo : {false, true}) {
    auto sink = std::make_unique<MemorySink>();
    MemorySink* bytes = sink.get();
    std::unique_ptr<PrintContext> context;
    const TPageGeometry page = A4Geometry(600, 100, TPrinterOrientation::Portrait);
    if (cairo) {
      context = std::make_unique<CairoPdfContext>(fonts, page, std::move(sink));
    } else {
      context = std::make_unique<PdfPageContext>(fonts, page, std::move(sink));
    }
    draw(*context);
    pdfs.push_back(dir.Write(cairo ? "cairo.pdf" : "ours.pdf", bytes->bytes));
  }
  int width = 0;
  const std::vector<unsigned char> ours = Raster(pdfs[0], 60, width);
  const std::vector<unsigned char> reference = Raster(pdfs[1], 60, width);
  ASSERT_EQ(ours.size(), reference.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) differing += std::abs(ours[i] - reference[i]) > 24;
  EXPECT_LT(differing, 40u) << "only along the pictures' edges";
  // The origin is 100 device pixels in; the first dot of each picture, in the middle of its cell.
  auto at = [&](int x, int y) { return int{ours[static_cast<std::size_t>((100 + y) / 10 * width + (100 + x) / 10)]}; };
  EXPECT_NEAR(at(200 + 150, 300 + 150), 76, 8) << "red in grey";
  EXPECT_NEAR(at(200 + 450, 300 + 450), 226, 8) << "yellow";
  EXPECT_EQ(at(1000 + 200, 1500 + 200), 0);
  EXPECT_NEAR(at(1000 + 600, 1500 + 200), 160, 2);
}

// --- The writer against the cairo reference, on every sample ---------------------------------

struct Word {
  std::string Text;
  double X, Y;
};

std::vector<Word> Words(const std::string& pdf) {
  const std::string bbox = Shell("pdftotext -bbox " + pdf + " -");
  static const std::regex word(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)<)re");
  std::vector<Word> words;
  for (auto it = std::sregex_iterator(bbox.begin(), bbox.end(), word); it != std::sregex_iterator(); ++it) {
    words.push_back(Word{(*it)[3], std::stod((*it)[1]), std::stod((*it)[2])});
  }
  return words;
}

// Gray pixels of every page at 50 dpi.
std::vector<std::vector<unsigned char>> Pictures(const std::string& pdf, const TempDir& dir, const std::string& tag) {
  const std::string base = dir.File(tag);
  Shell("pdftoppm -gray -r 50 " + pdf + " " + base);
  std::vector<std::vector<unsigned char>> pages;
  for (int page = 1;; ++page) {
    std::ifstream in(base + "-" + std::to_string(page) + ".pgm", std::ios::binary);
    if (!in) break;
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    pages.emplace_back(static_cast<std::size_t>(width) * height);
    in.read(reinterpret_cast<char*>(pages.back().data()), static_cast<std::streamsize>(pages.back().size()));
  }
  return pages;
}

std::string PrintSample(const std::string& sample, std::vector<std::string> options, PdfContextMaker maker,
                        const TempDir& dir, const std::string& tag) {
  const std::string pdf = dir.File(tag + ".pdf");
  setenv("PRYNDA_PDF", pdf.c_str(), 1);
  setenv("SOURCE_DATE_EPOCH", "1765152000", 1);
  PdfFilePrintSystem system(std::make_shared<FontLibrary>(), std::move(maker));
  std::vector<std::string> params = {dir.File("prynda"), (kExamples / sample).string(), "/ST"};
  params.insert(params.end(), options.begin(), options.end());
  std::ostringstream out, err;
  std::istringstream in;
  EXPECT_EQ(RunProgram(params, system, out, in, err, 852), 0) << err.str();
  unsetenv("PRYNDA_PDF");
  unsetenv("SOURCE_DATE_EPOCH");
  return pdf;
}

TEST(PdfWriterTest, EverySampleMatchesTheCairoReference) {
  const PdfContextMaker cairo = [](FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink) {
    return std::make_unique<CairoPdfContext>(fonts, geometry, std::move(sink));
  };
  const std::vector<std::pair<std::string, std::vector<std::string>>> samples = {
      {"faktura.txt", {}}, {"raport.txt", {}}, {"list-mazowia.txt", {"MAZ"}}, {"poziomo.txt", {}}, {"pozycje.txt", {}},
      {"rechnung-fx.txt", {"/FX", "/CP=850"}}};  // text as Unicode, shades and blocks as filled rectangles
  for (const auto& [sample, options] : samples) {
    SCOPED_TRACE(sample);
    TempDir dir;
    const std::string ours = PrintSample(sample, options, PdfWriterContexts(), dir, "ours");
    const std::string reference = PrintSample(sample, options, cairo, dir, "cairo");
    EXPECT_EQ(Shell("pdfinfo " + ours + " | grep -E 'Pages|Page size'"),
              Shell("pdfinfo " + reference + " | grep -E 'Pages|Page size'"));

    // Every word starts within a tenth of a point of where cairo put it. (cairo keeps Polish
    // letters in a second font, which breaks some words in two for a text reader: a word of ours
    // then matches the first part.)
    const std::vector<Word> got = Words(ours);
    const std::vector<Word> expected = Words(reference);
    ASSERT_GT(got.size(), 10u);
    EXPECT_LE(got.size(), expected.size());
    for (const Word& word : got) {
      const bool placed = std::any_of(expected.begin(), expected.end(), [&](const Word& other) {
        return std::abs(other.X - word.X) < 0.1 && std::abs(other.Y - word.Y) < 0.1 && word.Text.starts_with(other.Text);
      });
      EXPECT_TRUE(placed) << word.Text << " at " << word.X << "," << word.Y;
    }

    // The same picture: frames, rules and glyphs at the same pixels, give or take anti-aliasing.
    const auto our_pages = Pictures(ours, dir, "ours");
    const auto reference_pages = Pictures(reference, dir, "cairo");
    ASSERT_EQ(our_pages.size(), reference_pages.size());
    for (std::size_t page = 0; page < our_pages.size(); ++page) {
      ASSERT_EQ(our_pages[page].size(), reference_pages[page].size());
      std::size_t ink = 0, differing = 0;
      for (std::size_t i = 0; i < our_pages[page].size(); ++i) {
        ink += reference_pages[page][i] < 128;
        differing += std::abs(our_pages[page][i] - reference_pages[page][i]) > 96;
      }
      EXPECT_LT(differing, std::max<std::size_t>(ink / 50, 10)) << "page " << page + 1 << " of " << ink << " inked";
    }
  }
}

}  // namespace
}  // namespace prynda
