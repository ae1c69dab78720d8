// The prefix commands: the byte 0xFA and a command letter - pitch, line spacing, the text's
// attributes, expanded mode and the small font, the page-state reset and the form feed.
#include "render/own/own.h"
#include "render/page_cycle.h"
#include "render/pitch_fonts.h"

namespace prynda::own {

namespace {

// Bold, italic and underline are laid on every font selected after them.
void SetAttributes(TRenderState& state, TFontStyles set, TFontStyles clear) {
  state.Text.TextStyle = static_cast<TFontStyles>((state.Text.TextStyle | set) & ~clear);
  state.Canvas.Font().SetStyle(state.Text.TextStyle);
}

void BoldOn(TRenderState& state) { SetAttributes(state, fsBold, 0); }
void BoldOff(TRenderState& state) { SetAttributes(state, 0, fsBold); }
void ItalicOn(TRenderState& state) { SetAttributes(state, fsItalic, 0); }
void ItalicOff(TRenderState& state) { SetAttributes(state, 0, fsItalic); }
void UnderlineOn(TRenderState& state) { SetAttributes(state, fsUnderline, 0); }
void UnderlineOff(TRenderState& state) { SetAttributes(state, 0, fsUnderline); }

// Expanded (double-width) mode: the expanded font at half the pitch, until it is switched off.
void ExpandedOn(OwnModes& own) {
  if (own.Expanded) return;
  TRenderState& state = own.State;
  own.Expanded = true;
  own.SavedPitch = state.Text.Pitch;
  SelectFont(state, state.Job.Font(JobFont::Expanded));
  state.Text.Pitch = state.Text.Pitch / 2;
  UpdateBaselineShift(state);
}

void ExpandedOff(OwnModes& own) {
  if (!own.Expanded) return;
  own.Expanded = false;
  SelectPitch(own.State, own.SavedPitch);
}

// The small font sat on the bottom of the line or hung from its top.
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

}  // namespace

void DoPrefixCommand(OwnModes& own) {
  TRenderState& state = own.State;
  switch (state.Input.NextChar()) {
    case '1': ResetPageState(own); break;
    case '2':
      ResetPageState(own);
      state.Page.PageFull = true;
      break;
    case '3': SelectPitch(state, kPitch10Cpi); break;
    case '4': SelectPitch(state, kPitch12Cpi); break;
    case '5': SelectPitch(state, kPitch17Cpi); break;
    case '6': SelectPitch(state, kPitch20Cpi); break;
    case 'A': SmallFontBottomAligned(state); break;
    case 'B': SmallFontTopAligned(state); break;
    case 'E': ExpandedOn(own); break;
    case 'F':
    case 'f': state.Page.PageFull = true; break;
    case 'G':
    case 'N': BoldOn(state); break;
    case 'I': ItalicOn(state); break;
    case 'O': state.Page.LineSpacing = state.Page.DpiY / 8; break;
    case 'S': state.Page.LineSpacing = state.Page.DpiY / 6; break;
    case 'U': UnderlineOn(state); break;
    case 'a': NormalFont(state); break;
    case 'e': ExpandedOff(own); break;
    case 'g':
    case 'n': BoldOff(state); break;
    case 'i': ItalicOff(state); break;
    case 'u': UnderlineOff(state); break;
    default: break;  // "L" and "P" act only at the very start of the file; other letters mean nothing
  }
}

}  // namespace prynda::own
