// The page model that every dialect moves the print head and feeds the paper through: the device's
// resolution and printable height, the position on the sheet, the line spacing, the fine feeds, the
// page asked for and not yet begun, and the top of the form. Lengths are device pixels; positions
// are doubles, rounded only when something is drawn (page_cycle.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace prynda {

// Sums of fractional distances may pass a limit by a rounding error.
inline constexpr double kFeedTolerance = 0.01;
inline constexpr double kNoLimit = std::numeric_limits<double>::infinity();

struct PageModel {
  // The device, read once the orientation is set.
  std::int32_t DpiX = 0;
  std::int32_t DpiY = 0;
  std::int32_t PageHeight = 0;  // the printable height; our own dialect breaks at the form there
  std::int32_t TopMargin = 0;   // PosY at the top of every page: DY= lines of 1/6 inch
  double FormLength = 0;        // the form the settings ask for; 0: the sheet's printable length
  bool ToldFormTooLong = false;

  // Where the head is: PosX right of the left margin, PosY below the top of the printable area.
  double PosX = 0.0;
  double PosY = 0.0;
  std::int32_t LeftMargin = 0;
  std::int64_t Column = 1;  // counted from the last carriage return, for our dialect's tab stops
  double LineSpacing = 0;
  double FineUnits = 216;   // units per inch of the fine feeds (ESC J, ESC j): 216 or 180

  std::int64_t PageNo = 1;
  bool PageFull = false;  // the next page is asked for and not begun yet (page_cycle.h: BeginPage)
  bool Blank = true;      // nothing is printed on the page begun yet (kept by FX mode)

  void CarriageReturn() {
    PosX = 0.0;
    Column = 1;
  }
  // n columns of `cell` pixels: right, or left but never past the left margin.
  void MoveColumns(std::int64_t n, double cell) {
    if (n == 0) return;
    const double step = cell * static_cast<double>(n);
    Column += n;
    if (n > 0) {
      PosX += step;
    } else if (-step > PosX) {
      PosX = 0.0;
      Column = 1;
    } else {
      PosX += step;
    }
  }
  // The fine feed of n units, exact.
  double FinePixels(double n) const { return n * DpiY / FineUnits; }
  // The paper fed `pixels` on; true when a line at the new position would pass `bottom`.
  bool FeedDown(double pixels, double bottom) {
    PosY += pixels;
    return PosY + LineSpacing > bottom + kFeedTolerance;
  }
  // The paper fed `pixels` back, but not above `top`.
  void FeedUp(double pixels, double top) { PosY = std::max(top, PosY - pixels); }
};

}  // namespace prynda
