// Pitch and fonts: the canvas font switched among the job's six fonts, the one font for each pitch
// (both dialects), and our own dialect's attributes - bold, italic and underline laid on every font
// selected, expanded (double-width) mode, and the small font hung from the top of the line or sat
// on its bottom.
#pragma once

#include <cstdint>

#include "render/own/own.h"
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

void BoldOn(TRenderState& state);
void BoldOff(TRenderState& state);
void ItalicOn(TRenderState& state);
void ItalicOff(TRenderState& state);
void UnderlineOn(TRenderState& state);
void UnderlineOff(TRenderState& state);

void ExpandedOn(DefaultModes& own);
void ExpandedOff(DefaultModes& own);
void SmallFontBottomAligned(TRenderState& state);
void SmallFontTopAligned(TRenderState& state);
void NormalFont(TRenderState& state);

}  // namespace prynda
