// A print context whose pages become a PDF drawn by cairo: the reference that Prynda's own PDF
// writer is compared with. Drawing calls are collected per page and emitted together when the page
// ends, each glyph at its own position.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/document_order.h"
#include "device/print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/pdf/page_batch.h"
#include "printers/pdf/pdf_sink.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;
typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _cairo_scaled_font cairo_scaled_font_t;

namespace prynda {

class CairoPdfContext final : public PrintContext {
 public:
  // Without a sink the context only answers questions (an information context).
  CairoPdfContext(FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink);
  ~CairoPdfContext() override;

  TDeviceCaps Caps() override { return geometry_.Caps; }
  std::vector<std::string> FontFaces() override { return fonts_.FaceNames(); }
  int RealizeFont(const TFontSpec& spec) override;
  TTextExtent MeasureText(int font, std::string_view text) override;
  TTextExtent MeasureUnicode(int font, std::u32string_view text) override;
  bool HasGlyph(int font, char32_t c) override;

  void StartDoc(const TDocInfo& info) override;
  void StartPage() override;
  void EndPage() override;
  void EndDoc() override;
  void AbortDoc() override;

  void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
               std::string_view text) override;
  void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                      std::u32string_view text) override;
  void FillRect(int x, int y, int width, int height, TRgb color) override;
  void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) override;
  void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) override;
  void DrawImage(int x, int y, int width, int height, const TImage& image) override;

 private:
  SizedFont& FontAt(int font);
  cairo_scaled_font_t* Scaled(SizedFont& font);
  void BeginDocument(const TDocInfo& info);
  void EndDocument();
  void EmitPage();
  void DropPictures() noexcept;
  void CheckStatus();
  void CloseSurface() noexcept;

  FontLibrary& fonts_;
  TPageGeometry geometry_;
  std::unique_ptr<PdfSink> sink_;
  std::vector<SizedFont*> realized_;
  std::map<FontFace*, cairo_font_face_t*> cairo_faces_;
  std::map<SizedFont*, cairo_scaled_font_t*> cairo_fonts_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  PageBatch page_;
  // The page's pictures, as cairo's own images with their places, painted first when it ends.
  struct PlacedPicture {
    cairo_surface_t* Surface;
    int X, Y, Width, Height;
  };
  std::vector<PlacedPicture> pictures_;
  DocumentOrder order_;
  bool in_document_ = false;  // cairo is writing a begun document
};

}  // namespace prynda
