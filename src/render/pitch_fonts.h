// Pitch and text attributes: the canvas font switched among the job's six fonts, the column width
// that goes with it, bold/italic/underline laid on every font selected, expanded (double-width)
// mode, and the small font hung from the top of the line or sat on its bottom.
#pragma once

#include "render/render_state.h"

namespace prynda {

void BoldOn(TRenderState& state);
void BoldOff(TRenderState& state);
void ItalicOn(TRenderState& state);
void ItalicOff(TRenderState& state);
void UnderlineOn(TRenderState& state);
void UnderlineOff(TRenderState& state);

void SetPitch10(TRenderState& state);
void SetPitch12(TRenderState& state);
void SetPitch17(TRenderState& state);
void SetPitch20(TRenderState& state);
void ExpandedOn(TRenderState& state);
void ExpandedOff(TRenderState& state);
void SmallFontBottomAligned(TRenderState& state);
void SmallFontTopAligned(TRenderState& state);
void NormalFont(TRenderState& state);

}  // namespace prynda
