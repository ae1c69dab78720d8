// One page's drawing collected by state - glyphs per font and colour, lines per pen, filled
// rectangles per colour - for a backend to emit together when the page ends: backgrounds and
// fills, lines, text, then text decorations. The batches are kept from page to page, so a long document
// allocates nothing once its first pages are drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "device/print_system.h"
#include "printers/fonts/font_library.h"

namespace prynda {

class PageBatch {
 public:
  struct PlacedGlyph {
    std::uint32_t Index;
    int X;  // the glyph's origin on the baseline, device pixels
    int Y;
    char32_t CodePoint;  // the character it shows
  };
  struct GlyphRun {
    SizedFont* Font;
    TRgb Color;
    std::vector<PlacedGlyph> Glyphs;
  };
  // Straight horizontal and vertical segments that overlap or touch one on the same line are
  // joined: with round caps the union of the two strokes is the stroke of the joined segment, so a
  // frame drawn character by character becomes a few long lines.
  struct Run {
    int Fixed;  // y of a horizontal run, x of a vertical one
    int Low;
    int High;
  };
  struct LineBatch {
    int Width;
    TRgb Color;
    std::vector<Run> Horizontal;
    std::vector<Run> Vertical;
    std::vector<TPoint> Points;        // other polylines
    std::vector<std::size_t> Starts;   // where each of them begins in Points
    std::unordered_map<int, std::size_t> LastHorizontal;
    std::unordered_map<int, std::size_t> LastVertical;
    bool Empty() const { return Horizontal.empty() && Vertical.empty() && Points.empty(); }
  };
  struct Rect {
    double X, Y, Width, Height;
  };
  struct RectBatch {
    TRgb Color;
    std::vector<Rect> Rects;
  };

  // Text with the top-left corner of its cell at (x, y).
  void AddText(SizedFont& font, int x, int y, TRgb color, std::optional<TRgb> background, std::string_view text);
  // The same for text given as Unicode; a character the font's face lacks is drawn by the face
  // it falls back on, on the same baseline.
  void AddUnicodeText(SizedFont& font, int x, int y, TRgb color, std::optional<TRgb> background,
                      std::u32string_view text);
  // A filled rectangle; one that continues the last of its colour on the same band is joined to it.
  void AddFill(int x, int y, int width, int height, TRgb color);
  void AddPolyline(const TPoint* points, std::size_t count, int width, TRgb color);
  void Clear();

  const std::vector<RectBatch>& Backgrounds() const { return backgrounds_; }
  const std::vector<RectBatch>& Fills() const { return fills_; }
  const std::vector<LineBatch>& Lines() const { return lines_; }
  const std::vector<GlyphRun>& Runs() const { return runs_; }
  const std::vector<RectBatch>& Decorations() const { return decorations_; }

 private:
  GlyphRun& RunFor(SizedFont* font, TRgb color);
  LineBatch& LinesFor(int width, TRgb color);
  static RectBatch& RectsFor(std::vector<RectBatch>& batches, TRgb color);
  // The background and the underline or strike-out of text `width` pixels wide.
  void Decorate(SizedFont& font, int x, int y, int width, TRgb color, std::optional<TRgb> background);
  static void AddRun(std::vector<Run>& runs, std::unordered_map<int, std::size_t>& last, int fixed, int a, int b);

  std::vector<RectBatch> backgrounds_;
  std::vector<RectBatch> fills_;
  std::vector<LineBatch> lines_;
  std::vector<GlyphRun> runs_;
  std::vector<RectBatch> decorations_;
  std::size_t last_run_ = 0;
};

}  // namespace prynda
