// Raster documents of two pages made by Ghostscript, read back page by page in every kind of
// colour; a page too large is reduced or refused, a damaged document raises.
#include "printers/raster/raster_reader.h"

#include <gtest/gtest.h>

#include <cups/raster.h>

#include <cstddef>
#include <string>
#include <vector>

#include "printers/picture_files.h"

namespace prynda {
namespace {

using testing::Drawn;
using testing::TempDir;

// A dot of the page as {grey} or {red, green, blue}.
std::vector<int> Dot(const RasterPage& page, int x, int y) {
  const std::uint8_t* at = &page.Dots[static_cast<std::size_t>((y * page.Width + x) * page.Channels)];
  return page.Channels == 1 ? std::vector<int>{at[0]} : std::vector<int>{at[0], at[1], at[2]};
}

TEST(RasterReaderTest, EveryKindOfPageIsReadPageByPage) {
  TempDir dir;
  struct Case {
    const char* Device;
    const char* Options;
    int Channels;
    std::vector<int> Red, Blue, Green;  // the colours of kTwoColourPage as Ghostscript wrote them
    const char* Pages = testing::kTwoColourPage;
  };
  // Ghostscript's grey is sGray's (red 130, blue 70, green 220); its CMYK blue and green have some
  // of the other inks (cyan and magenta 88 % and 77 %, black 0).
  const Case cases[] = {
      {"pwgraster", "-dcupsColorSpace=19 -dcupsBitsPerColor=8", 3, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}},
      {"pwgraster", "-dcupsColorSpace=19 -dcupsBitsPerColor=16", 3, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}},
      {"pwgraster", "-dcupsColorSpace=18 -dcupsBitsPerColor=8", 1, {130}, {70}, {220}},
      {"pwgraster", "-dcupsColorSpace=18 -dcupsBitsPerColor=16", 1, {130}, {70}, {220}},
      {"pwgraster", "-dcupsColorSpace=6 -dcupsBitsPerColor=8", 3, {255, 0, 0}, {31, 59, 255}, {96, 255, 0}},
      // Black and white, one bit a dot: black on the left, white on the right, a black page.
      {"pwgraster", "", 1, {0}, {255}, {0}, testing::kBlackAndWhitePage},
      {"urf", "-dcupsColorSpace=19 -dcupsBitsPerColor=8", 3, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}},
      {"urf", "-dcupsColorSpace=18 -dcupsBitsPerColor=8", 1, {130}, {70}, {220}},
      {"urf", "-dcupsColorSpace=6 -dcupsBitsPerColor=8", 3, {255, 0, 0}, {31, 59, 255}, {96, 255, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Device) + " " + c.Options);
    const std::string path = dir.Write("pages", Drawn(dir, c.Device, c.Options, 20, c.Pages));
    std::unique_ptr<RasterReader> reader = RasterReader::Open(path, 0);
    RasterPage page;
    std::vector<std::vector<int>> seen;
    while (reader->NextPage(page)) {
      EXPECT_EQ(page.Width, 20);
      EXPECT_EQ(page.Height, 10);
      EXPECT_NEAR(page.WidthPoints, 72, 0.1);
      EXPECT_NEAR(page.HeightPoints, 36, 0.1);
      ASSERT_EQ(page.Channels, c.Channels);
      seen.push_back(Dot(page, 3, 5));
      seen.push_back(Dot(page, 16, 5));
    }
    const auto near = [](const std::vector<int>& got, const std::vector<int>& expected) {
      if (got.size() != expected.size()) return false;
      for (std::size_t i = 0; i < got.size(); ++i) {
        if (std::abs(got[i] - expected[i]) > 3) return false;
      }
      return true;
    };
    ASSERT_EQ(seen.size(), 4u) << "two pages";
    const std::vector<std::vector<int>> expected = {c.Red, c.Blue, c.Green, c.Green};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(near(seen[i], expected[i])) << ::testing::PrintToString(seen[i]);
  }
}

TEST(RasterReaderTest, APageTooLargeIsReducedOrRefusedAndDamageRaises) {
  TempDir dir;
  // At 12001 dpi the page is 12001 x 6000 dots, 72 million: reduced by 2 to 6001 x 3000, each
  // dot the mean of four, black beside white on the middle line.
  RasterPage page;
  const std::string fine = dir.Write("fine.pwg", Drawn(dir, "pwgraster", "", 12001, testing::kBlackAndWhitePage));
  std::unique_ptr<RasterReader> reader = RasterReader::Open(fine, 0);
  ASSERT_TRUE(reader->NextPage(page));
  EXPECT_EQ(page.Width, 6001);
  EXPECT_EQ(page.Height, 3000);
  EXPECT_EQ(page.DpiX, 6000.5);
  EXPECT_NEAR(page.WidthPoints, 72, 0.01);
  EXPECT_EQ(Dot(page, 1000, 1500), std::vector<int>{0});
  EXPECT_EQ(Dot(page, 4000, 1500), std::vector<int>{255});
  EXPECT_EQ(Dot(page, 6000, 2999), std::vector<int>{255}) << "the last column of cells is one dot wide";
  ASSERT_TRUE(reader->NextPage(page));
  EXPECT_EQ(Dot(page, 4000, 1500), std::vector<int>{0});

  // A header that says 2 million dots a side, its lines as long as that needs.
  const std::string pwg = Drawn(dir, "pwgraster");
  auto patched = [&](std::size_t field, std::uint32_t value, std::string bytes) {
    std::string big_endian;
    for (int i = 0; i < 4; ++i) big_endian += static_cast<char>(value >> (24 - 8 * i));
    return bytes.replace(4 + field, 4, big_endian);
  };
  const std::string huge =
      patched(offsetof(cups_page_header2_t, cupsBytesPerLine), 250000,
              patched(offsetof(cups_page_header2_t, cupsHeight), 2000000,
                      patched(offsetof(cups_page_header2_t, cupsWidth), 2000000, pwg)));
  struct Case {
    const char* Name;
    std::string Bytes;
    std::uint64_t Offset;
    RasterProblem Problem;
  };
  const Case cases[] = {
      {"too large", huge, 0, RasterProblem::TooLarge},
      {"cut short", pwg.substr(0, 1801), 0, RasterProblem::Damaged},
      {"no raster", std::string(3000, 'x'), 0, RasterProblem::Damaged},
      {"no page", pwg.substr(0, 4), 0, RasterProblem::Damaged},
      {"past the end", pwg, pwg.size() + 1, RasterProblem::Damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write("damaged.pwg", c.Bytes);
    try {
      std::unique_ptr<RasterReader> damaged = RasterReader::Open(path, c.Offset);
      while (damaged->NextPage(page)) {
      }
      ADD_FAILURE() << "read to the end";
    } catch (const RasterError& error) {
      EXPECT_EQ(error.Problem(), c.Problem) << error.what();
    }
  }
  // A document that starts past a header of its own.
  const std::string after = dir.Write("after.pwg", "@PJL\r\n" + pwg);
  EXPECT_TRUE(RasterReader::Open(after, 6)->NextPage(page));
}

}  // namespace
}  // namespace prynda
