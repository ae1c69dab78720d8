// Print modes: pitch (10, 12, 15 characters per inch, condensed, proportional, ESC X's pitch and
// ESC c's cell), point size (ESC X), double width for good or to the end of the line, double
// height, bold and double strike, italic, underline and strike-out, super- and subscript. Each mode
// maps onto one of the job's fonts, so the site's settings file still chooses the faces; sizes and
// double width or height scale that font's glyphs; the cell follows the pitch as in our own dialect.
#include "render/escp/fx.h"

#include <algorithm>

#include "render/page_cycle.h"
#include "render/pitch_fonts.h"

namespace prynda::escp {

namespace {

constexpr std::int32_t kPica = kPitch10Cpi;
constexpr std::int32_t kElite = kPitch12Cpi;
constexpr std::int32_t kFifteen = kPitch15Cpi;
constexpr std::int32_t kCondensedPica = kPitch17Cpi;
constexpr std::int32_t kCondensedElite = kPitch20Cpi;

// Thousandths of characters per inch of a cell `units` 1/360 inch wide.
constexpr std::int32_t PitchOfCell(std::int32_t units) { return (360000 + units / 2) / units; }

std::int32_t PitchOf(const PrintMode& mode) {
  if (mode.Hmi != 0) return PitchOfCell(mode.Hmi);  // the cell itself, whatever else is set
  std::int32_t pitch = kPica;
  if (mode.Proportional) {
    // The font of a pica (condensed: 20 cpi) cell; each character advances by its own width in it.
    pitch = mode.Condensed ? kCondensedElite : kPica;
  } else if (mode.FixedPitch != 0) {
    pitch = mode.FixedPitch;  // condensed does not apply to the pitch of ESC X
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

// The font of the font set that prints a mode: the font of its pitch without double width and
// ESC c, or the small one for super- and subscript outside multipoint mode.
JobFont FontOf(PrintMode mode) {
  if (mode.Script != ScriptPosition::None && mode.PointSize == 0) return JobFont::Small;
  mode.DoubleWidth = mode.LineWide = false;
  mode.Hmi = 0;  // ESC c spaces the letters; it does not change them
  return FontForPitch(PitchOf(mode));
}

// Multipoint mode's size (super- and subscript at about two thirds of it, not below 8 points),
// double height and double width, on the canvas font that shows the mode's font of the set: the
// letter twice as wide, twice as tall at the same width, or both. Whether its height changed.
bool ScaleFont(TFont& font, const PrintMode& mode) {
  int height = font.Height();
  if (mode.PointSize != 0) {
    int half_points = mode.PointSize;
    if (mode.Script != ScriptPosition::None) half_points = std::max(std::min(half_points, 16), half_points * 2 / 3);
    height = -MulDiv(half_points, font.PixelsPerInch(), 144);
  }
  if (mode.DoubleHeight) height *= 2;
  const bool wide = mode.DoubleWidth || mode.LineWide;
  font.SetWidthPercent(mode.DoubleHeight ? (wide ? 100 : 50) : (wide ? 200 : 100));
  const bool resized = height != font.Height();
  font.SetHeight(height);
  return resized;
}

// Multipoint mode and ESC c's cell end; whether either was in force.
bool EndMultipoint(PrintMode& mode) {
  const bool was = mode.FixedPitch != 0 || mode.PointSize != 0 || mode.Hmi != 0;
  mode.FixedPitch = 0;
  mode.PointSize = 0;
  mode.Hmi = 0;
  return was;
}

// The flags whose commands end the HMI (SI, DC2, DC4, ESC SI); ESC p ends multipoint mode.
template <bool PrintMode::*Flag>
void EndsBy(Fx& fx) {
  if constexpr (Flag == &PrintMode::Proportional) {
    if (EndMultipoint(fx.Mode)) PrintModeChanged(fx);
  } else if constexpr (Flag == &PrintMode::Condensed || Flag == &PrintMode::LineWide) {
    EndHmi(fx);
  }
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
  EndsBy<Flag>(fx);
  Switch<Flag>(fx, On);
}
template <bool PrintMode::*Flag, bool On>
void SetByControl(Fx& fx) {
  EndsBy<Flag>(fx);
  Switch<Flag>(fx, On);
}
// ESC c n with n = 0/'0' or 1/'1'.
template <bool PrintMode::*Flag>
void SetByArgument(Fx& fx, const Args& args) {
  if (!IsOn(args[0]) && !IsOff(args[0])) return;
  EndsBy<Flag>(fx);
  Switch<Flag>(fx, IsOn(args[0]));
}

void SetPitch(Fx& fx, BasePitch pitch) {
  fx.Mode.Pitch = pitch;
  EndMultipoint(fx.Mode);
  PrintModeChanged(fx);
}
void Pica(Fx& fx, const Args&) { SetPitch(fx, BasePitch::Pica); }
void Elite(Fx& fx, const Args&) { SetPitch(fx, BasePitch::Elite); }
void Fifteen(Fx& fx, const Args&) { SetPitch(fx, BasePitch::Fifteen); }

void DoubleWidth(Fx& fx, const Args& args) {
  if (IsOn(args[0]) || IsOff(args[0])) fx.Mode.Hmi = 0;
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
  EndMultipoint(mode);
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

void LineWideOn(Fx& fx) {
  EndHmi(fx);
  Switch<&PrintMode::LineWide>(fx, true);
}
void LineWideOnByEsc(Fx& fx, const Args&) { LineWideOn(fx); }

// ESC X m nL nH: m 0 keeps the pitch, 1 selects proportional spacing, 5 and more 360/m characters
// per inch; the point size (nL + 256 nH) / 2, 0 keeping it, within the printers' 8 to 32 points.
void PitchAndPoint(Fx& fx, const Args& args) {
  PrintMode& mode = fx.Mode;
  const int m = args[0];
  if (m == 1) {
    mode.Proportional = true;
    mode.FixedPitch = 0;
  } else if (m >= 5) {
    mode.Proportional = false;
    mode.FixedPitch = PitchOfCell(m);
  }
  const int half_points = args[1] + 256 * args[2];
  if (half_points != 0) mode.PointSize = static_cast<std::uint16_t>(std::clamp(half_points, 16, 64));
  mode.Hmi = 0;
  PrintModeChanged(fx);
}

// ESC c nL nH: the cell (nL + 256 nH) / 360 inch, up to 3 inches; it ends the space of ESC SP.
void MotionIndex(Fx& fx, const Args& args) {
  const int units = args[0] + 256 * args[1];
  if (units == 0 || units > 1080) return;
  fx.Mode.Hmi = static_cast<std::uint16_t>(units);
  fx.ExtraSpace = 0;
  PrintModeChanged(fx);
}

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
    {'X', 3, PitchAndPoint},
    {'c', 2, MotionIndex},
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
  fx.ByWidth = fx.Mode.Proportional && fx.Mode.Hmi == 0;  // ESC c fixes the cell, proportional or not
  fx.DrawBlanks = fx.Mode.Underline || fx.Mode.StrikeOut;
  UpdateWrap(fx);
  fx.FontStale = true;
}

// ESC c's cell ends with every command that sets the pitch or double width and with ESC SP (ESC X,
// ESC P, M, g and ! end multipoint mode as well, in their own handlers).
void EndHmi(Fx& fx) {
  if (fx.Mode.Hmi == 0) return;
  fx.Mode.Hmi = 0;
  PrintModeChanged(fx);
}

void EndLineWide(Fx& fx) { Switch<&PrintMode::LineWide>(fx, false); }

void SelectModeFont(Fx& fx) {
  TRenderState& state = fx.State;
  const PrintMode& mode = fx.Mode;
  const JobFont which = FontOf(mode);
  const TFont& font = state.Job.Font(which);
  state.Text.TextStyle = StyleOf(mode);
  SelectFont(state, font);
  // The font's colour (the system's window-text colour, unless a settings file says otherwise),
  // resolved once here rather than at every character drawn.
  state.Canvas.Font().SetColor(static_cast<TColor>(state.Printer.ColorToRgb(font.Color())));
  ApplyFaceAndColor(fx);  // ESC k's face, proportional print's face, ESC r's colour
  const bool resized = ScaleFont(state.Canvas.Font(), mode);
  // Smaller and larger fonts sit on the bottom of the 10-cpi cell, as in our own dialect;
  // superscript and double height hang from the top of the line.
  if ((which == JobFont::Cpi10 && !resized) || mode.Script == ScriptPosition::Super || mode.DoubleHeight) {
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
