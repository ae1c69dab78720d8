#include "device/canvas.h"

#include "device/printer.h"

namespace prynda {

PrintContext& TCanvas::Prepare(bool drawing) {
  if (drawing && !printer_.IsPrinting()) throw EPrinter(kNotPrinting);
  PrintContext& context = printer_.Context();
  font_.SetPixelsPerInch(printer_.caps_.LogPixelsY);
  if (realized_font_ < 0 || realized_version_ != font_.Version() ||
      realized_context_ != printer_.context_generation_) {
    realized_font_ = context.RealizeFont(font_.Spec());
    realized_version_ = font_.Version();
    realized_context_ = printer_.context_generation_;
  }
  return context;
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
  std::optional<TRgb> background;
  if (brush_.Style() != TBrushStyle::bsClear) background = printer_.ColorToRgb(brush_.Color());
  context.TextOut(x, y, realized_font_, printer_.ColorToRgb(font_.Color()), background, text);
}

void TCanvas::DrawPolyline(std::span<const TPoint> points) {
  PrintContext& context = Prepare(true);
  context.Polyline(points.data(), points.size(), pen_.Width(), printer_.ColorToRgb(pen_.Color()));
}

}  // namespace prynda
