// XPS documents made PDFs: the pages at their own sizes, and every document that cannot be read or
// is beyond the limits refused with its reason. The packages are written here, part by part.
#include <gtest/gtest.h>
#include <libdeflate.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "printers/xps/separate_process.h"
#include "printers/xps/xps_to_pdf.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace prynda {
namespace {

using testing::Shell;
using testing::TempDir;
using testing::kFilledPath;
using testing::kMicrosoft;
using testing::kOpen;
using testing::Package;
using testing::Page;
using testing::Zip;
using Part = testing::ZipPart;

// A PNG of white dots at `per_metre` dots a metre (3780: 96 dpi), its rows left out where they would
// take more than a megabyte: then it says how many dots it has, and no more.
std::string Png(std::uint32_t width, std::uint32_t height, std::uint32_t per_metre = 3780) {
  auto big_endian = [](std::uint64_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift & 0xFF);
    return bytes;
  };
  auto chunk = [&](const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return big_endian(data.size()) + body + big_endian(libdeflate_crc32(0, body.data(), body.size()));
  };
  std::string png = "\x89PNG\r\n\x1a\n" +
                    chunk("IHDR", big_endian(width) + big_endian(height) + std::string("\x08\x02\0\0\0", 5)) +
                    chunk("pHYs", big_endian(per_metre) + big_endian(per_metre) + "\x01");
  const std::uint64_t row = 1 + 3 * std::uint64_t{width};
  if (row * height <= (1 << 20)) {
    std::string rows;
    for (std::uint32_t y = 0; y < height; ++y) rows += '\0' + std::string(row - 1, '\xFF');
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::string packed(libdeflate_zlib_compress_bound(compressor, rows.size()), '\0');
    packed.resize(libdeflate_zlib_compress(compressor, rows.data(), rows.size(), packed.data(), packed.size()));
    libdeflate_free_compressor(compressor);
    png += chunk("IDAT", packed) + chunk("IEND", "");
  }
  return png;
}

// A page filled by the picture /Resources/a.png, of which it shows `viewbox` (1/96 inch), under the
// filled path.
std::string PicturePage(const std::string& viewbox) {
  return Page(R"(<Path Data="M 0,0 L 816,0 L 816,1056 L 0,1056 Z"><Path.Fill><ImageBrush )"
              R"(ImageSource="/Resources/a.png" Viewbox=")" + viewbox +
              R"(" ViewboxUnits="Absolute" Viewport="0,0,816,1056" ViewportUnits="Absolute"/></Path.Fill></Path>)" +
              kFilledPath);
}

// The first page's part in three pieces, the last of them marked so or left out.
std::vector<Part> Pieces(const std::string& page, bool whole) {
  const std::string part = "Documents/1/Pages/1.fpage/";
  std::vector<Part> pieces = {{part + "[0].piece", page.substr(0, 20)}, {part + "[1].piece", page.substr(20, 30)}};
  if (whole) pieces.push_back({part + "[2].last.piece", page.substr(50)});
  return pieces;
}

// The limits with one of them changed.
template <typename Field>
XpsLimits With(Field XpsLimits::*field, std::uint64_t value) {
  XpsLimits limits;
  limits.*field = static_cast<Field>(value);
  return limits;
}

// Each page's MediaBox (width and height in points), as pdfinfo reads the PDF.
std::vector<std::pair<double, double>> MediaBoxes(const std::string& pdf) {
  std::vector<std::pair<double, double>> boxes;
  const std::string info = Shell("pdfinfo -box -f 1 -l 9999 '" + pdf + "' 2>/dev/null");
  const std::regex box(R"(MediaBox:\s+(\S+)\s+(\S+)\s+(\S+)\s+(\S+))");
  for (std::sregex_iterator it(info.begin(), info.end(), box), end; it != end; ++it) {
    boxes.emplace_back(std::stod((*it)[3]) - std::stod((*it)[1]), std::stod((*it)[4]) - std::stod((*it)[2]));
  }
  return boxes;
}

// The grey (0 black, 255 white) of the first page at (x, y) inches from its top-left corner, drawn
// by pdftoppm at 10 dpi; -1 where there is no such dot.
int GreyAt(const std::string& pdf, int x_tenths, int y_tenths) {
  const std::string pgm = Shell("pdftoppm -r 10 -f 1 -l 1 -gray '" + pdf + "' 2>/dev/null");
  std::smatch header;
  if (!std::regex_search(pgm, header, std::regex(R"(^P5\s+(\d+)\s+(\d+)\s+255\s)"))) return -1;
  const int width = std::stoi(header[1]), height = std::stoi(header[2]);
  const std::size_t at = header.length(0) + static_cast<std::size_t>(y_tenths * width + x_tenths);
  return x_tenths < width && y_tenths < height && at < pgm.size() ? static_cast<unsigned char>(pgm[at]) : -1;
}

TEST(XpsTest, PagesAtTheirSizesOrTheReasonWhyNot) {
  const std::string kPjl = "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = XPS\r\n";
  const std::string kOne = Zip(Package({Page(kFilledPath)}));
  std::string crc_broken = kOne;
  crc_broken[kOne.rfind("PK\x01\x02") + 16] ^= 1;  // the checksum the directory gives the last part
  const std::string kFourPages = Zip(Package({Page(kFilledPath), "@1", "@1", "@1"}));
  std::string nested;
  for (int i = 0; i < 300; ++i) nested = "<Canvas>" + nested + "</Canvas>";
  const struct {
    const char* Name;
    std::string File;
    std::size_t Offset;
    XpsLimits Limits;
    std::optional<XpsProblem> Problem;  // none: the PDF has Boxes
    std::vector<std::pair<double, double>> Boxes = {};
    bool MemoryLimited = false;  // a case only where the drawing's memory is limited
  } cases[] = {
      {"a filled path", kOne, 0, {}, {}, {{612, 792}}},
      {"two sizes", Zip(Package({Page(kFilledPath), Page("", 1123, 794)})), 0, {}, {}, {{612, 792}, {842.25, 595.5}}},
      {"OpenXPS", Zip(Package({Page(kFilledPath, 816, 1056, kOpen)}, kOpen)), 0, {}, {}, {{612, 792}}},
      {"after a PJL header", kPjl + kOne, kPjl.size(), {}, {}, {{612, 792}}},
      {"pages up to the limit", kFourPages, 0, With(&XpsLimits::Pages, 4), {}, std::vector(4, std::pair(612.0, 792.0))},
      {"more pages than the limit", kFourPages, 0, With(&XpsLimits::Pages, 3), XpsProblem::TooLarge},
      {"a ZIP that is no XPS", Zip({{"list.txt", "Faktura 1/2024"}}), 0, {}, XpsProblem::Damaged},
      {"no ZIP", "PK\x03\x04 to nie jest archiwum", 0, {}, XpsProblem::Damaged},
      {"a cut ZIP", kOne.substr(0, kOne.size() - 40), 0, {}, XpsProblem::Damaged},
      {"a part failing its checksum", crc_broken, 0, {}, XpsProblem::Damaged},
      {"no pages", Zip(Package({})), 0, {}, XpsProblem::Damaged},
      {"a page missing", Zip(Package({"@7"})), 0, {}, XpsProblem::Damaged},
      {"a page that does not parse", Zip(Package({Page(R"(<Path Data="M 1,1 L 5,5" Fill="#F00"/>)")})), 0, {},
       XpsProblem::Damaged},
      {"an attribute twice", Zip(Package({Page(R"(<Path Data="M 1,1 L 5,5" Fill="#FF000000" Fill="#FF000000"/>)")})),
       0, {}, XpsProblem::Damaged},
      {"a geometry command unknown", Zip(Package({Page(R"(<Path Data="M 1,1 L 5,5 X" Fill="#FF000000"/>)")})), 0, {},
       XpsProblem::Damaged},
      {"a transform that hides the rest of the page",
       Zip(Package({Page(R"(<Canvas RenderTransform="0,0,0,0,0,0">)" + kFilledPath + "</Canvas>")})), 0, {},
       XpsProblem::Damaged},
      {"a page without size", Zip(Package({Page(kFilledPath, 0, 1056)})), 0, {}, XpsProblem::Damaged},
      {"a page larger than the limit", Zip(Package({Page(kFilledPath, 5000, 1056)})), 0, {}, XpsProblem::TooLarge},
      {"a part that unpacks to more than it says",
       Zip(Package({Page(kFilledPath)}, kMicrosoft, {{"Resources/a.xml", std::string(4096, 'a'), -1000}})), 0, {},
       XpsProblem::Damaged},
      {"a part larger than the limit", kOne, 0, With(&XpsLimits::PartBytes, 100), XpsProblem::TooLarge},
      {"markup nested too deep", Zip(Package({Page(nested)})), 0, {}, XpsProblem::TooLarge},
      {"a PDF larger than the limit", kOne, 0, With(&XpsLimits::PdfBytes, 500), XpsProblem::TooLarge},
      {"a page in pieces", Zip(Package({"@1"}, kMicrosoft, Pieces(Page(kFilledPath), true))), 0, {}, {}, {{612, 792}}},
      {"a page in pieces, one missing", Zip(Package({"@1"}, kMicrosoft, Pieces(Page(kFilledPath), false))), 0, {},
       XpsProblem::Damaged},
      {"a picture", Zip(Package({PicturePage("0,0,2,2")}, kMicrosoft, {{"Resources/a.png", Png(2, 2)}})), 0, {}, {},
       {{612, 792}}},
      // The width as a LONG8 in a classic TIFF's 12-byte entry, the last bytes of the part.
      {"a picture whose header asks past its end",
       Zip(Package({Page(kFilledPath)}, kMicrosoft,
                   {{"Resources/a.tif", std::string("MM\0*\0\0\0\x08\0\x01\x01\0\0\x10\0\0\0\x01\0\0\x03\xe8", 22)}})),
       0, {}, {}, {{612, 792}}},
      {"a picture of too many dots", Zip(Package({Page(kFilledPath)}, kMicrosoft, {{"Resources/a.png", Png(9000, 9000)}})),
       0, {}, XpsProblem::TooLarge},
      // cairo 1.16 crashes where it is asked for more than 32767 dots: the drawing process ends.
      {"a picture shown beyond what cairo takes",
       Zip(Package({PicturePage("0,0,40000,40000")}, kMicrosoft, {{"Resources/a.png", Png(1, 1)}})), 0, {},
       XpsProblem::Damaged},
      {"a picture shown beyond the memory allowed",
       Zip(Package({PicturePage("0,0,8000,8000")}, kMicrosoft, {{"Resources/a.png", Png(1, 1)}})), 0,
       With(&XpsLimits::MemoryBytes, 100 << 20), XpsProblem::Damaged, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.MemoryLimited && !SeparateMemoryLimited()) continue;
    TempDir dir;
    HiddenFile pdf;
    try {
      XpsToPdf(dir.Write("job.xps", c.File), c.Offset, pdf, c.Limits);
      ASSERT_FALSE(c.Problem) << "no error raised";
    } catch (const XpsError& error) {
      ASSERT_TRUE(c.Problem) << error.what();
      EXPECT_EQ(error.Problem(), *c.Problem) << error.what();
      continue;
    }
    std::ifstream in(pdf.Path(), std::ios::binary);
    const std::string written = dir.Write("job.pdf", std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(MediaBoxes(written), c.Boxes);
    // The filled path, 1 to 4 1/6 inches across and 1 to 3 1/8 down, in its grey.
    EXPECT_EQ(GreyAt(written, 30, 20), 98);
    EXPECT_EQ(GreyAt(written, 45, 15), 255);
  }
}

}  // namespace
}  // namespace prynda
