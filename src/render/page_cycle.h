// The page and line cycle of a rendering run: horizontal motion, tab stops, line feeds with the
// automatic page break, the page-state reset, the small-font baseline, page messages and the
// drawing of one character in its cell.
#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace prynda {

// Width of one column at the current pitch, in device pixels.
inline double CellWidth(const TRenderState& state) { return state.DpiX * 1000.0 / state.Pitch; }

// Nearest integer, halves to even; clamped to the int range.
int RoundToPixel(double value);

void MoveColumns(TRenderState& state, std::int64_t n);
std::int64_t ColumnsToNextTab(const TRenderState& state);
void LineFeed(TRenderState& state);
void ResetPageState(TRenderState& state);
void UpdateBaselineShift(TRenderState& state);
void PrintPageMessage(TRenderState& state);
// The next page: its message, the printer's new page, the position at its top-left corner.
void BeginNewPage(TRenderState& state);
// Measures c in the canvas font and paints it centred in the current cell.
void DrawCharacter(TRenderState& state, std::uint8_t c);
// The same for a character whose width in the canvas font is known already.
void DrawCharacterOfWidth(TRenderState& state, std::uint8_t c, int width);
// The same for a character given as Unicode.
void DrawUnicodeOfWidth(TRenderState& state, char32_t c, int width);

}  // namespace prynda
