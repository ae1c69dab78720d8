// Horizontal motion: absolute and relative positions, the left and right margins in columns of the
// pitch in force, tab stops, backspace, carriage return and the space added to every character.
// The power-on line is that of the narrow FX/LX carriage: 8 inches, 80 columns at 10 cpi, in
// which a 136-column table at condensed pitch fits; a form width in the settings (FormWidth, in
// columns at 10 cpi) is a wider or narrower carriage.
#include "render/escp/fx.h"

#include <algorithm>
#include <cmath>

#include "render/page_cycle.h"

namespace prynda::escp {

namespace {

constexpr double kCarriageInches = 8.0;
constexpr std::size_t kMaxTabs = 32;
constexpr double kTolerance = 0.01;

double RightLimit(const Fx& fx) {
  const int columns = fx.State.Job.Prynda.FormWidth;
  return PixelsX(fx, columns > 0 ? columns / 10.0 : kCarriageInches, 1);
}

// Moves to x (right of the left margin) when it lies between the margins; the printer ignores a
// move outside them.
void MoveTo(Fx& fx, double x) {
  if (x < -kTolerance || fx.State.Page.LeftMargin + x > fx.RightMargin + kTolerance) return;
  fx.State.Page.PosX = std::max(0.0, x);
}

// ESC $ nL nH: from the left margin, in 1/60 inch (or the unit of ESC ( U).
void AbsolutePosition(Fx& fx, const Args& args) {
  const double unit = fx.HorizontalUnit > 0 ? fx.HorizontalUnit : 1.0 / 60;
  MoveTo(fx, PixelsX(fx, (args[0] + 256 * args[1]) * unit, 1));
}

// ESC \ nL nH: signed, in 1/120 inch; 1/180 in letter quality on 24-pin printers (or the unit of
// ESC ( U).
void RelativePosition(Fx& fx, const Args& args) {
  double unit = (fx.Pins24 && fx.Mode.Quality) ? 1.0 / 180 : 1.0 / 120;
  if (fx.HorizontalUnit > 0) unit = fx.HorizontalUnit;
  const auto n = static_cast<std::int16_t>(args[0] + 256 * args[1]);
  MoveTo(fx, fx.State.Page.PosX + PixelsX(fx, n * unit, 1));
}

// The four-byte forms of graphics mode, in the unit of ESC ( U (1/60 inch before it): ESC ( $ 4 0
// m1 m2 m3 m4 from the left margin, ESC ( / 4 0 m1 m2 m3 m4 signed from the print position; and
// ESC ( \ 4 0 uL uH nL nH, signed n units of 1/u inch from the print position.
std::uint32_t Long(const std::array<std::uint8_t, 4>& data) {
  return data[0] + 256u * data[1] + 65536u * data[2] + 16777216u * data[3];
}
double GraphicsUnit(const Fx& fx) { return fx.HorizontalUnit > 0 ? fx.HorizontalUnit : 1.0 / 60; }
void AbsolutePositionLong(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  if (count == 4) MoveTo(fx, PixelsX(fx, Long(data) * GraphicsUnit(fx), 1));
}
void RelativePositionLong(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  const auto n = static_cast<std::int32_t>(Long(data));
  if (count == 4) MoveTo(fx, fx.State.Page.PosX + PixelsX(fx, n * GraphicsUnit(fx), 1));
}
void RelativePositionInUnits(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  const double per_inch = data[0] + 256.0 * data[1];
  const auto n = static_cast<std::int16_t>(data[2] + 256 * data[3]);
  if (count == 4 && per_inch > 0) MoveTo(fx, fx.State.Page.PosX + PixelsX(fx, n, per_inch));
}

void LeftMargin(Fx& fx, const Args& args) { SetLeftMargin(fx, args[0]); }
void RightMargin(Fx& fx, const Args& args) { SetRightMargin(fx, args[0]); }

// Stops at the columns given, in columns of `width` pixels; they keep their place when the pitch
// changes later.
void SetTabs(Fx& fx, const std::vector<std::uint8_t>& columns, double width) {
  fx.TabStops.clear();
  for (std::size_t i = 0; i < columns.size() && i < kMaxTabs; ++i) fx.TabStops.push_back(columns[i] * width);
}
void TabsInColumns(Fx& fx, const Args&) { SetTabs(fx, ReadStops(fx), ColumnWidth(fx)); }

void TabsEvery(Fx& fx, unsigned columns, double width) {
  std::vector<std::uint8_t> stops;
  for (unsigned column = columns; column <= 255 && stops.size() < kMaxTabs; column += columns) {
    stops.push_back(static_cast<std::uint8_t>(column));
  }
  SetTabs(fx, stops, width);
}

// ESC e 0 n: a tab every n columns; ESC e 1 n: a vertical tab every n lines.
void TabIncrement(Fx& fx, const Args& args) {
  const std::uint8_t n = args[1];
  if (n == 0) return;
  if (args[0] == 0 || args[0] == '0') {
    TabsEvery(fx, n, ColumnWidth(fx));
  } else if ((args[0] == 1 || args[0] == '1') && n * fx.State.Page.LineSpacing < fx.PageLength) {
    fx.VerticalTabStops.clear();
    for (unsigned line = n; fx.VerticalTabStops.size() < 16 && line * fx.State.Page.LineSpacing < fx.PageLength; line += n) {
      fx.VerticalTabStops.push_back(line * fx.State.Page.LineSpacing);
    }
    fx.VerticalTabState = VerticalTabs::Set;
  }
}

// ESC f 0 n: n blank columns; ESC f 1 n: n lines down.
void SkipSpaces(Fx& fx, const Args& args) {
  if (args[0] == 0 || args[0] == '0') {
    for (unsigned i = 0; i < args[1]; ++i) PrintCharacter(fx, ' ');
  } else if (args[0] == 1 || args[0] == '1') {
    for (unsigned i = 0; i < args[1]; ++i) Feed(fx, fx.State.Page.LineSpacing);
  }
}

void InterCharacterSpace(Fx& fx, const Args& args) {
  EndHmi(fx);
  fx.ExtraSpace = PixelsX(fx, args[0], (fx.Pins24 && fx.Mode.Quality) ? 180 : 120);
}

void HorizontalTab(Fx& fx) {
  TRenderState& state = fx.State;
  for (const double stop : fx.TabStops) {
    if (stop > state.Page.PosX + kTolerance) {
      if (state.Page.LeftMargin + stop <= fx.RightMargin + kTolerance) state.Page.PosX = stop;
      return;
    }
  }
}

void Backspace(Fx& fx) { MoveColumns(fx.State, -1); }
void ReturnCarriage(Fx& fx) { CarriageReturn(fx); }

constexpr EscCommand kCommands[] = {
    {'$', 2, AbsolutePosition},
    {'\\', 2, RelativePosition},
    {'l', 1, LeftMargin},
    {'Q', 1, RightMargin},
    {'D', 0, TabsInColumns},  // the list up to NUL
    {'e', 2, TabIncrement},
    {'f', 2, SkipSpaces},
    {' ', 1, InterCharacterSpace},
};

constexpr ParenCommand kParenCommands[] = {
    {'$', AbsolutePositionLong},
    {'/', RelativePositionLong},
    {'\\', RelativePositionInUnits},
};

constexpr ControlCode kControls[] = {
    {0x08, Backspace},
    {0x09, HorizontalTab},
    {0x0D, ReturnCarriage},
};

}  // namespace

std::span<const EscCommand> HorizontalCommands() { return kCommands; }
std::span<const ControlCode> HorizontalControlCodes() { return kControls; }
std::span<const ParenCommand> HorizontalParenCommands() { return kParenCommands; }

double ColumnWidth(const Fx& fx) {
  // Margins and tabs in proportional mode count in 10-cpi columns.
  return fx.Mode.Proportional ? PixelsX(fx, 1, 10) : CellWidth(fx.State);
}

void SetLeftMargin(Fx& fx, std::uint8_t columns) {
  const double left = columns * ColumnWidth(fx);
  if (left + kTolerance >= fx.RightMargin) return;
  fx.State.Page.LeftMargin = static_cast<std::int32_t>(std::lround(left));
  UpdateWrap(fx);
}

void SetRightMargin(Fx& fx, std::uint8_t columns) {
  const double right = columns * ColumnWidth(fx);
  if (right <= fx.State.Page.LeftMargin + kTolerance || right > RightLimit(fx) + kTolerance) return;
  fx.RightMargin = right;
  UpdateWrap(fx);
}

void CarriageReturn(Fx& fx) {
  fx.State.Page.CarriageReturn();
  if (!fx.Pins24) EndLineWide(fx);  // on 9-pin printers CR ends SO too
}

void ResetHorizontal(Fx& fx) {
  fx.State.Page.LeftMargin = 0;
  fx.RightMargin = RightLimit(fx);
  fx.ExtraSpace = 0;
  fx.HorizontalUnit = 0;
  DefaultTabs(fx);
  UpdateWrap(fx);
}

void DefaultTabs(Fx& fx) { TabsEvery(fx, 8, PixelsX(fx, 1, 10)); }  // every eight columns of 10 cpi

void UpdateWrap(Fx& fx) {
  // A character fits when its cell ends within the margin; cells of 17.125 characters per inch
  // add up in floating point, so half a pixel more still fits.
  fx.WrapAt = std::max(0.0, fx.RightMargin + 0.5 - fx.State.Page.LeftMargin - fx.Cell);
}

}  // namespace prynda::escp
