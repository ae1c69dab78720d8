// Picture and raster files made for the tests: a page Ghostscript draws in any of its formats, and
// the GIF and BMP files it does not write, byte by byte.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace prynda::testing {

// A page of 72 x 36 points, its left half red and its right half blue; a second page is green.
// At 20 dpi it is 20 x 10 dots.
inline constexpr char kTwoColourPage[] =
    "%!PS\n<< /PageSize [72 36] >> setpagedevice\n"
    "1 0 0 setrgbcolor 0 0 36 36 rectfill 0 0 1 setrgbcolor 36 0 36 36 rectfill showpage\n"
    "0 1 0 setrgbcolor 0 0 72 36 rectfill showpage\n";

// The same in black and white: the left half black, the second page black.
inline constexpr char kBlackAndWhitePage[] =
    "%!PS\n<< /PageSize [72 36] >> setpagedevice\n"
    "0 setgray 0 0 36 36 rectfill showpage\n"
    "0 setgray 0 0 72 36 rectfill showpage\n";

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The page drawn by Ghostscript's `device` with `options` at `dpi`; only its first page unless the
// device writes every page into one file.
inline std::string Drawn(const TempDir& dir, const std::string& device, const std::string& options = "",
                         int dpi = 20, const char* pages = kTwoColourPage) {
  const std::string page = dir.Write("page.ps", pages);
  const std::string out = dir.File("drawn." + device);
  Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -r" + std::to_string(dpi) + " -sDEVICE=" + device + " " + options +
        " -sOutputFile=" + out + " " + page + " 2>&1");
  return ReadBytes(out);
}

inline void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
inline void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A GIF of width x height dots of the colours red, blue, green and black (0 to 3) that `dot`
// gives, green transparent. Its codes stay three bits wide: a clear code before every second dot.
template <typename Dot>
std::string Gif(unsigned width, unsigned height, Dot dot) {
  std::string out = "GIF89a";
  Put16(out, width);
  Put16(out, height);
  out += "\x81";  // a global table of four colours
  out += std::string("\0\0", 2);
  out += std::string("\xFF\0\0" "\0\0\xFF" "\0\xFF\0" "\0\0\0", 12);
  out += std::string("\x21\xF9\x04\x01\0\0\x02\0", 8);  // colour 2 is transparent
  out += "\x2C";
  out += std::string(4, '\0');
  Put16(out, width);
  Put16(out, height);
  out += std::string("\0\x02", 2);  // not interlaced; codes start at two bits and one more
  std::string data;
  unsigned bits = 0, count = 0;
  const auto code = [&](unsigned value) {
    bits |= value << count;
    for (count += 3; count >= 8; count -= 8, bits >>= 8) data += static_cast<char>(bits & 0xFF);
  };
  for (unsigned i = 0; i < width * height; ++i) {
    if (i % 2 == 0) code(4);
    code(dot(i % width, i / width));
  }
  code(5);
  if (count > 0) data += static_cast<char>(bits & 0xFF);
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::string block = data.substr(at, 255);
    out += static_cast<char>(block.size());
    out += block;
  }
  return out + std::string("\0\x3B", 2);
}

// A BMP of 24-bit dots, rows from the bottom, at `dots_a_metre`; `colour` gives 0xRRGGBB.
template <typename Colour>
std::string Bmp(unsigned width, unsigned height, std::uint32_t dots_a_metre, Colour colour) {
  const unsigned stride = (width * 3 + 3) / 4 * 4;
  std::string out = "BM";
  Put32(out, 54 + stride * height);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, stride * height);
  Put32(out, dots_a_metre);
  Put32(out, dots_a_metre);
  Put32(out, 0);
  Put32(out, 0);
  for (unsigned row = height; row-- > 0;) {
    std::string line;
    for (unsigned column = 0; column < width; ++column) {
      const std::uint32_t rgb = colour(column, row);
      line += static_cast<char>(rgb & 0xFF);
      line += static_cast<char>((rgb >> 8) & 0xFF);
      line += static_cast<char>(rgb >> 16);
    }
    line.resize(stride, '\0');
    out += line;
  }
  return out;
}

}  // namespace prynda::testing
