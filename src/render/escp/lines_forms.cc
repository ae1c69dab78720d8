// Lines and forms: line spacing, fine feeds, the form length in lines or inches, skipping over the
// perforation, vertical tabs, and the page format of ESC/P2. The form is the sheet: a feed whose
// next line would not fit above the end of the form starts the next sheet, as fanfold paper goes
// on to its next form. The power-on form is the sheet's printable length below the top margin.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "render/escp/fx.h"
#include "render/page_cycle.h"
#include "render/page_setup.h"

namespace prynda::escp {

namespace {

constexpr double kTolerance = kFeedTolerance;
constexpr std::size_t kMaxVerticalTabs = 16;

// Where lines must end on the current form, below the top of the printable area.
double FormBottom(const Fx& fx) {
  double bottom = fx.PageLength - fx.Perforation;
  if (fx.BottomMargin > 0 && fx.BottomMargin < bottom) bottom = fx.BottomMargin;
  return fx.State.Page.TopMargin + bottom;
}

// The top of the next form. The paper passing a form's end (feeds, skips, vertical tabs, vertical
// moves) begins a sheet only when this one has something on it: a blank sheet is never a page,
// however many forms pass. A form feed asks for the next sheet whatever is on this one, as the
// printer puts out an empty form: several in a row leave blank pages between.
void NextSheet(Fx& fx, bool form_feed) {
  DrawInks(fx);  // the raster dots still kept belong on this sheet
  PageModel& page = fx.State.Page;
  if (form_feed) {
    if (page.PageFull) BeginPage(fx.State);  // the blank sheet asked for before goes out
    page.PageFull = true;
  } else if (!page.Blank) {
    page.PageFull = true;
  }
  page.PosY = page.TopMargin + fx.TopOfPage;
}

// Graphics mode's sheets end only with a form feed: the print position goes no lower than an inch
// below the sheet and the form, where nothing lands on it.
void StayOnSheet(Fx& fx) {
  PageModel& page = fx.State.Page;
  page.PosY = std::min(page.PosY, std::max<double>(FormBottom(fx), page.PageHeight) + page.DpiY);
}

// VT with no stop below it, a vertical move past the bottom margin: the top of the next form.
void NextForm(Fx& fx) {
  EndLineWide(fx);
  CarriageReturn(fx);
  NextSheet(fx, false);
}

void Spacing(Fx& fx, double per_inch, double n) { SetLineSpacing(fx, PixelsY(fx, n, per_inch)); }
void EighthInch(Fx& fx, const Args&) { Spacing(fx, 8, 1); }
void SevenSeventyTwos(Fx& fx, const Args&) { Spacing(fx, 72, 7); }
void SixthInch(Fx& fx, const Args&) { Spacing(fx, 6, 1); }
void FineSpacing(Fx& fx, const Args& args) { Spacing(fx, fx.State.Page.FineUnits, args[0]); }
void CoarseSpacing(Fx& fx, const Args& args) { Spacing(fx, fx.Pins24 ? 60 : 72, args[0]); }
void FinestSpacing(Fx& fx, const Args& args) { Spacing(fx, 360, args[0]); }

void FeedForward(Fx& fx, const Args& args) { Feed(fx, fx.State.Page.FinePixels(args[0])); }
// Paper cannot go back past the top of the sheet.
void FeedBackward(Fx& fx, const Args& args) { fx.State.Page.FeedUp(fx.State.Page.FinePixels(args[0]), 0.0); }

void NewFormLength(Fx& fx, double pixels) {
  fx.PageLength = pixels;
  fx.Perforation = 0;  // a new length cancels the margins of the old form
  fx.TopOfPage = 0;
  fx.BottomMargin = 0;
}

// ESC C n: n lines (1-127) of the current spacing; ESC C NUL n: n inches (1-22).
void FormLength(Fx& fx, const Args& args) {
  if (args[0] != 0) {
    if (args[0] <= 127 && fx.State.Page.LineSpacing > 0) NewFormLength(fx, args[0] * fx.State.Page.LineSpacing);
    return;
  }
  const std::uint8_t inches = Next(fx);
  if (fx.State.Input.AtEof) return;
  if (inches >= 1 && inches <= 22) NewFormLength(fx, PixelsY(fx, inches, 1));
}

void SkipPerforation(Fx& fx, const Args& args) {
  if (args[0] >= 1 && args[0] <= 127) fx.Perforation = args[0] * fx.State.Page.LineSpacing;
}
void NoPerforationSkip(Fx& fx, const Args&) {
  fx.Perforation = 0;
  fx.TopOfPage = 0;
  fx.BottomMargin = 0;
}

void SetVerticalTabs(Fx& fx, const std::vector<std::uint8_t>& lines) {
  fx.VerticalTabStops.clear();
  for (std::size_t i = 0; i < lines.size() && i < kMaxVerticalTabs; ++i) {
    fx.VerticalTabStops.push_back(lines[i] * fx.State.Page.LineSpacing);
  }
  fx.VerticalTabState = lines.empty() ? VerticalTabs::Cleared : VerticalTabs::Set;
}
void VerticalTabsInLines(Fx& fx, const Args&) { SetVerticalTabs(fx, ReadStops(fx)); }
// ESC b c n1 ... NUL: the stops of channel c; VT uses channel 0, which ESC B sets too.
void VerticalTabChannel(Fx& fx, const Args& args) {
  const std::vector<std::uint8_t> lines = ReadStops(fx);
  if (args[0] == 0) SetVerticalTabs(fx, lines);
}
void SelectChannel(Fx&, const Args&) {}

void VerticalTab(Fx& fx) {
  TRenderState& state = fx.State;
  if (fx.VerticalTabState == VerticalTabs::NeverSet) {
    LineFeed(fx);
    return;
  }
  CarriageReturn(fx);
  if (fx.VerticalTabState == VerticalTabs::Cleared) return;
  EndLineWide(fx);
  for (const double stop : fx.VerticalTabStops) {
    const double y = state.Page.TopMargin + stop;
    if (y > state.Page.PosY + kTolerance) {
      if (y + fx.State.Page.LineSpacing > FormBottom(fx) + kTolerance) break;
      state.Page.PosY = y;
      return;
    }
  }
  NextForm(fx);  // no stop below: the top of the next form
}

// ESC ( commands count their units in PageUnit (page format) or VerticalUnit (positions) inches;
// their values are two bytes, or four in the forms of count 4 (8 for ESC ( c).
std::int32_t Word(std::uint8_t low, std::uint8_t high) { return low + 256 * high; }
double PageUnits(const Fx& fx, double n) { return PixelsY(fx, n * fx.PageUnit, 1); }
double Units(const Fx& fx, double n) { return PixelsY(fx, n * fx.VerticalUnit, 1); }
template <std::size_t N>
std::uint32_t Value(const std::array<std::uint8_t, N>& data, std::size_t at, bool wide) {
  const std::uint32_t low = data[at] + 256u * data[at + 1];
  return wide ? low + 65536u * (data[at + 2] + 256u * data[at + 3]) : low;
}

// ESC ( C 2 0 mL mH, ESC ( C 4 0 m1 m2 m3 m4: page length.
void PageLength(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  const double length = PageUnits(fx, Value(data, 0, count == 4));
  if (length > 0 && length <= PixelsY(fx, 22, 1)) NewFormLength(fx, length);
}

// ESC ( c 4 0 tL tH bL bH, ESC ( c 8 0 and four bytes each: top and bottom margin, from the top
// of the page.
void PageFormat(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<8>(fx, count);
  const bool wide = count == 8;
  const double top = PageUnits(fx, Value(data, 0, wide));
  const double bottom = PageUnits(fx, Value(data, wide ? 4 : 2, wide));
  if (top >= bottom || bottom > fx.PageLength) return;
  fx.TopOfPage = top;
  fx.BottomMargin = bottom;
  fx.Perforation = 0;
}

// ESC ( V 2 0 mL mH: absolute, below the top margin; ESC ( v 2 0 mL mH: relative, signed. Neither
// goes up more than 179/360 inch; past the bottom margin they go to the next page, except in
// graphics mode.
void MoveVertically(Fx& fx, double y) {
  TRenderState& state = fx.State;
  if (y < state.Page.PosY - PixelsY(fx, 179, 360) - kTolerance) return;
  if (fx.Graphics) {
    state.Page.PosY = y;
    StayOnSheet(fx);
  } else if (y > FormBottom(fx) + kTolerance) {
    NextForm(fx);
  } else {
    state.Page.PosY = y;
  }
}
// The four-byte forms: ESC ( V 4 0 m1 m2 m3 m4, ESC ( v 4 0 m1 m2 m3 m4 (signed).
void AbsoluteVertical(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  MoveVertically(fx, fx.State.Page.TopMargin + fx.TopOfPage + Units(fx, Value(data, 0, count == 4)));
}
void RelativeVertical(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  const std::uint32_t n = Value(data, 0, count == 4);
  const double units = count == 4 ? static_cast<std::int32_t>(n) : static_cast<std::int16_t>(n);
  MoveVertically(fx, fx.State.Page.PosY + Units(fx, units));
}

// ESC ( U 1 0 m: one unit of m/3600 inch; ESC ( U 5 0 P V H mL mH: page, vertical and horizontal
// units over a base of mL + 256 mH.
void DefineUnit(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<5>(fx, count);
  if (count == 1 && data[0] != 0) {
    fx.PageUnit = fx.VerticalUnit = fx.HorizontalUnit = data[0] / 3600.0;
    fx.UnitsGiven = true;
  } else if (count >= 5) {
    const double base = Word(data[3], data[4]);
    if (base == 0 || data[1] == 0 || data[2] == 0) return;
    if (data[0] != 0) fx.PageUnit = data[0] / base;
    fx.VerticalUnit = data[1] / base;
    fx.HorizontalUnit = data[2] / base;
    fx.UnitsGiven = true;
  }
}

constexpr EscCommand kCommands[] = {
    {'0', 0, EighthInch},
    {'1', 0, SevenSeventyTwos},
    {'2', 0, SixthInch},
    {'3', 1, FineSpacing},
    {'A', 1, CoarseSpacing},
    {'+', 1, FinestSpacing},
    {'J', 1, FeedForward},
    {'j', 1, FeedBackward},
    {'C', 1, FormLength},  // and the inches after a NUL
    {'N', 1, SkipPerforation},
    {'O', 0, NoPerforationSkip},
    {'B', 0, VerticalTabsInLines},  // the list up to NUL
    {'b', 1, VerticalTabChannel},   // the channel, then the list up to NUL
    {'/', 1, SelectChannel},
};

constexpr ControlCode kControls[] = {
    {0x0A, LineFeed},
    {0x0B, VerticalTab},
    {0x0C, FormFeed},
};

constexpr ParenCommand kParenCommands[] = {
    {'C', PageLength},
    {'c', PageFormat},
    {'V', AbsoluteVertical},
    {'v', RelativeVertical},
    {'U', DefineUnit},
};

}  // namespace

std::span<const EscCommand> LineAndFormCommands() { return kCommands; }
std::span<const ControlCode> LineAndFormControlCodes() { return kControls; }
std::span<const ParenCommand> LineAndFormParenCommands() { return kParenCommands; }

std::vector<std::uint8_t> ReadStops(Fx& fx) {
  std::vector<std::uint8_t> stops;
  for (;;) {
    const std::uint8_t n = Next(fx);
    if (n == 0 || fx.State.Input.AtEof || (!stops.empty() && n <= stops.back())) return stops;
    stops.push_back(n);
  }
}

void SetLineSpacing(Fx& fx, double pixels) { fx.State.Page.LineSpacing = pixels; }

void Feed(Fx& fx, double pixels) {
  TRenderState& state = fx.State;
  PageModel& page = state.Page;
  if (fx.Graphics) {
    page.PosY += pixels;
    StayOnSheet(fx);
  } else if (page.FeedDown(pixels, FormBottom(fx))) {
    NextSheet(fx, false);
  } else if (page.PosY + page.LineSpacing > page.PageHeight + kTolerance && !page.ToldFormTooLong &&
             page.LineSpacing > 0) {
    // This line and those after it to the end of the form fall below the sheet.
    const double top = page.TopMargin + fx.TopOfPage;
    const long line = std::lround((page.PosY - top) / page.LineSpacing) + 1;
    const long last = static_cast<long>(std::floor((FormBottom(fx) - top) / page.LineSpacing + kTolerance));
    TellFormTooLong(state, line, std::max(line, last));
  }
}

void LineFeed(Fx& fx) {
  EndLineWide(fx);
  CarriageReturn(fx);
  Feed(fx, fx.State.Page.LineSpacing);
}

void FormFeed(Fx& fx) {
  EndLineWide(fx);
  CarriageReturn(fx);
  NextSheet(fx, true);
}

void ResetLinesAndForms(Fx& fx) {
  TRenderState& state = fx.State;
  SetLineSpacing(fx, PixelsY(fx, 1, 6));
  NewFormLength(fx, state.Page.FormLength > 0 ? state.Page.FormLength : state.Page.PageHeight - state.Page.TopMargin);
  fx.VerticalTabState = VerticalTabs::NeverSet;
  fx.VerticalTabStops.clear();
  fx.PageUnit = fx.VerticalUnit = 1.0 / 360;
  fx.UnitsGiven = false;
}

}  // namespace prynda::escp
