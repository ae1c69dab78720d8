#include "reference/cairo_pages.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "device/printer_error.h"

namespace prynda {

namespace {

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

CairoPdfContext::CairoPdfContext(FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink)
    : fonts_(fonts), geometry_(geometry), sink_(std::move(sink)),
      order_(sink_ ? TContextKind::Device : TContextKind::Information) {}

CairoPdfContext::~CairoPdfContext() {
  DropPictures();
  if (in_document_) {
    CloseSurface();
    sink_->Discard();
  }
  for (auto& [font, scaled] : cairo_fonts_) cairo_scaled_font_destroy(scaled);
  for (auto& [face, cairo_face] : cairo_faces_) cairo_font_face_destroy(cairo_face);
}

cairo_scaled_font_t* CairoPdfContext::Scaled(SizedFont& font) {
  auto known = cairo_fonts_.find(&font);
  if (known != cairo_fonts_.end()) return known->second;
  FontFace& face = font.Face();
  cairo_font_face_t*& cairo_face = cairo_faces_[&face];
  if (cairo_face == nullptr) {
    // cairo keeps the FreeType face for as long as it needs it, and lets go of it through the key.
    static cairo_user_data_key_t key;
    const auto ft_face = static_cast<FT_Face>(face.Handle());
    FT_Reference_Face(ft_face);
    cairo_face = cairo_ft_font_face_create_for_ft_face(ft_face, 0);
    cairo_font_face_set_user_data(cairo_face, &key, ft_face,
                                  [](void* handle) { FT_Done_Face(static_cast<FT_Face>(handle)); });
    unsigned int synthesize = 0;
    if (face.SyntheticBold()) synthesize |= CAIRO_FT_SYNTHESIZE_BOLD;
    if (face.SyntheticItalic()) synthesize |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
    if (synthesize != 0) cairo_ft_font_face_set_synthesize(cairo_face, synthesize);
  }
  cairo_matrix_t size;
  cairo_matrix_init_scale(&size, font.EmX(), font.EmY());
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(cairo_face, &size, &identity, options);
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
    const std::string why = cairo_status_to_string(cairo_scaled_font_status(scaled));
    cairo_scaled_font_destroy(scaled);
    throw EPrinter("Font " + font.Spec().Face + " cannot be used: " + why);
  }
  cairo_fonts_.emplace(&font, scaled);
  return scaled;
}

int CairoPdfContext::RealizeFont(const TFontSpec& spec) {
  SizedFont* font = &fonts_.Realize(spec, geometry_.Caps.LogPixelsX, geometry_.Caps.LogPixelsY);
  for (std::size_t i = 0; i < realized_.size(); ++i) {
    if (realized_[i] == font) return static_cast<int>(i);
  }
  realized_.push_back(font);
  return static_cast<int>(realized_.size() - 1);
}

SizedFont& CairoPdfContext::FontAt(int font) {
  if (font < 0 || static_cast<std::size_t>(font) >= realized_.size()) throw EPrinter("Unknown font handle");
  return *realized_[static_cast<std::size_t>(font)];
}

TTextExtent CairoPdfContext::MeasureText(int font, std::string_view text) { return FontAt(font).Measure(text); }

TTextExtent CairoPdfContext::MeasureUnicode(int font, std::u32string_view text) {
  return FontAt(font).MeasureUnicode(text);
}

bool CairoPdfContext::HasGlyph(int font, char32_t c) { return FontAt(font).HasGlyph(c); }

void CairoPdfContext::StartDoc(const TDocInfo& info) {
  order_.Run(DocumentCall::StartDoc, [&] { BeginDocument(info); });
}

void CairoPdfContext::BeginDocument(const TDocInfo& info) {
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
  order_.Run(DocumentCall::StartPage, [&] {
    page_.Clear();
    DropPictures();
  });
}

void CairoPdfContext::DropPictures() noexcept {
  for (const PlacedPicture& picture : pictures_) cairo_surface_destroy(picture.Surface);
  pictures_.clear();
}

void CairoPdfContext::EndPage() {
  order_.Run(DocumentCall::EndPage, [&] {
    EmitPage();
    cairo_show_page(cr_);
    CheckStatus();
  });
}

void CairoPdfContext::EmitPage() {
  auto fill = [this](const std::vector<PageBatch::RectBatch>& batches) {
    for (const auto& batch : batches) {
      if (batch.Rects.empty()) continue;
      for (const auto& rect : batch.Rects) cairo_rectangle(cr_, rect.X, rect.Y, rect.Width, rect.Height);
      SetSource(cr_, batch.Color);
      cairo_fill(cr_);
    }
  };
  for (const PlacedPicture& picture : pictures_) {
    cairo_save(cr_);
    cairo_translate(cr_, picture.X, picture.Y);
    cairo_scale(cr_, static_cast<double>(picture.Width) / cairo_image_surface_get_width(picture.Surface),
                static_cast<double>(picture.Height) / cairo_image_surface_get_height(picture.Surface));
    cairo_set_source_surface(cr_, picture.Surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }
  DropPictures();
  fill(page_.Backgrounds());
  fill(page_.Fills());
  for (const auto& batch : page_.Lines()) {
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
  static thread_local std::vector<cairo_glyph_t> glyphs_;  // kept from page to page
  for (const auto& run : page_.Runs()) {
    if (run.Glyphs.empty()) continue;
    glyphs_.clear();
    for (const auto& glyph : run.Glyphs) {
      glyphs_.push_back(cairo_glyph_t{glyph.Index, static_cast<double>(glyph.X), static_cast<double>(glyph.Y)});
    }
    cairo_set_scaled_font(cr_, Scaled(*run.Font));
    SetSource(cr_, run.Color);
    cairo_show_glyphs(cr_, glyphs_.data(), static_cast<int>(glyphs_.size()));
  }
  fill(page_.Decorations());
}

void CairoPdfContext::EndDoc() {
  order_.Run(DocumentCall::EndDoc, [&] { EndDocument(); });
}

void CairoPdfContext::EndDocument() {
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
  order_.Run(DocumentCall::AbortDoc, [&] {
    if (!in_document_) return;
    CloseSurface();
    sink_->Discard();
  });
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
  order_.Run(DocumentCall::Draw, [&] { page_.AddText(FontAt(font), x, y, color, background, text); });
}

void CairoPdfContext::TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                                     std::u32string_view text) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddUnicodeText(FontAt(font), x, y, color, background, text); });
}

void CairoPdfContext::FillRect(int x, int y, int width, int height, TRgb color) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddFill(x, y, width, height, color); });
}

void CairoPdfContext::Polyline(const TPoint* points, std::size_t count, int width, TRgb color) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddPolyline(points, count, width, color); });
}

// Every set dot as a rectangle of its own: nothing shared with the PDF writer's pictures.
void CairoPdfContext::ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) {
  order_.Run(DocumentCall::Draw, [&] {
    const double dot_width = static_cast<double>(width) / image.Width;
    const double dot_height = static_cast<double>(height) / image.Height;
    for (int row = 0; row < image.Height; ++row) {
      for (int column = 0; column < image.Width; ++column) {
        const std::uint8_t byte = image.Bits[static_cast<std::size_t>(row * image.Stride + column / 8)];
        if ((byte >> (7 - column % 8)) & 1) {
          cairo_rectangle(cr_, x + column * dot_width, y + row * dot_height, dot_width, dot_height);
        }
      }
    }
    SetSource(cr_, color);
    cairo_fill(cr_);
  });
}

// The dots copied into a cairo image of its own kind: a word a dot, red, green and blue.
void CairoPdfContext::DrawImage(int x, int y, int width, int height, const TImage& image) {
  order_.Run(DocumentCall::Draw, [&] {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.Width, image.Height);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    for (int row = 0; row < image.Height; ++row) {
      const std::uint8_t* in = image.Pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(image.Stride);
      auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(row) * stride);
      for (int column = 0; column < image.Width; ++column, in += image.Channels) {
        const std::uint32_t r = in[0], g = in[image.Channels == 3 ? 1 : 0], b = in[image.Channels == 3 ? 2 : 0];
        out[column] = r << 16 | g << 8 | b;
      }
    }
    cairo_surface_mark_dirty(surface);
    pictures_.push_back(PlacedPicture{surface, x, y, width, height});
  });
}

}  // namespace prynda
