// TCanvas: the printer's page surface with its font, pen and brush. Measuring works at any time
// (at the printer's resolution, on an information context when no document is open); drawing only
// while the printer is printing. Changes to font, pen and brush apply at the next measure or draw.
// Drawing that falls wholly outside the physical sheet is dropped here, before any backend stores
// it: nobody can see it, and a page that never ends must not grow without bound.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/font.h"
#include "device/print_system.h"

namespace prynda {

class TPrinter;

// Width in pixels (starts at 1; a negative width is ignored; 0 is the thinnest line); black unless
// set otherwise, solid.
class TPen {
 public:
  int Width() const { return width_; }
  void SetWidth(int width) {
    if (width >= 0) width_ = width;
  }
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }

 private:
  int width_ = 1;
  TColor color_ = clBlack;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush {
 public:
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style) { style_ = style; }
  TColor Color() const { return clWhite; }

 private:
  TBrushStyle style_ = TBrushStyle::bsSolid;
};

class TCanvas {
 public:
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont& Font() { return font_; }
  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }

  int MeasureTextWidth(std::string_view text);
  int MeasureTextHeight(std::string_view text);
  // The top-left corner of the text's cell at (x, y), in the font's colour.
  void PaintText(int x, int y, std::string_view text);
  // The same for text given as Unicode (see PrintContext::MeasureUnicode).
  int MeasureUnicodeWidth(std::u32string_view text);
  bool HasGlyph(char32_t c);
  void PaintUnicode(int x, int y, std::u32string_view text);
  // The rectangle filled with `percent` of the font's colour on white paper (100: the colour).
  void FillRect(int x, int y, int width, int height, int percent);
  void DrawPolyline(std::span<const TPoint> points);
  // A monochrome image stretched over (x, y, width, height), its dots in the font's colour.
  void DrawImage(int x, int y, int width, int height, const TMonoImage& image);
  // A picture of grey or coloured dots stretched over (x, y, width, height), covering the page.
  void DrawImage(int x, int y, int width, int height, const TImage& image);

 private:
  friend class TPrinter;
  explicit TCanvas(TPrinter& printer) : printer_(printer) {}

  // The context to measure on (drawing == false) or draw on, with the canvas font realised on it.
  PrintContext& Prepare(bool drawing);
  // The sheet in canvas coordinates, from the current context's caps; empty when they tell none.
  bool SheetKnown() const;
  // Whether text whose cell starts at (x, y) is wholly off the sheet; `width` measures it, when that is needed.
  template <typename Width>
  bool TextOffSheet(int x, int y, Width width);
  bool LinesOffSheet(std::span<const TPoint> points) const;
  // (x, y) moved by the page's offsets; false when an image of columns x rows dots stretched over
  // the box would show nothing (empty, or wholly off the sheet).
  bool PlaceImage(int& x, int& y, int width, int height, int columns, int rows) const;
  bool BoxOffSheet(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) const;

  TPrinter& printer_;
  TFont font_;
  TPen pen_;
  TBrush brush_;
  std::vector<TPoint> moved_;  // a polyline moved by the page's offsets, kept between calls
  int realized_font_ = -1;
  std::uint64_t realized_version_ = 0;
  std::uint64_t realized_context_ = 0;
};

}  // namespace prynda
