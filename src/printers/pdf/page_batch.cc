#include "printers/pdf/page_batch.h"

#include <algorithm>

namespace prynda {

PageBatch::GlyphRun& PageBatch::RunFor(SizedFont* font, TRgb color) {
  if (last_run_ < runs_.size() && runs_[last_run_].Font == font && runs_[last_run_].Color == color) {
    return runs_[last_run_];
  }
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    if (runs_[i].Font == font && runs_[i].Color == color) {
      last_run_ = i;
      return runs_[i];
    }
  }
  runs_.push_back(GlyphRun{font, color, {}});
  last_run_ = runs_.size() - 1;
  return runs_.back();
}

PageBatch::LineBatch& PageBatch::LinesFor(int width, TRgb color) {
  for (auto& batch : lines_) {
    if (batch.Width == width && batch.Color == color) return batch;
  }
  lines_.push_back(LineBatch{width, color, {}, {}, {}, {}, {}, {}});
  return lines_.back();
}

PageBatch::RectBatch& PageBatch::RectsFor(std::vector<RectBatch>& batches, TRgb color) {
  for (auto& batch : batches) {
    if (batch.Color == color) return batch;
  }
  batches.push_back(RectBatch{color, {}});
  return batches.back();
}

void PageBatch::AddRun(std::vector<Run>& runs, std::unordered_map<int, std::size_t>& last, int fixed, int a, int b) {
  const int low = std::min(a, b);
  const int high = std::max(a, b);
  auto found = last.find(fixed);
  if (found != last.end()) {
    Run& run = runs[found->second];
    if (low <= run.High && high >= run.Low) {
      run.Low = std::min(run.Low, low);
      run.High = std::max(run.High, high);
      return;
    }
  }
  runs.push_back(Run{fixed, low, high});
  last[fixed] = runs.size() - 1;
}

void PageBatch::AddText(SizedFont& font, int x, int y, TRgb color, std::optional<TRgb> background,
                        std::string_view text) {
  GlyphRun& run = RunFor(&font, color);
  const int baseline = y + font.Ascent();
  int pen = x;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const SizedFont::Glyph& glyph = font.GlyphOf(byte);
    run.Glyphs.push_back(PlacedGlyph{glyph.Index, pen, baseline, font.CodePoint(byte)});
    pen += glyph.Advance;
  }
  Decorate(font, x, y, pen - x, color, background);
}

void PageBatch::AddUnicodeText(SizedFont& font, int x, int y, TRgb color, std::optional<TRgb> background,
                               std::u32string_view text) {
  const int baseline = y + font.Ascent();
  int pen = x;
  for (char32_t c : text) {
    const SizedFont::Placed& placed = font.OfCodePoint(c);
    RunFor(placed.Font, color).Glyphs.push_back(PlacedGlyph{placed.Index, pen, baseline, c});
    pen += placed.Advance;
  }
  Decorate(font, x, y, pen - x, color, background);
}

void PageBatch::Decorate(SizedFont& font, int x, int y, int width, TRgb color, std::optional<TRgb> background) {
  if (background) {
    RectsFor(backgrounds_, *background)
        .Rects.push_back(Rect{static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                              static_cast<double>(font.Ascent() + font.Descent())});
  }
  const TFontSpec& spec = font.Spec();
  if ((spec.Underline || spec.StrikeOut) && width > 0) {
    const int baseline = y + font.Ascent();
    auto& rects = RectsFor(decorations_, color).Rects;
    if (spec.Underline) {
      rects.push_back(Rect{static_cast<double>(x), baseline + font.UnderlineOffset() - font.UnderlineThickness() / 2,
                           static_cast<double>(width), font.UnderlineThickness()});
    }
    if (spec.StrikeOut) {
      rects.push_back(Rect{static_cast<double>(x), baseline + font.StrikeOutOffset() - font.StrikeOutThickness() / 2,
                           static_cast<double>(width), font.StrikeOutThickness()});
    }
  }
}

void PageBatch::AddFill(int x, int y, int width, int height, TRgb color) {
  auto& rects = RectsFor(fills_, color).Rects;
  if (!rects.empty()) {
    Rect& last = rects.back();
    if (last.Y == y && last.Height == height && last.X + last.Width == x) {
      last.Width += width;
      return;
    }
  }
  rects.push_back(Rect{static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                       static_cast<double>(height)});
}

void PageBatch::AddPolyline(const TPoint* points, std::size_t count, int width, TRgb color) {
  if (count < 2) return;
  LineBatch& batch = LinesFor(width, color);
  if (count == 2 && points[0].Y == points[1].Y) {
    AddRun(batch.Horizontal, batch.LastHorizontal, points[0].Y, points[0].X, points[1].X);
  } else if (count == 2 && points[0].X == points[1].X) {
    AddRun(batch.Vertical, batch.LastVertical, points[0].X, points[0].Y, points[1].Y);
  } else {
    batch.Starts.push_back(batch.Points.size());
    batch.Points.insert(batch.Points.end(), points, points + count);
  }
}

void PageBatch::Clear() {
  for (auto& batch : backgrounds_) batch.Rects.clear();
  for (auto& batch : fills_) batch.Rects.clear();
  for (auto& batch : lines_) {
    batch.Horizontal.clear();
    batch.Vertical.clear();
    batch.Points.clear();
    batch.Starts.clear();
    batch.LastHorizontal.clear();
    batch.LastVertical.clear();
  }
  for (auto& run : runs_) run.Glyphs.clear();
  for (auto& batch : decorations_) batch.Rects.clear();
}

}  // namespace prynda
