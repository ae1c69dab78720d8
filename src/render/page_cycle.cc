#include "render/page_cycle.h"

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

namespace prynda {

int RoundToPixel(double value) {
  const double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
  if (!(rounded > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  if (!(rounded < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(rounded);
}

void UpdateBaselineShift(TRenderState& state) {
  state.Text.BaselineShift = state.Text.BaseTextHeight - state.Canvas.MeasureTextHeight("X");
}

void PrintPageMessage(TRenderState& state) {
  if (state.Settings.ShowMessages) state.Job.Console.Line("Wydruk strony # ", std::to_string(state.Page.PageNo));
}

PageLimitExceeded::PageLimitExceeded(int limit)
    : std::runtime_error("Zadanie przekracza limit " + std::to_string(limit) +
                         " stron (MaxPages): anulowane, nic nie wydrukowano"),
      limit_(limit) {}

void BeginPage(TRenderState& state) {
  const int limit = state.Job.Prynda.MaxPages;
  if (limit > 0 && state.Page.PageNo >= limit) throw PageLimitExceeded(limit);
  ++state.Page.PageNo;
  PrintPageMessage(state);
  state.Printer.StartNextPage();
  state.Page.PageFull = false;
  state.Page.Blank = true;
}

void ResetText(TRenderState& state) {
  state.Page.Column = 1;
  state.Page.LineSpacing = state.Page.DpiY / 6;
  state.Text.Pitch = kPitch10Cpi;
  state.Text.BaselineShift = 0;
  const TFont& base = state.Job.Font(JobFont::Cpi10);
  TFont& font = state.Canvas.Font();
  font.CopyFrom(base);
  font.SetStyle(base.Style());
  font.SetColor(clBlack);
}

namespace {

// The character centred in the current cell.
template <typename Text>
inline void PaintInCell(TRenderState& state, Text one, int width) {
  const double cell = CellWidth(state);
  const int x = RoundToPixel(state.Page.LeftMargin + state.Page.PosX + (cell - width) / 2.0);
  const int y = RoundToPixel(state.Text.BaselineShift + state.Page.PosY);
  if constexpr (std::is_same_v<Text, std::string_view>) {
    state.Canvas.PaintText(x, y, one);
  } else {
    state.Canvas.PaintUnicode(x, y, one);
  }
}

}  // namespace

void DrawCharacter(TRenderState& state, std::uint8_t c) {
  const char text = static_cast<char>(c);
  const std::string_view one(&text, 1);
  PaintInCell(state, one, state.Canvas.MeasureTextWidth(one));
}

void DrawUnicodeOfWidth(TRenderState& state, char32_t c, int width) {
  PaintInCell(state, std::u32string_view(&c, 1), width);
}

}  // namespace prynda
