// The prefix commands: the byte 0xFA and a command letter - pitch, line spacing, the text's
// attributes, expanded mode and the small font, the page-state reset, the form feed and QR codes.
#include "render/own/own.h"

#include "platform/text_encoding.h"
#include "render/codes/bar_codes.h"
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

// Q and its text up to CR, LF or NUL: a QR code whose top-left corner (that of its quiet zone) is
// at the print position, which stays where it is. The text is read in UTF-8: a job in UTF-8 as it
// is, any other one's upper bytes through its code page.
void QrCode(OwnModes& own) {
  TRenderState& state = own.State;
  const bool utf8 = own.Text == OwnText::Utf8;
  const std::array<char32_t, 128>& upper = UpperHalf(JobCodePage(state.Job));
  std::string text;
  for (std::uint8_t c = state.Input.NextByte(); !state.Input.AtEof && c != '\r' && c != '\n' && c != 0;
       c = state.Input.NextByte()) {
    if (text.size() > codes::kMostQrBytes) continue;  // too long: read to its end, not drawn
    if (c < 0x80 || utf8) {
      text += static_cast<char>(c);
    } else {
      AppendUtf8(upper[c - 0x80u], text);
    }
  }
  const double module_mm = state.Job.Prynda.QrModuleMm;
  const codes::CodeDrawing drawing =
      codes::LayOutQrCode(text, state.Page.DpiX * module_mm / 25.4, state.Page.DpiY * module_mm / 25.4);
  if (!drawing.Refused.empty()) {
    state.Unprinted.Note(drawing.Refused);
    return;
  }
  if (own.PageDeferred) {  // the page waiting for its first print
    BeginPage(state);
    own.PageDeferred = false;
  }
  codes::PaintCode(state, drawing, state.Page.LeftMargin + state.Page.PosX, state.Page.PosY);
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
    {'Q', QrCode, true},
};

}  // namespace

std::span<const PrefixCommand> PrefixCommands() { return kCommands; }

void DoPrefixCommand(OwnModes& own) {
  // Other letters mean nothing.
  if (const PrefixCommand* command = FindRow(PrefixCommands(), own.State.Input.NextChar())) command->Act(own);
}

}  // namespace prynda::own
