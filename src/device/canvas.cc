#include "device/canvas.h"

#include <algorithm>
#include <cstdint>

#include "device/printer.h"

namespace prynda {

PrintContext& TCanvas::Prepare(bool drawing) {
  if (drawing && !printer_.IsPrinting()) throw EPrinter(kNotPrinting);
  PrintContext& context = printer_.Context();
  font_.SetPixelsPerInch(printer_.Scaled(printer_.caps_.LogPixelsY));
  if (realized_font_ < 0 || realized_version_ != font_.Version() ||
      realized_context_ != printer_.context_generation_) {
    realized_font_ = context.RealizeFont(font_.Spec());
    realized_version_ = font_.Version();
    realized_context_ = printer_.context_generation_;
  }
  return context;
}

bool TCanvas::SheetKnown() const {
  const TDeviceCaps& caps = printer_.caps_;
  return caps.PhysicalWidth > 0 && caps.PhysicalHeight > 0;
}

template <typename Width>
bool TCanvas::TextOffSheet(int x, int y, Width width) {
  if (!SheetKnown()) return false;
  const TDeviceCaps& caps = printer_.caps_;
  const std::int64_t left = -std::int64_t{caps.PhysicalOffsetX};
  const std::int64_t top = -std::int64_t{caps.PhysicalOffsetY};
  // The text's cell starts at (x, y): past the right or bottom edge it is wholly outside. Left of
  // or above the sheet only its extent tells, which takes a measurement (rare: nothing prints there).
  if (x >= left + caps.PhysicalWidth || y >= top + caps.PhysicalHeight) return true;
  if (x >= left && y >= top) return false;
  const TTextExtent extent = width();
  return std::int64_t{x} + extent.Width <= left || std::int64_t{y} + extent.Height <= top;
}

bool TCanvas::BoxOffSheet(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) const {
  if (!SheetKnown()) return false;
  const TDeviceCaps& caps = printer_.caps_;
  const std::int64_t sheet_left = -std::int64_t{caps.PhysicalOffsetX};
  const std::int64_t sheet_top = -std::int64_t{caps.PhysicalOffsetY};
  return right < sheet_left || left >= sheet_left + caps.PhysicalWidth || bottom < sheet_top ||
         top >= sheet_top + caps.PhysicalHeight;
}

bool TCanvas::LinesOffSheet(std::span<const TPoint> points) const {
  if (points.empty()) return false;
  const auto [min_x, max_x] = std::minmax_element(points.begin(), points.end(),
                                                  [](const TPoint& a, const TPoint& b) { return a.X < b.X; });
  const auto [min_y, max_y] = std::minmax_element(points.begin(), points.end(),
                                                  [](const TPoint& a, const TPoint& b) { return a.Y < b.Y; });
  // Half the pen on every side, and a pixel more for the round caps' rounding.
  const std::int64_t reach = pen_.Width() / 2 + 1;
  return BoxOffSheet(min_x->X - reach, min_y->Y - reach, max_x->X + reach, max_y->Y + reach);
}

int TCanvas::MeasureTextWidth(std::string_view text) {
  PrintContext& context = Prepare(false);
  return context.MeasureText(realized_font_, text).Width;
}

int TCanvas::MeasureTextHeight(std::string_view text) {
  PrintContext& context = Prepare(false);
  return context.MeasureText(realized_font_, text).Height;
}

void TCanvas::PaintText(int x, int y, std::string_view text) {
  PrintContext& context = Prepare(true);
  x += printer_.offset_x_;
  y += printer_.offset_y_;
  if (TextOffSheet(x, y, [&] { return context.MeasureText(realized_font_, text); })) return;
  std::optional<TRgb> background;
  if (brush_.Style() != TBrushStyle::bsClear) background = printer_.ColorToRgb(brush_.Color());
  context.TextOut(x, y, realized_font_, printer_.ColorToRgb(font_.Color()), background, text);
}

int TCanvas::MeasureUnicodeWidth(std::u32string_view text) {
  PrintContext& context = Prepare(false);
  return context.MeasureUnicode(realized_font_, text).Width;
}

bool TCanvas::HasGlyph(char32_t c) {
  PrintContext& context = Prepare(false);
  return context.HasGlyph(realized_font_, c);
}

void TCanvas::PaintUnicode(int x, int y, std::u32string_view text) {
  PrintContext& context = Prepare(true);
  x += printer_.offset_x_;
  y += printer_.offset_y_;
  if (TextOffSheet(x, y, [&] { return context.MeasureUnicode(realized_font_, text); })) return;
  std::optional<TRgb> background;
  if (brush_.Style() != TBrushStyle::bsClear) background = printer_.ColorToRgb(brush_.Color());
  context.TextOutUnicode(x, y, realized_font_, printer_.ColorToRgb(font_.Color()), background, text);
}

void TCanvas::FillRect(int x, int y, int width, int height, int percent) {
  PrintContext& context = Prepare(true);
  if (width <= 0 || height <= 0 || percent <= 0) return;
  x += printer_.offset_x_;
  y += printer_.offset_y_;
  if (BoxOffSheet(x, y, std::int64_t{x} + width - 1, std::int64_t{y} + height - 1)) return;
  // Each channel goes from white towards the colour's by the share asked for.
  const TRgb color = printer_.ColorToRgb(font_.Color());
  const int share = std::min(percent, 100);
  TRgb tint = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int channel = static_cast<int>((color >> shift) & 0xFF);
    tint |= static_cast<TRgb>(255 - ((255 - channel) * share + 50) / 100) << shift;
  }
  context.FillRect(x, y, width, height, tint);
}

bool TCanvas::PlaceImage(int& x, int& y, int width, int height, int columns, int rows) const {
  x += printer_.offset_x_;
  y += printer_.offset_y_;
  if (width <= 0 || height <= 0 || columns <= 0 || rows <= 0) return false;
  return !BoxOffSheet(x, y, std::int64_t{x} + width - 1, std::int64_t{y} + height - 1);
}

void TCanvas::DrawImage(int x, int y, int width, int height, const TMonoImage& image) {
  PrintContext& context = Prepare(true);
  if (!PlaceImage(x, y, width, height, image.Width, image.Height)) return;
  context.ImageMask(x, y, width, height, image, printer_.ColorToRgb(font_.Color()));
}

void TCanvas::DrawImage(int x, int y, int width, int height, const TImage& image) {
  PrintContext& context = Prepare(true);
  if (!PlaceImage(x, y, width, height, image.Width, image.Height)) return;
  context.DrawImage(x, y, width, height, image);
}

void TCanvas::DrawPolyline(std::span<const TPoint> points) {
  PrintContext& context = Prepare(true);
  if (printer_.offset_x_ != 0 || printer_.offset_y_ != 0) {
    moved_.assign(points.begin(), points.end());
    for (TPoint& point : moved_) {
      point.X += printer_.offset_x_;
      point.Y += printer_.offset_y_;
    }
    points = moved_;
  }
  if (LinesOffSheet(points)) return;
  context.Polyline(points.data(), points.size(), pen_.Width(), printer_.ColorToRgb(pen_.Color()));
}

}  // namespace prynda
