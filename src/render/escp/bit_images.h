// Bit images: ESC K, L, Y, Z, *, ^ (columns of 8, 9, 24 or 48 dots) and ESC . (raster rows, plain
// or run-length compressed); in graphics mode ESC . and ESC i lay their rows in inks (raster.cc).
// Their data is taken from the input here and in raster.cc, nowhere else.
#pragma once

#include <cstdint>

#include "render/escp/fx.h"
#include "render/escp/raster_data.h"

namespace prynda::escp {

// A column image as its command announces it; its data follows in the input.
struct BitImage {
  double DotsPerInch = 60;  // across
  std::uint32_t Columns = 0;
  std::uint32_t BytesPerColumn = 1;  // 1 (8 dots), 2 (9 dots), 3 (24 dots), 6 (48 dots)
  double RowsPerInch = 72;           // down: 72 (9-pin), 60 (8 dots on 24 pins), 180, 360
};

// The job's input as a source of raster data (raster_data.h).
struct InputSource {
  Fx& fx;
  std::uint8_t Next() { return escp::Next(fx); }
  bool AtEnd() const { return fx.State.Input.AtEof; }
  void Skip(std::uint64_t count) { escp::Skip(fx, count); }
};

// Rows of raster data as a command announces them, for graphics mode's inks.
struct RasterRows {
  std::uint32_t Rows = 0;
  std::uint32_t Bytes = 0;     // a row's
  std::uint32_t Dots = 0;      // a row's, at most Bytes * 8 / Bits
  std::uint8_t Bits = 1;       // a dot's: 1, 2 or 4, a dot wherever they are not all clear
  double StepX = 0, StepY = 0;  // device pixels from a dot to the next, from a row to the next
};

// The image's data is taken by its count (a count past the end of the input takes the rest, and
// the columns or rows it holds are drawn), its dots drawn with their top at the print position,
// and the print position moved right by the image's width, as the printer's head moves.
void TakeBitImage(Fx& fx, const BitImage& image);
void TakeRasterImage(Fx& fx, const RasterImage& image);
// raster.cc: the rows taken from `data` and laid in the ink of graphics mode, the first with its
// top-left dot at the print position; the print position then moves right by a row's width.
void LayRows(Fx& fx, RasterData<InputSource>& data, const RasterRows& rows);
// raster.cc: ESC . 2 in graphics mode, TIFF mode's commands up to <EXIT> (raster_data.h).
void TakeTiffMode(Fx& fx, const RasterImage& image);

}  // namespace prynda::escp
