// Pictures decoded from files of every format, made here: each to its size, resolution and colours;
// cut short, in another format's bytes, and too large for the limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "printers/picture_files.h"
#include "printers/pictures/pictures.h"

namespace prynda {
namespace {

using testing::Bmp;
using testing::Drawn;
using testing::Gif;
using testing::TempDir;

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The red and blue halves of kTwoColourPage at 20 x 10 dots, as a GIF (its first dot transparent)
// and a BMP at 3780 dots a metre (96 dpi).
std::string TwoColourGif() {
  return Gif(20, 10, [](unsigned x, unsigned y) { return x == 0 && y == 0 ? 2u : x < 10 ? 0u : 1u; });
}
std::string TwoColourBmp() {
  return Bmp(20, 10, 3780, [](unsigned x, unsigned) { return x < 10 ? 0xFF0000u : 0x0000FFu; });
}

// Bytes `at` replaced by the big-endian (or little-endian) `value` of `size` bytes.
std::string Patched(std::string bytes, std::size_t at, std::uint32_t value, int size, bool big_endian) {
  std::string field;
  for (int i = 0; i < size; ++i) field += static_cast<char>((value >> (8 * (big_endian ? size - 1 - i : i))) & 0xFF);
  return bytes.replace(at, field.size(), field);
}

std::uint32_t Crc32(const std::string& bytes, std::size_t from, std::size_t to) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < to; ++i) {
    crc ^= static_cast<std::uint8_t>(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

// A little-endian TIFF (as Ghostscript writes them) whose first picture says it is 10000 x 10000.
std::string BigTiff(std::string tiff) {
  const auto number = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(tiff[at + static_cast<std::size_t>(i)]);
    return value;
  };
  const std::size_t directory = number(4, 4);
  for (std::uint32_t i = 0; i < number(directory, 2); ++i) {
    const std::size_t entry = directory + 2 + 12 * i;
    const std::uint32_t tag = number(entry, 2);
    if (tag == 256 || tag == 257) tiff = Patched(tiff, entry + 8, 10000, number(entry + 2, 2) == 3 ? 2 : 4, false);
  }
  return tiff;
}

TEST(DecodePicturesTest, EveryFormatGivesItsDotsOnWhite) {
  TempDir dir;
  struct Case {
    PictureFormat Format;
    std::string Bytes;
    int Channels;
    double Dpi;         // as the file states it; 0: none
    int Tolerance;      // JPEG's colours are near, not exact
  };
  const Case cases[] = {
      {PictureFormat::Png, Drawn(dir, "png16m"), 3, 20, 0},
      {PictureFormat::Png, Drawn(dir, "pngalpha"), 3, 20, 0},
      {PictureFormat::Jpeg, Drawn(dir, "jpeg"), 3, 20, 48},
      {PictureFormat::Tiff, Drawn(dir, "tiff24nc"), 3, 20, 0},
      {PictureFormat::Tiff, Drawn(dir, "tiffgray"), 1, 20, 0},
      {PictureFormat::Gif, TwoColourGif(), 3, 0, 0},
      {PictureFormat::Bmp, TwoColourBmp(), 3, 96, 0},
      {PictureFormat::Png, Drawn(dir, "pnggray"), 1, 20, 0},
      {PictureFormat::Jpeg, Drawn(dir, "jpeggray"), 1, 20, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(PictureFormatName(c.Format)) + " of " + std::to_string(c.Bytes.size()) + " bytes, " +
                 std::to_string(c.Channels) + " channels");
    const Picture picture = DecodePicture(c.Format, Bytes(c.Bytes));
    EXPECT_EQ(picture.Width, 20);
    EXPECT_EQ(picture.Height, 10);
    ASSERT_EQ(picture.Channels, c.Channels);
    ASSERT_EQ(picture.Dots.size(), 200u * c.Channels);
    EXPECT_NEAR(picture.DpiX, c.Dpi, 0.1);
    EXPECT_NEAR(picture.DpiY, c.Dpi, 0.1);
    const auto dot = [&](int x, int y) {
      const std::uint8_t* at = &picture.Dots[static_cast<std::size_t>((y * 20 + x) * c.Channels)];
      return c.Channels == 1 ? std::vector<int>{at[0]} : std::vector<int>{at[0], at[1], at[2]};
    };
    const auto near = [&](std::vector<int> got, std::vector<int> expected) {
      for (std::size_t i = 0; i < got.size(); ++i) {
        if (std::abs(got[i] - expected[i]) > c.Tolerance) return false;
      }
      return true;
    };
    // Red and blue in colour; in grey as Ghostscript makes them (sGray): 130 and 70.
    const std::vector<int> red = c.Channels == 3 ? std::vector{255, 0, 0} : std::vector{130};
    const std::vector<int> blue = c.Channels == 3 ? std::vector{0, 0, 255} : std::vector{70};
    EXPECT_TRUE(near(dot(3, 5), red));
    EXPECT_TRUE(near(dot(16, 5), blue));
    if (c.Format == PictureFormat::Gif) {
      EXPECT_TRUE(near(dot(0, 0), {255, 255, 255})) << "transparent is white";
    }
  }
}

TEST(DecodePicturesTest, DamagedAndTooLargePicturesAreRefusedBeforeTheyAreDecoded) {
  TempDir dir;
  const std::string png = Drawn(dir, "png16m");
  const std::string jpeg = Drawn(dir, "jpeg");
  const std::string tiff = Drawn(dir, "tiff24nc");
  const std::string gif = TwoColourGif();
  const std::string bmp = TwoColourBmp();
  // 10000 x 10000 dots: more than the limit, which is never taken.
  const std::string big_png = Patched(Patched(Patched(png, 16, 10000, 4, true), 20, 10000, 4, true), 29,
                                      Crc32(Patched(Patched(png, 16, 10000, 4, true), 20, 10000, 4, true), 12, 29), 4,
                                      true);
  const std::size_t sof = jpeg.find("\xFF\xC0");
  const std::string big_jpeg = Patched(Patched(jpeg, sof + 5, 10000, 2, true), sof + 7, 10000, 2, true);
  struct Case {
    const char* Name;
    PictureFormat Format;
    std::string Bytes;
    PictureProblem Problem;
  };
  const Case cases[] = {
      {"PNG cut short", PictureFormat::Png, png.substr(0, png.find("IDAT") + 10), PictureProblem::Damaged},
      {"JPEG cut short", PictureFormat::Jpeg, jpeg.substr(0, 100), PictureProblem::Damaged},
      {"TIFF cut short", PictureFormat::Tiff, tiff.substr(0, 100), PictureProblem::Damaged},
      {"GIF cut short", PictureFormat::Gif, gif.substr(0, gif.size() - 12), PictureProblem::Damaged},
      {"BMP cut short", PictureFormat::Bmp, bmp.substr(0, 40), PictureProblem::Damaged},
      {"PNG as JPEG", PictureFormat::Jpeg, png, PictureProblem::Damaged},
      {"JPEG as GIF", PictureFormat::Gif, jpeg, PictureProblem::Damaged},
      {"nothing", PictureFormat::Tiff, "", PictureProblem::Damaged},
      {"PNG too large", PictureFormat::Png, big_png, PictureProblem::TooLarge},
      {"JPEG too large", PictureFormat::Jpeg, big_jpeg, PictureProblem::TooLarge},
      {"TIFF too large", PictureFormat::Tiff, BigTiff(tiff), PictureProblem::TooLarge},
      {"GIF too large", PictureFormat::Gif, Patched(Patched(gif, 6, 10000, 2, false), 8, 10000, 2, false),
       PictureProblem::TooLarge},
      {"BMP too large", PictureFormat::Bmp, Patched(Patched(bmp, 18, 10000, 4, false), 22, 10000, 4, false),
       PictureProblem::TooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      DecodePicture(c.Format, Bytes(c.Bytes));
      ADD_FAILURE() << "decoded";
    } catch (const PictureError& error) {
      EXPECT_EQ(error.Problem(), c.Problem) << error.what();
    }
  }
}

}  // namespace
}  // namespace prynda
