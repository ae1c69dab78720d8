// DOS box-drawing characters (179-218) drawn as line segments in the current cell.
#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace prynda {

// Draws c when it is a box-drawing character; sets Handled and Advance then.
void DrawBoxCharacter(TRenderState& state, std::uint8_t c);

}  // namespace prynda
