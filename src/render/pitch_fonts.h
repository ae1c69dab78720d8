// Pitch and fonts: the canvas font switched among the job's six fonts, carrying the text's
// attributes, and the one font for each pitch.
#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace prynda {

inline constexpr std::int32_t kPitch12Cpi = 12000;
inline constexpr std::int32_t kPitch15Cpi = 15000;
inline constexpr std::int32_t kPitch17Cpi = 17125;  // condensed pica
inline constexpr std::int32_t kPitch20Cpi = 20000;

// The font of the set that prints a pitch (10, 12, 15, 17.125 or 20 characters per inch).
JobFont FontForPitch(std::int32_t pitch);
// The canvas font becomes a copy of `font` carrying the current text attributes.
void SelectFont(TRenderState& state, const TFont& font);
// The pitch's font and cell; its characters sit on the bottom of the 10-cpi line.
void SelectPitch(TRenderState& state, std::int32_t pitch);

}  // namespace prynda
