// Print modes: pitch (10, 12, 15 characters per inch, condensed, proportional), double width for
// good or to the end of the line, double height, bold and double strike, italic, underline and
// strike-out, super- and subscript. Each mode maps onto one of the job's six fonts, so the site's
// settings file still chooses the faces; the cell follows the pitch as in our own dialect.
#include "render/escp/fx.h"

#include "render/page_cycle.h"
#include "render/pitch_fonts.h"

namespace prynda::escp {

namespace {

constexpr std::int32_t kPica = kPitch10Cpi;
constexpr std::int32_t kElite = kPitch12Cpi;
constexpr std::int32_t kFifteen = kPitch15Cpi;
constexpr std::int32_t kCondensedPica = kPitch17Cpi;
constexpr std::int32_t kCondensedElite = kPitch20Cpi;

std::int32_t PitchOf(const PrintMode& mode) {
  std::int32_t pitch = kPica;
  if (mode.Proportional) {
    // The font of a pica (condensed: 20 cpi) cell; each character advances by its own width in it.
    pitch = mode.Condensed ? kCondensedElite : kPica;
  } else if (mode.Pitch == BasePitch::Elite) {
    pitch = mode.Condensed ? kCondensedElite : kElite;
  } else if (mode.Pitch == BasePitch::Fifteen) {
    pitch = kFifteen;  // condensed does not apply to 15 characters per inch
  } else if (mode.Condensed) {
    pitch = kCondensedPica;
  }
  if (mode.DoubleWidth || mode.LineWide) pitch /= 2;
  return pitch;
}

// The font of the font set that prints a mode: the pitch's font, the expanded one for double width
// or height, the small one for super- and subscript.
JobFont FontOf(const PrintMode& mode, std::int32_t pitch) {
  if (mode.Script != ScriptPosition::None) return JobFont::Small;
  if (mode.DoubleWidth || mode.LineWide || mode.DoubleHeight) return JobFont::Expanded;
  return FontForPitch(pitch);
}

TFontStyles StyleOf(const PrintMode& mode) {
  TFontStyles style = 0;
  if (mode.Bold || mode.DoubleStrike) style |= fsBold;
  if (mode.Italic) style |= fsItalic;
  if (mode.Underline) style |= fsUnderline;
  if (mode.StrikeOut) style |= fsStrikeOut;
  return style;
}

template <bool PrintMode::*Flag>
void Switch(Fx& fx, bool on) {
  if (fx.Mode.*Flag == on) return;
  fx.Mode.*Flag = on;
  PrintModeChanged(fx);
}

template <bool PrintMode::*Flag, bool On>
void Set(Fx& fx, const Args&) {
  Switch<Flag>(fx, On);
}
template <bool PrintMode::*Flag, bool On>
void SetByControl(Fx& fx) {
  Switch<Flag>(fx, On);
}
// ESC c n with n = 0/'0' or 1/'1'.
template <bool PrintMode::*Flag>
void SetByArgument(Fx& fx, const Args& args) {
  if (IsOn(args[0])) Switch<Flag>(fx, true);
  if (IsOff(args[0])) Switch<Flag>(fx, false);
}

void SetPitch(Fx& fx, BasePitch pitch) {
  fx.Mode.Pitch = pitch;
  PrintModeChanged(fx);
}
void Pica(Fx& fx, const Args&) { SetPitch(fx, BasePitch::Pica); }
void Elite(Fx& fx, const Args&) { SetPitch(fx, BasePitch::Elite); }
void Fifteen(Fx& fx, const Args&) { SetPitch(fx, BasePitch::Fifteen); }

void DoubleWidth(Fx& fx, const Args& args) {
  if (IsOn(args[0])) {
    fx.Mode.DoubleWidth = true;
  } else if (IsOff(args[0])) {
    fx.Mode.DoubleWidth = false;
    fx.Mode.LineWide = false;  // ESC W 0 also ends SO
  } else {
    return;
  }
  PrintModeChanged(fx);
}

// ESC ! n: pitch, proportional, condensed, bold, double strike, double width, italic, underline at once.
void MasterSelect(Fx& fx, const Args& args) {
  const std::uint8_t n = args[0];
  PrintMode& mode = fx.Mode;
  mode.Pitch = (n & 0x01) ? BasePitch::Elite : BasePitch::Pica;
  mode.Proportional = (n & 0x02) != 0;
  mode.Condensed = (n & 0x04) != 0;
  mode.Bold = (n & 0x08) != 0;
  mode.DoubleStrike = (n & 0x10) != 0;
  mode.DoubleWidth = (n & 0x20) != 0;
  mode.LineWide = false;
  mode.Italic = (n & 0x40) != 0;
  mode.Underline = (n & 0x80) != 0;
  PrintModeChanged(fx);
}

void SuperOrSubscript(Fx& fx, const Args& args) {
  if (!IsOn(args[0]) && !IsOff(args[0])) return;
  fx.Mode.Script = IsOn(args[0]) ? ScriptPosition::Sub : ScriptPosition::Super;
  PrintModeChanged(fx);
}
void ScriptOff(Fx& fx, const Args&) {
  fx.Mode.Script = ScriptPosition::None;
  PrintModeChanged(fx);
}

void Quality(Fx& fx, const Args& args) {
  if (IsOn(args[0]) || IsOff(args[0])) fx.Mode.Quality = IsOn(args[0]);
}
void Typeface(Fx& fx, const Args& args) { SelectTypeface(fx, args[0]); }

void LineWideOn(Fx& fx) { Switch<&PrintMode::LineWide>(fx, true); }
void LineWideOnByEsc(Fx& fx, const Args&) { LineWideOn(fx); }

// ESC ( - nL nH m d1 d2: scoring; d1 1 underline, 2 strike-out (3, overscore, has no font style);
// d2 0 off, anything else on.
void Score(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<3>(fx, count);
  if (count < 3) return;
  const bool on = data[2] != 0;
  if (data[1] == 1) Switch<&PrintMode::Underline>(fx, on);
  if (data[1] == 2) Switch<&PrintMode::StrikeOut>(fx, on);
}

constexpr EscCommand kCommands[] = {
    {'E', 0, Set<&PrintMode::Bold, true>},
    {'F', 0, Set<&PrintMode::Bold, false>},
    {'G', 0, Set<&PrintMode::DoubleStrike, true>},
    {'H', 0, Set<&PrintMode::DoubleStrike, false>},
    {'4', 0, Set<&PrintMode::Italic, true>},
    {'5', 0, Set<&PrintMode::Italic, false>},
    {'-', 1, SetByArgument<&PrintMode::Underline>},
    {'W', 1, DoubleWidth},
    {'w', 1, SetByArgument<&PrintMode::DoubleHeight>},
    {'!', 1, MasterSelect},
    {'P', 0, Pica},
    {'M', 0, Elite},
    {'g', 0, Fifteen},
    {'p', 1, SetByArgument<&PrintMode::Proportional>},
    {0x0F, 0, Set<&PrintMode::Condensed, true>},  // ESC SI
    {0x0E, 0, LineWideOnByEsc},                   // ESC SO
    {'S', 1, SuperOrSubscript},
    {'T', 0, ScriptOff},
    {'x', 1, Quality},
    {'k', 1, Typeface},
};

constexpr ControlCode kControls[] = {
    {0x0E, LineWideOn},                                  // SO
    {0x0F, SetByControl<&PrintMode::Condensed, true>},   // SI
    {0x12, SetByControl<&PrintMode::Condensed, false>},  // DC2
    {0x14, SetByControl<&PrintMode::LineWide, false>},   // DC4
};

constexpr ParenCommand kParenCommands[] = {
    {'-', Score},
};

}  // namespace

std::span<const EscCommand> PrintModeCommands() { return kCommands; }
std::span<const ControlCode> PrintModeControlCodes() { return kControls; }
std::span<const ParenCommand> PrintModeParenCommands() { return kParenCommands; }

void PrintModeChanged(Fx& fx) {
  fx.State.Text.Pitch = PitchOf(fx.Mode);
  fx.Cell = CellWidth(fx.State);
  fx.DrawBlanks = fx.Mode.Underline || fx.Mode.StrikeOut;
  UpdateWrap(fx);
  fx.FontStale = true;
}

void EndLineWide(Fx& fx) { Switch<&PrintMode::LineWide>(fx, false); }

void SelectModeFont(Fx& fx) {
  TRenderState& state = fx.State;
  const PrintMode& mode = fx.Mode;
  const JobFont which = FontOf(mode, state.Text.Pitch);
  const TFont& font = state.Job.Font(which);
  state.Text.TextStyle = StyleOf(mode);
  SelectFont(state, font);
  // The font's colour (the system's window-text colour, unless a settings file says otherwise),
  // resolved once here rather than at every character drawn.
  state.Canvas.Font().SetColor(static_cast<TColor>(state.Printer.ColorToRgb(font.Color())));
  ApplyFaceAndColor(fx);  // ESC k's face, proportional print's face, ESC r's colour
  // Smaller and larger fonts sit on the bottom of the 10-cpi cell, as in our own dialect;
  // superscript and double height hang from the top of the line.
  if (which == JobFont::Cpi10 || mode.Script == ScriptPosition::Super || mode.DoubleHeight) {
    state.Text.BaselineShift = 0;
  } else {
    UpdateBaselineShift(state);
  }
  fx.Widths.fill(-1);
  fx.FontStale = false;
}

void ResetPrintModes(Fx& fx) {
  fx.Mode = PrintMode{};
  PrintModeChanged(fx);
}

}  // namespace prynda::escp
