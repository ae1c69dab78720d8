#include "render/pitch_fonts.h"

#include "render/page_cycle.h"

namespace prynda {

JobFont FontForPitch(std::int32_t pitch) {
  switch (pitch) {
    case kPitch12Cpi: return JobFont::Cpi12;
    case kPitch15Cpi:
    case kPitch17Cpi: return JobFont::Condensed;
    case kPitch20Cpi: return JobFont::Cpi20;
    default: return JobFont::Cpi10;
  }
}

void SelectFont(TRenderState& state, const TFont& font) {
  TFont& canvas_font = state.Canvas.Font();
  canvas_font.CopyFrom(font);
  canvas_font.SetStyle(state.Text.TextStyle);
}

void SelectPitch(TRenderState& state, std::int32_t pitch) {
  const JobFont font = FontForPitch(pitch);
  SelectFont(state, state.Job.Font(font));
  state.Text.Pitch = pitch;
  if (font == JobFont::Cpi10) {
    state.Text.BaselineShift = 0;
  } else {
    UpdateBaselineShift(state);
  }
}

}  // namespace prynda
