#include "render/pitch_fonts.h"

#include "render/page_cycle.h"

namespace prynda {

namespace {

void SetAttributes(TRenderState& state, TFontStyles set, TFontStyles clear) {
  state.Text.TextStyle = static_cast<TFontStyles>((state.Text.TextStyle | set) & ~clear);
  state.Canvas.Font().SetStyle(state.Text.TextStyle);
}

}  // namespace

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

void BoldOn(TRenderState& state) { SetAttributes(state, fsBold, 0); }
void BoldOff(TRenderState& state) { SetAttributes(state, 0, fsBold); }
void ItalicOn(TRenderState& state) { SetAttributes(state, fsItalic, 0); }
void ItalicOff(TRenderState& state) { SetAttributes(state, 0, fsItalic); }
void UnderlineOn(TRenderState& state) { SetAttributes(state, fsUnderline, 0); }
void UnderlineOff(TRenderState& state) { SetAttributes(state, 0, fsUnderline); }

void ExpandedOn(DefaultModes& own) {
  if (own.Expanded) return;
  TRenderState& state = own.State;
  own.Expanded = true;
  own.SavedPitch = state.Text.Pitch;
  SelectFont(state, state.Job.Font(JobFont::Expanded));
  state.Text.Pitch = state.Text.Pitch / 2;
  UpdateBaselineShift(state);
}

void ExpandedOff(DefaultModes& own) {
  if (!own.Expanded) return;
  own.Expanded = false;
  SelectPitch(own.State, own.SavedPitch);
}

void SmallFontBottomAligned(TRenderState& state) {
  SelectFont(state, state.Job.Font(JobFont::Small));
  UpdateBaselineShift(state);
}

void SmallFontTopAligned(TRenderState& state) {
  SelectFont(state, state.Job.Font(JobFont::Small));
  state.Text.BaselineShift = 0;
}

void NormalFont(TRenderState& state) {
  SelectFont(state, state.Job.Font(JobFont::Cpi10));
  state.Text.BaselineShift = 0;
}

}  // namespace prynda
