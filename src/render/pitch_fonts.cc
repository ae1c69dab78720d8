#include "render/pitch_fonts.h"

#include "render/page_cycle.h"

namespace prynda {

namespace {

// The canvas font becomes a copy of `font` carrying the current text attributes.
void SelectFont(TRenderState& state, const TFont& font) {
  TFont& canvas_font = state.Canvas.Font();
  canvas_font.CopyFrom(font);
  canvas_font.SetStyle(state.TextStyle);
}

void SetAttributes(TRenderState& state, TFontStyles set, TFontStyles clear) {
  state.TextStyle = static_cast<TFontStyles>((state.TextStyle | set) & ~clear);
  state.Canvas.Font().SetStyle(state.TextStyle);
}

void SetPitchFont(TRenderState& state, const TFont& font, std::int32_t pitch) {
  SelectFont(state, font);
  state.Pitch = pitch;
  UpdateBaselineShift(state);
}

}  // namespace

void BoldOn(TRenderState& state) { SetAttributes(state, fsBold, 0); }
void BoldOff(TRenderState& state) { SetAttributes(state, 0, fsBold); }
void ItalicOn(TRenderState& state) { SetAttributes(state, fsItalic, 0); }
void ItalicOff(TRenderState& state) { SetAttributes(state, 0, fsItalic); }
void UnderlineOn(TRenderState& state) { SetAttributes(state, fsUnderline, 0); }
void UnderlineOff(TRenderState& state) { SetAttributes(state, 0, fsUnderline); }

void SetPitch10(TRenderState& state) {
  SelectFont(state, state.Job.Font10);
  state.Pitch = 10000;
  state.BaselineShift = 0;
}

void SetPitch12(TRenderState& state) { SetPitchFont(state, state.Job.Font12, 12000); }
void SetPitch17(TRenderState& state) { SetPitchFont(state, state.Job.Font16, 17125); }
void SetPitch20(TRenderState& state) { SetPitchFont(state, state.Job.Font20, 20000); }

void ExpandedOn(TRenderState& state) {
  if (state.Expanded) return;
  state.Expanded = true;
  state.SavedPitch = state.Pitch;
  SelectFont(state, state.Job.FontEM);
  state.Pitch = state.Pitch / 2;
  UpdateBaselineShift(state);
}

void ExpandedOff(TRenderState& state) {
  if (!state.Expanded) return;
  state.Expanded = false;
  switch (state.SavedPitch) {
    case 12000: SetPitch12(state); break;
    case 17125: SetPitch17(state); break;
    case 20000: SetPitch20(state); break;
    default: SetPitch10(state); break;
  }
}

void SmallFontBottomAligned(TRenderState& state) {
  SelectFont(state, state.Job.FontAK);
  UpdateBaselineShift(state);
}

void SmallFontTopAligned(TRenderState& state) {
  SelectFont(state, state.Job.FontAK);
  state.BaselineShift = 0;
}

void NormalFont(TRenderState& state) {
  SelectFont(state, state.Job.Font10);
  state.BaselineShift = 0;
}

}  // namespace prynda
