// The page cycle both dialects share: the column's width at the pitch in force, horizontal motion
// by columns, the page asked for and begun, the page message, the baseline of a smaller font and
// the drawing of one character centred in its cell.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "render/render_state.h"

namespace prynda {

// Width of one column at the current pitch, in device pixels.
inline double CellWidth(const TRenderState& state) { return state.Page.DpiX * 1000.0 / state.Text.Pitch; }

// Nearest integer, halves to even; clamped to the int range.
int RoundToPixel(double value);

inline void MoveColumns(TRenderState& state, std::int64_t n) {
  if (n != 0) state.Page.MoveColumns(n, CellWidth(state));
}

// The job would print more pages than MaxPages allows; it ends as a failed job ends, with nothing
// printed.
class PageLimitExceeded : public std::runtime_error {
 public:
  explicit PageLimitExceeded(int limit);
  int Limit() const { return limit_; }

 private:
  int limit_;
};

void UpdateBaselineShift(TRenderState& state);
void PrintPageMessage(TRenderState& state);
// The page asked for (PageFull) begun: its message and the printer's next page; past the job's page
// limit, PageLimitExceeded instead. The position is the dialect's to set.
void BeginPage(TRenderState& state);
// The text as a new document has it: the 10-cpi font in black, the line spacing of 1/6 inch.
void ResetText(TRenderState& state);

// Measures c in the canvas font and paints it centred in the current cell.
void DrawCharacter(TRenderState& state, std::uint8_t c);
// The same for a character given as Unicode, whose width in the canvas font is known already.
void DrawUnicodeOfWidth(TRenderState& state, char32_t c, int width);

}  // namespace prynda
