// The inks of an inkjet sheet in graphics mode. Raster dots are laid on a grid of cells and kept
// until no more dots can land among them; then each run of rows is drawn as one image per mixture
// of inks, so a cell that got several inks prints as the inks mixed on paper (cyan and yellow
// green, magenta and yellow red, all three black) rather than the last one covering the others.
// Memory follows the rows that can still change, never a whole sheet.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "device/canvas.h"
#include "device/font.h"

namespace prynda::escp {

// Ink planes, one bit each; a set of them is a mixture.
using InkSet = std::uint8_t;
inline constexpr InkSet kBlack = 1;
inline constexpr InkSet kCyan = 2;
inline constexpr InkSet kMagenta = 4;
inline constexpr InkSet kYellow = 8;
inline constexpr InkSet kLightCyan = 16;
inline constexpr InkSet kLightMagenta = 32;
inline constexpr InkSet kLightBlack = 64;

// The colour the inks print together: each ink filters the light the others leave.
TColor MixedColor(InkSet inks);

class InkLayers {
 public:
  // Cells of `cell_x` x `cell_y` device pixels, columns counted from x = 0, rows from y = 0; dots
  // right of `width` or below `height` (device pixels) fall off the sheet. Another grid than the
  // one in use first draws what is kept.
  void SetGrid(TCanvas& canvas, double cell_x, double cell_y, double width, double height);
  // One row of dots, bits from the top bit of bits[0]: dot i in the cell at (x + i * step, y).
  void Lay(TCanvas& canvas, double x, double y, double step, const std::uint8_t* bits, std::uint32_t dots,
           InkSet inks);
  // Draws the rows that end above `y` (device pixels), or every row kept.
  void DrawAbove(TCanvas& canvas, double y);
  void DrawAll(TCanvas& canvas) { DrawAbove(canvas, kEverything); }
  bool Empty() const { return rows_.empty(); }
  // Where the topmost row kept begins, device pixels; none kept: far below any sheet.
  double Top() const;

 private:
  static constexpr double kEverything = 1e300;
  using Rows = std::map<std::int64_t, std::vector<InkSet>>;
  // The rows [first, last) drawn, then forgotten.
  void Draw(TCanvas& canvas, Rows::iterator first, Rows::iterator last);
  // A run of consecutive rows, from `first` up to and excluding the returned one, drawn.
  Rows::iterator DrawRun(TCanvas& canvas, Rows::iterator first, Rows::iterator last);

  double cell_x_ = 0;
  double cell_y_ = 0;
  std::int64_t columns_ = 0;  // on the sheet
  std::int64_t rows_on_sheet_ = 0;
  Rows rows_;                 // each row's cells, as long as its rightmost dot
  std::size_t kept_ = 0;      // bytes of all rows
  std::vector<std::uint8_t> bits_;  // one mixture's image of a run
};

}  // namespace prynda::escp
