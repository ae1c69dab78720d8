#include "device/cairo/cairo_pages.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <unordered_map>

#include "device/printer_error.h"

namespace prynda {

namespace {

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;
constexpr double kPointsPerMm = 72.0 / 25.4;

// Valid UTF-8 stays as it is; any other byte becomes '?' (PDF metadata must be UTF-8).
std::string AsUtf8(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size() && c != 0;
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    }
    if (valid) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

// SOURCE_DATE_EPOCH, when set, fixes the document's date so that output is reproducible.
std::optional<std::string> FixedCreationDate() {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch == nullptr || *epoch == '\0') return std::nullopt;
  char* end = nullptr;
  const long long seconds = std::strtoll(epoch, &end, 10);
  if (*end != '\0' || seconds < 0) return std::nullopt;
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(text);
}

void SetSource(cairo_t* cr, TRgb color) {
  cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0);
}

}  // namespace

TPageGeometry A4Geometry(int dpi, int margin, TPrinterOrientation orientation) {
  TPageGeometry geometry;
  int width = static_cast<int>(std::lround(kA4WidthMm / 25.4 * dpi));
  int height = static_cast<int>(std::lround(kA4HeightMm / 25.4 * dpi));
  geometry.WidthPoints = kA4WidthMm * kPointsPerMm;
  geometry.HeightPoints = kA4HeightMm * kPointsPerMm;
  if (orientation == TPrinterOrientation::Landscape) {
    std::swap(width, height);
    std::swap(geometry.WidthPoints, geometry.HeightPoints);
  }
  TDeviceCaps& caps = geometry.Caps;
  caps.LogPixelsX = dpi;
  caps.LogPixelsY = dpi;
  caps.PhysicalWidth = width;
  caps.PhysicalHeight = height;
  caps.PhysicalOffsetX = margin;
  caps.PhysicalOffsetY = margin;
  caps.HorzRes = width - 2 * margin;
  caps.VertRes = height - 2 * margin;
  return geometry;
}

struct CairoPdfContext::GlyphRun {
  CairoFont* Font;
  TRgb Color;
  std::vector<cairo_glyph_t> Glyphs;
};

// Lines of one pen. Straight horizontal and vertical segments that overlap or touch one on the same
// line are joined into one: with round caps the union of the two strokes is exactly the stroke of
// the joined segment, and a frame drawn character by character becomes a few long lines.
struct CairoPdfContext::LineBatch {
  struct Run {
    int Fixed;  // y of a horizontal run, x of a vertical one
    int Low;
    int High;
  };
  int Width;
  TRgb Color;
  std::vector<TPoint> Points;
  std::vector<std::size_t> Starts;  // index in Points where each other polyline begins
  std::vector<Run> Horizontal;
  std::vector<Run> Vertical;
  std::unordered_map<int, std::size_t> LastHorizontal;  // y -> the latest run on that line
  std::unordered_map<int, std::size_t> LastVertical;    // x -> the latest run on that line

  static void Add(std::vector<Run>& runs, std::unordered_map<int, std::size_t>& last, int fixed, int a, int b) {
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
  bool Empty() const { return Points.empty() && Horizontal.empty() && Vertical.empty(); }
  void Clear() {
    Points.clear();
    Starts.clear();
    Horizontal.clear();
    Vertical.clear();
    LastHorizontal.clear();
    LastVertical.clear();
  }
};

struct CairoPdfContext::RectBatch {
  TRgb Color;
  std::vector<double> Rects;  // x, y, width, height
};

// One page's drawing, kept in batches by state. Batches are reused from page to page so that a
// long document allocates nothing once its first pages have been drawn.
struct CairoPdfContext::Page {
  std::vector<RectBatch> Backgrounds;
  std::vector<LineBatch> Lines;
  std::vector<GlyphRun> Runs;
  std::vector<RectBatch> Decorations;
  std::size_t LastRun = 0;

  GlyphRun& RunFor(CairoFont* font, TRgb color) {
    if (LastRun < Runs.size() && Runs[LastRun].Font == font && Runs[LastRun].Color == color) return Runs[LastRun];
    for (std::size_t i = 0; i < Runs.size(); ++i) {
      if (Runs[i].Font == font && Runs[i].Color == color) {
        LastRun = i;
        return Runs[i];
      }
    }
    Runs.push_back(GlyphRun{font, color, {}});
    LastRun = Runs.size() - 1;
    return Runs.back();
  }
  LineBatch& LinesFor(int width, TRgb color) {
    for (auto& batch : Lines) {
      if (batch.Width == width && batch.Color == color) return batch;
    }
    Lines.push_back(LineBatch{width, color, {}, {}, {}, {}, {}, {}});
    return Lines.back();
  }
  static RectBatch& RectsFor(std::vector<RectBatch>& batches, TRgb color) {
    for (auto& batch : batches) {
      if (batch.Color == color) return batch;
    }
    batches.push_back(RectBatch{color, {}});
    return batches.back();
  }
  void Clear() {
    for (auto& batch : Backgrounds) batch.Rects.clear();
    for (auto& batch : Lines) batch.Clear();
    for (auto& run : Runs) run.Glyphs.clear();
    for (auto& batch : Decorations) batch.Rects.clear();
  }
};

CairoPdfContext::CairoPdfContext(FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink)
    : fonts_(fonts), geometry_(geometry), sink_(std::move(sink)), page_(std::make_unique<Page>()) {}

CairoPdfContext::~CairoPdfContext() {
  if (in_document_) {
    CloseSurface();
    sink_->Discard();
  }
}

int CairoPdfContext::RealizeFont(const TFontSpec& spec) {
  CairoFont* font = &fonts_.Realize(spec, geometry_.Caps.LogPixelsX, geometry_.Caps.LogPixelsY);
  for (std::size_t i = 0; i < realized_.size(); ++i) {
    if (realized_[i] == font) return static_cast<int>(i);
  }
  realized_.push_back(font);
  return static_cast<int>(realized_.size() - 1);
}

CairoFont& CairoPdfContext::FontAt(int font) {
  if (font < 0 || static_cast<std::size_t>(font) >= realized_.size()) throw EPrinter("Unknown font handle");
  return *realized_[static_cast<std::size_t>(font)];
}

TTextExtent CairoPdfContext::MeasureText(int font, std::string_view text) { return FontAt(font).Measure(text); }

void CairoPdfContext::StartDoc(const TDocInfo& info) {
  if (!sink_) throw EPrinter("This context cannot print");
  if (in_document_) throw EPrinter("A document is already open");
  sink_->Begin(info);
  in_document_ = true;
  auto write = [](void* closure, const unsigned char* data, unsigned int length) -> cairo_status_t {
    auto* self = static_cast<CairoPdfContext*>(closure);
    if (!self->in_document_) return CAIRO_STATUS_SUCCESS;  // an aborted document's tail goes nowhere
    return self->sink_->Write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
  };
  surface_ = cairo_pdf_surface_create_for_stream(write, this, geometry_.WidthPoints, geometry_.HeightPoints);
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, AsUtf8(info.DocumentName).c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "Prynda");
  if (auto date = FixedCreationDate()) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATE_DATE, date->c_str());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_MOD_DATE, date->c_str());
  }
  cr_ = cairo_create(surface_);
  const TDeviceCaps& caps = geometry_.Caps;
  cairo_scale(cr_, 72.0 / caps.LogPixelsX, 72.0 / caps.LogPixelsY);
  cairo_translate(cr_, caps.PhysicalOffsetX, caps.PhysicalOffsetY);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  try {
    CheckStatus();
  } catch (...) {
    CloseSurface();
    sink_->Discard();
    throw;
  }
}

void CairoPdfContext::StartPage() {
  if (!in_document_) throw EPrinter("No document is open");
  page_->Clear();
}

void CairoPdfContext::EndPage() {
  if (!in_document_) throw EPrinter("No document is open");
  EmitPage();
  cairo_show_page(cr_);
  CheckStatus();
}

void CairoPdfContext::EmitPage() {
  Page& page = *page_;
  auto fill = [this](const std::vector<RectBatch>& batches) {
    for (const auto& batch : batches) {
      if (batch.Rects.empty()) continue;
      for (std::size_t i = 0; i + 3 < batch.Rects.size(); i += 4) {
        cairo_rectangle(cr_, batch.Rects[i], batch.Rects[i + 1], batch.Rects[i + 2], batch.Rects[i + 3]);
      }
      SetSource(cr_, batch.Color);
      cairo_fill(cr_);
    }
  };
  fill(page.Backgrounds);
  for (const auto& batch : page.Lines) {
    if (batch.Empty()) continue;
    for (const auto& run : batch.Horizontal) {
      cairo_move_to(cr_, run.Low, run.Fixed);
      cairo_line_to(cr_, run.High, run.Fixed);
    }
    for (const auto& run : batch.Vertical) {
      cairo_move_to(cr_, run.Fixed, run.Low);
      cairo_line_to(cr_, run.Fixed, run.High);
    }
    for (std::size_t s = 0; s < batch.Starts.size(); ++s) {
      const std::size_t begin = batch.Starts[s];
      const std::size_t end = s + 1 < batch.Starts.size() ? batch.Starts[s + 1] : batch.Points.size();
      cairo_move_to(cr_, batch.Points[begin].X, batch.Points[begin].Y);
      for (std::size_t i = begin + 1; i < end; ++i) cairo_line_to(cr_, batch.Points[i].X, batch.Points[i].Y);
    }
    cairo_set_line_width(cr_, batch.Width > 0 ? batch.Width : 1.0);
    SetSource(cr_, batch.Color);
    cairo_stroke(cr_);
  }
  for (const auto& run : page.Runs) {
    if (run.Glyphs.empty()) continue;
    cairo_set_scaled_font(cr_, run.Font->Scaled());
    SetSource(cr_, run.Color);
    cairo_show_glyphs(cr_, run.Glyphs.data(), static_cast<int>(run.Glyphs.size()));
  }
  fill(page.Decorations);
}

void CairoPdfContext::EndDoc() {
  if (!in_document_) throw EPrinter("No document is open");
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  in_document_ = false;
  if (status != CAIRO_STATUS_SUCCESS) {
    const std::string failure = sink_->FailureText();
    sink_->Discard();
    throw EPrinter(failure.empty() ? std::string("PDF output failed: ") + cairo_status_to_string(status) : failure);
  }
  try {
    sink_->Commit();
  } catch (...) {
    sink_->Discard();
    throw;
  }
}

void CairoPdfContext::AbortDoc() {
  if (!in_document_) return;
  CloseSurface();
  sink_->Discard();
}

void CairoPdfContext::CloseSurface() noexcept {
  in_document_ = false;  // from here on cairo's remaining output is dropped
  if (cr_ != nullptr) cairo_destroy(cr_);
  cr_ = nullptr;
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
  surface_ = nullptr;
}

void CairoPdfContext::CheckStatus() {
  cairo_status_t status = cr_ != nullptr ? cairo_status(cr_) : CAIRO_STATUS_SUCCESS;
  if (status == CAIRO_STATUS_SUCCESS && surface_ != nullptr) status = cairo_surface_status(surface_);
  if (status == CAIRO_STATUS_SUCCESS) return;
  const std::string failure = sink_->FailureText();
  throw EPrinter(failure.empty() ? std::string("PDF output failed: ") + cairo_status_to_string(status) : failure);
}

void CairoPdfContext::TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                              std::string_view text) {
  if (!in_document_) throw EPrinter("No document is open");
  CairoFont& f = FontAt(font);
  GlyphRun& run = page_->RunFor(&f, color);
  const double baseline = y + f.Ascent();
  int pen = x;
  for (char c : text) {
    const CairoFont::Glyph& glyph = f.GlyphOf(static_cast<unsigned char>(c));
    run.Glyphs.push_back(cairo_glyph_t{glyph.Index, static_cast<double>(pen), baseline});
    pen += glyph.Advance;
  }
  const double width = pen - x;
  if (background) {
    auto& rects = Page::RectsFor(page_->Backgrounds, *background).Rects;
    rects.insert(rects.end(), {static_cast<double>(x), static_cast<double>(y), width,
                               static_cast<double>(f.Ascent() + f.Descent())});
  }
  const TFontSpec& spec = f.Spec();
  if ((spec.Underline || spec.StrikeOut) && width > 0) {
    auto& rects = Page::RectsFor(page_->Decorations, color).Rects;
    if (spec.Underline) {
      rects.insert(rects.end(), {static_cast<double>(x), baseline + f.UnderlineOffset() - f.UnderlineThickness() / 2,
                                 width, f.UnderlineThickness()});
    }
    if (spec.StrikeOut) {
      rects.insert(rects.end(), {static_cast<double>(x), baseline + f.StrikeOutOffset() - f.StrikeOutThickness() / 2,
                                 width, f.StrikeOutThickness()});
    }
  }
}

void CairoPdfContext::Polyline(const TPoint* points, std::size_t count, int width, TRgb color) {
  if (!in_document_) throw EPrinter("No document is open");
  if (count < 2) return;
  LineBatch& batch = page_->LinesFor(width, color);
  if (count == 2 && points[0].Y == points[1].Y) {
    LineBatch::Add(batch.Horizontal, batch.LastHorizontal, points[0].Y, points[0].X, points[1].X);
    return;
  }
  if (count == 2 && points[0].X == points[1].X) {
    LineBatch::Add(batch.Vertical, batch.LastVertical, points[0].X, points[0].Y, points[1].Y);
    return;
  }
  batch.Starts.push_back(batch.Points.size());
  batch.Points.insert(batch.Points.end(), points, points + count);
}

}  // namespace prynda
