// A print context whose pages become a PDF drawn by cairo, shared by every backend that hands a
// PDF to someone (a file, a CUPS queue). Drawing calls are collected per page and emitted together
// when the page ends: lines first, then text, each glyph at its own position.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/cairo/cairo_fonts.h"
#include "device/print_system.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

namespace prynda {

// Where the PDF bytes go. Begin opens the destination for a document, Write takes the bytes as
// cairo produces them, Commit completes the destination once the PDF is whole, Discard drops it.
class PdfSink {
 public:
  virtual ~PdfSink() = default;
  virtual void Begin(const TDocInfo& info) = 0;                          // raises EPrinter
  virtual bool Write(const unsigned char* data, std::size_t size) = 0;   // false on failure
  virtual std::string FailureText() const = 0;                           // why Write failed
  virtual void Commit() = 0;                                             // raises EPrinter
  virtual void Discard() noexcept = 0;
};

// The page as the device sees it: caps in device pixels, the paper in PDF points.
struct TPageGeometry {
  TDeviceCaps Caps;
  double WidthPoints = 0;
  double HeightPoints = 0;
};

// A4 at `dpi`, with a printable area `margin` pixels inside every edge, for an orientation.
TPageGeometry A4Geometry(int dpi, int margin, TPrinterOrientation orientation);

class CairoPdfContext final : public PrintContext {
 public:
  // Without a sink the context only answers questions (an information context).
  CairoPdfContext(FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink);
  ~CairoPdfContext() override;

  TDeviceCaps Caps() override { return geometry_.Caps; }
  std::vector<std::string> FontFaces() override { return fonts_.FaceNames(); }
  int RealizeFont(const TFontSpec& spec) override;
  TTextExtent MeasureText(int font, std::string_view text) override;

  void StartDoc(const TDocInfo& info) override;
  void StartPage() override;
  void EndPage() override;
  void EndDoc() override;
  void AbortDoc() override;

  void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
               std::string_view text) override;
  void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) override;

 private:
  struct GlyphRun;
  struct LineBatch;
  struct RectBatch;
  struct Page;

  CairoFont& FontAt(int font);
  void EmitPage();
  void CheckStatus();
  void CloseSurface() noexcept;

  FontLibrary& fonts_;
  TPageGeometry geometry_;
  std::unique_ptr<PdfSink> sink_;
  std::vector<CairoFont*> realized_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::unique_ptr<Page> page_;
  bool in_document_ = false;
};

}  // namespace prynda
