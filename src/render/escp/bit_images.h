// Bit images: ESC K, L, Y, Z, *, ^ (columns of 8, 9, 24 or 48 dots) and ESC . (raster rows, plain
// or run-length compressed). Their data is taken from the input here and nowhere else.
#pragma once

#include <cstdint>

#include "render/escp/fx.h"

namespace prynda::escp {

// A column image as its command announces it; its data follows in the input.
struct BitImage {
  double DotsPerInch = 60;  // across
  std::uint32_t Columns = 0;
  std::uint32_t BytesPerColumn = 1;  // 1 (8 dots), 2 (9 dots), 3 (24 dots), 6 (48 dots)
  double RowsPerInch = 72;           // down: 72 (9-pin), 60 (8 dots on 24 pins), 180, 360
};

// A raster image of ESC . c v h m nL nH.
struct RasterImage {
  std::uint8_t Compression = 0;  // 0 none, 1 run-length; any other value announces no data here
  std::uint8_t VerticalDensity = 0;    // v/3600 inch between rows
  std::uint8_t HorizontalDensity = 0;  // h/3600 inch between dots
  std::uint8_t Rows = 0;
  std::uint32_t Dots = 0;  // across
};

// The image's data is taken by its count (a count past the end of the input takes the rest, and
// the columns or rows it holds are drawn), its dots drawn with their top at the print position,
// and the print position moved right by the image's width, as the printer's head moves.
void TakeBitImage(Fx& fx, const BitImage& image);
void TakeRasterImage(Fx& fx, const RasterImage& image);

}  // namespace prynda::escp
