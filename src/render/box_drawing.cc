#include "render/box_drawing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "render/page_cycle.h"
#include "translation/code_pages.h"

namespace prynda {

namespace {

// Segments of each box-drawing character 179..218, named by the cell points b (top middle),
// d (middle left), e (centre), f (middle right), h (bottom middle); one or two per character.
constexpr std::array<std::string_view, 40> kSegments = {
    "bh",      // 179 │
    "bhde",    // 180 ┤
    "bhde",    // 181 ╡
    "bhde",    // 182 ╢
    "deeh",    // 183 ╖
    "deeh",    // 184 ╕
    "bhde",    // 185 ╣
    "bh",      // 186 ║
    "deeh",    // 187 ╗
    "debe",    // 188 ╝
    "debe",    // 189 ╜
    "debe",    // 190 ╛
    "deeh",    // 191 ┐
    "beef",    // 192 └
    "dfbe",    // 193 ┴
    "dfeh",    // 194 ┬
    "bhef",    // 195 ├
    "df",      // 196 ─
    "bhdf",    // 197 ┼
    "bhef",    // 198 ╞
    "bhef",    // 199 ╟
    "beef",    // 200 ╚
    "heef",    // 201 ╔
    "dfbe",    // 202 ╩
    "dfeh",    // 203 ╦
    "bhef",    // 204 ╠
    "df",      // 205 ═
    "bhdf",    // 206 ╬
    "dfbe",    // 207 ╧
    "dfbe",    // 208 ╨
    "dfeh",    // 209 ╤
    "dfeh",    // 210 ╥
    "beef",    // 211 ╙
    "beef",    // 212 ╘
    "heef",    // 213 ╒
    "heef",    // 214 ╓
    "bhdf",    // 215 ╫
    "bhdf",    // 216 ╪
    "debe",    // 217 ┘
    "heef",    // 218 ┌
};

struct TCell {
  int X0;
  int Y0;
  int HalfW;
  int HalfH;
};

TPoint CellPoint(const TCell& cell, char letter) {
  switch (letter) {
    case 'b': return {cell.X0 + cell.HalfW, cell.Y0};
    case 'd': return {cell.X0, cell.Y0 + cell.HalfH};
    case 'e': return {cell.X0 + cell.HalfW, cell.Y0 + cell.HalfH};
    case 'f': return {cell.X0 + 2 * cell.HalfW, cell.Y0 + cell.HalfH};
    default: return {cell.X0 + cell.HalfW, cell.Y0 + 2 * cell.HalfH};  // 'h'
  }
}

void DrawBoxSegment(TRenderState& state, std::string_view code) {
  const PageModel& page = state.Page;
  // The cell in whole pixels: the column's width and the line spacing, each cut to a pixel.
  const auto line = static_cast<std::int32_t>(std::min<double>(page.LineSpacing, std::numeric_limits<std::int32_t>::max()));
  const TCell cell{RoundToPixel(page.LeftMargin + page.PosX), RoundToPixel(page.PosY),
                   (page.DpiX * 1000 / state.Text.Pitch) / 2 + 1, line / 2 + 1};
  const TPoint points[2] = {CellPoint(cell, code[0]), CellPoint(cell, code[1])};
  state.Canvas.DrawPolyline(points);
}

}  // namespace

std::uint8_t BoxByteOf(char32_t c) {
  // Found where PC437 has them, once.
  static const std::array<std::uint8_t, 0x80> bytes = [] {
    std::array<std::uint8_t, 0x80> found{};
    const std::array<char32_t, 128>& pc437 = UpperHalf(CodePageOf(CodePageId::Pc437));
    for (int b = 179; b <= 218; ++b) {
      const char32_t box = pc437[static_cast<std::size_t>(b - 128)];
      if (box >= 0x2500 && box < 0x2580) found[box - 0x2500] = static_cast<std::uint8_t>(b);
    }
    return found;
  }();
  return c >= 0x2500 && c < 0x2580 ? bytes[c - 0x2500] : 0;
}

const BlockShape* BlockShapeOf(char32_t c) {
  struct Entry {
    char32_t Character;
    BlockShape Shape;
  };
  static constexpr Entry kBlocks[] = {
      {U'█', {0, 2, 0, 2, 100}}, {U'▀', {0, 2, 0, 1, 100}}, {U'▄', {0, 2, 1, 2, 100}},
      {U'▌', {0, 1, 0, 2, 100}}, {U'▐', {1, 2, 0, 2, 100}}, {U'░', {0, 2, 0, 2, 25}},
      {U'▒', {0, 2, 0, 2, 50}},  {U'▓', {0, 2, 0, 2, 75}},
  };
  if (c < 0x2580 || c > 0x259F) return nullptr;
  for (const Entry& entry : kBlocks) {
    if (entry.Character == c) return &entry.Shape;
  }
  return nullptr;
}

void DrawBlock(TRenderState& state, const BlockShape& shape, double width, double height) {
  // The far edges as the next cell's position will be: the position plus the width, then the margin.
  const PageModel& page = state.Page;
  const double x[3] = {page.LeftMargin + page.PosX, page.LeftMargin + page.PosX + width / 2,
                       page.LeftMargin + (page.PosX + width)};
  const double y[3] = {page.PosY, page.PosY + height / 2, page.PosY + height};
  const int left = RoundToPixel(x[shape.Left]);
  const int top = RoundToPixel(y[shape.Top]);
  state.Canvas.FillRect(left, top, RoundToPixel(x[shape.Right]) - left, RoundToPixel(y[shape.Bottom]) - top,
                        shape.Percent);
}

void DrawBoxCharacter(TRenderState& state, std::uint8_t c) {
  if (c < 179 || c > 218) return;
  const std::string_view segments = kSegments[static_cast<std::size_t>(c - 179)];
  for (std::size_t i = 0; i + 1 < segments.size(); i += 2) DrawBoxSegment(state, segments.substr(i, 2));
}

}  // namespace prynda
