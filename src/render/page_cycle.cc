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

void MoveColumns(TRenderState& state, std::int64_t n) {
  if (n == 0) return;
  const double step = CellWidth(state) * static_cast<double>(n);
  state.Column += n;
  if (n > 0) {
    state.PosX += step;
  } else if (-step > state.PosX) {
    state.PosX = 0.0;
    state.Column = 1;
  } else {
    state.PosX += step;
  }
}

std::int64_t ColumnsToNextTab(const TRenderState& state) {
  // Tab stops are the columns 1, 9, 17, ...
  return ((1 - state.Column) % 8 + 8) % 8;
}

void LineFeed(TRenderState& state) {
  state.PosY += state.LineSpacing;
  const TJobSettings& settings = state.Settings;
  if (!settings.ForceFF) return;
  if (settings.FFLines) {
    ++state.LineNo;
    if (state.LineNo > settings.FFNLines) state.PageFull = true;
  } else if (state.PosY + state.LineSpacing > state.PageHeight) {
    state.PageFull = true;
  }
}

void ResetPageState(TRenderState& state) {
  state.LineNo = 1;
  state.Column = 1;
  state.Expanded = false;
  state.LineSpacing = state.DpiY / 6;
  state.Pitch = 10000;
  state.SavedPitch = 10000;
  state.BaselineShift = 0;
  TFont& font = state.Canvas.Font();
  font.CopyFrom(state.Job.Font10);
  font.SetStyle(state.BaseStyle);
  font.SetColor(clBlack);
}

void UpdateBaselineShift(TRenderState& state) {
  state.BaselineShift = state.BaseTextHeight - state.Canvas.MeasureTextHeight("X");
}

void PrintPageMessage(TRenderState& state) {
  if (state.Settings.ShowMessages) state.Job.Console.Line("Wydruk strony # ", std::to_string(state.PageNo));
}

void BeginNewPage(TRenderState& state) {
  ++state.PageNo;
  PrintPageMessage(state);
  state.PosY = state.TopMargin;
  state.Printer.StartNextPage();
  state.PosX = 0.0;
  state.Column = 1;
  state.LineNo = 1;
  state.PageFull = false;
}

namespace {

// The character centred in the current cell.
template <typename Text>
inline void PaintInCell(TRenderState& state, Text one, int width) {
  const double cell = CellWidth(state);
  const int x = RoundToPixel(state.LeftMargin + state.PosX + (cell - width) / 2.0);
  const int y = RoundToPixel(state.BaselineShift + state.PosY);
  if constexpr (std::is_same_v<Text, std::string_view>) {
    state.Canvas.PaintText(x, y, one);
  } else {
    state.Canvas.PaintUnicode(x, y, one);
  }
  state.Advance = 1;
}

}  // namespace

void DrawCharacter(TRenderState& state, std::uint8_t c) {
  const char text = static_cast<char>(c);
  const std::string_view one(&text, 1);
  PaintInCell(state, one, state.Canvas.MeasureTextWidth(one));
}

void DrawCharacterOfWidth(TRenderState& state, std::uint8_t c, int width) {
  const char text = static_cast<char>(c);
  PaintInCell(state, std::string_view(&text, 1), width);
}

void DrawUnicodeOfWidth(TRenderState& state, char32_t c, int width) {
  PaintInCell(state, std::u32string_view(&c, 1), width);
}

}  // namespace prynda
