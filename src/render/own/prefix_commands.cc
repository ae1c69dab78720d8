// The prefix commands: the byte 0xFA and a command letter - pitch, line spacing, the text's
// attributes, expanded mode and the small font, the page-state reset and the form feed.
#include "render/own/own.h"

#include "render/page_cycle.h"
#include "render/pitch_fonts.h"

namespace prynda::own {

namespace {

// Bold, italic and underline are laid on every font selected after them.
template <TFontStyles Style, bool On>
void Attribute(OwnModes& own) {
  TRenderState& state = own.State;
  state.Text.TextStyle = static_cast<TFontStyles>(On ? state.Text.TextStyle | Style : state.Text.TextStyle & ~Style);
  state.Canvas.Font().SetStyle(state.Text.TextStyle);
}

template <std::int32_t Pitch>
void SelectPitchOf(OwnModes& own) {
  SelectPitch(own.State, Pitch);
}

template <int PerInch>
void LinesPerInch(OwnModes& own) {
  own.State.Page.LineSpacing = own.State.Page.DpiY / PerInch;
}

void ResetAndFormFeed(OwnModes& own) {
  ResetPageState(own);
  own.State.Page.PageFull = true;
}

void FormFeed(OwnModes& own) { own.State.Page.PageFull = true; }

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

// A font of the set: the small font sat on the bottom of the line (shifted) or hung from its top,
// the 10-cpi font.
template <JobFont Font, bool Shifted>
void SelectJobFont(OwnModes& own) {
  TRenderState& state = own.State;
  SelectFont(state, state.Job.Font(Font));
  if constexpr (Shifted) {
    UpdateBaselineShift(state);
  } else {
    state.Text.BaselineShift = 0;
  }
}

// L and P (the orientation) act only at the very start of the file (OwnOrientationAt).
constexpr PrefixCommand kCommands[] = {
    {'1', ResetPageState},
    {'2', ResetAndFormFeed},
    {'3', SelectPitchOf<kPitch10Cpi>},
    {'4', SelectPitchOf<kPitch12Cpi>},
    {'5', SelectPitchOf<kPitch17Cpi>},
    {'6', SelectPitchOf<kPitch20Cpi>},
    {'A', SelectJobFont<JobFont::Small, true>},
    {'B', SelectJobFont<JobFont::Small, false>},
    {'E', ExpandedOn},
    {'e', ExpandedOff},
    {'a', SelectJobFont<JobFont::Cpi10, false>},
    {'F', FormFeed},
    {'f', FormFeed},
    {'G', Attribute<fsBold, true>},
    {'N', Attribute<fsBold, true>},
    {'g', Attribute<fsBold, false>},
    {'n', Attribute<fsBold, false>},
    {'I', Attribute<fsItalic, true>},
    {'i', Attribute<fsItalic, false>},
    {'U', Attribute<fsUnderline, true>},
    {'u', Attribute<fsUnderline, false>},
    {'O', LinesPerInch<8>},
    {'S', LinesPerInch<6>},
};

}  // namespace

std::span<const PrefixCommand> PrefixCommands() { return kCommands; }

void DoPrefixCommand(OwnModes& own) {
  // Other letters mean nothing.
  if (const PrefixCommand* command = FindRow(PrefixCommands(), own.State.Input.NextChar())) command->Act(own);
}

}  // namespace prynda::own
