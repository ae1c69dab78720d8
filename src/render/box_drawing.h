// DOS box-drawing characters (179-218) drawn as line segments in the current cell; shades and
// blocks drawn as filled cells.
#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace prynda {

// Draws c (179-218) as the lines of its box-drawing character in the current cell.
void DrawBoxCharacter(TRenderState& state, std::uint8_t c);

// The byte (179-218) that DrawBoxCharacter draws a box-drawing character given as Unicode for;
// 0 for any other character.
std::uint8_t BoxByteOf(char32_t c);

// Shades and blocks: the part of its cell each fills, in halves of the cell's width and height,
// and with what share of the text colour. ░ ▒ ▓ take 25, 50 and 75 %.
struct BlockShape {
  std::uint8_t Left, Right, Top, Bottom;
  std::uint8_t Percent;
};
const BlockShape* BlockShapeOf(char32_t c);  // nullptr: not a shade or block

// Fills the shape's part of the cell at the print position, `width` x `height` pixels (the cell of
// the pitch and the line spacing). Each edge is rounded where the neighbouring cell's edge is,
// so cells side by side and lines one below the other join without a gap or an overlap.
void DrawBlock(TRenderState& state, const BlockShape& shape, double width, double height);

}  // namespace prynda
