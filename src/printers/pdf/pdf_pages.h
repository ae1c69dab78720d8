// A print context that writes its pages as PDF itself: each page's drawing is collected, then
// written as one compressed content stream of plain operators (every glyph at its own device-pixel
// position), with the fonts embedded as subsets at the end; a picture drawn on a page is an image
// of its own, under the page's other drawing. The geometry's form lies under every page: a
// picture as one image, a PDF's pages as form XObjects, each written once in the document and used
// by every page that shows it. Used by every backend that makes PDF.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/document_order.h"
#include "device/print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/pdf/page_batch.h"
#include "printers/pdf/pdf_fonts.h"
#include "printers/pdf/pdf_form.h"
#include "printers/pdf/pdf_sink.h"
#include "printers/pdf/pdf_writer.h"
#include "printers/pdf/pictures.h"

namespace prynda {

class PdfPageContext final : public PrintContext {
 public:
  // Without a sink the context only answers questions (an information context).
  PdfPageContext(FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink);
  ~PdfPageContext() override;

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
  // A picture drawn on the page: its image object, written when it was drawn, and its place.
  struct PlacedImage {
    int Object = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
  };

  SizedFont& FontAt(int font);
  void WriteContent();
  // The form's object under the page being written (written when first used), and the matrix
  // that lays it over the sheet in `matrix`.
  int FormObject(std::array<double, 6>& matrix);
  void WritePage();
  void WriteEnd();
  void Discard() noexcept;

  FontLibrary& fonts_;
  TPageGeometry geometry_;
  std::unique_ptr<PdfSink> sink_;
  std::vector<SizedFont*> realized_;
  PageBatch page_;
  PictureSet pictures_;
  std::unique_ptr<PdfWriter> writer_;
  PdfFontSet font_set_;
  std::string content_;                 // the page being written, kept from page to page
  std::vector<const PdfFontSet::Entry*> page_fonts_;  // the fonts the page uses
  std::vector<int> page_images_;        // the page's image masks as image objects, in order
  std::vector<PlacedImage> page_pictures_;  // the page's pictures, in order
  std::vector<std::uint8_t> image_data_;  // a picture's rows as written, kept from page to page
  std::vector<int> pages_;              // page objects, in order
  int pages_object_ = 0;
  int page_form_ = 0;                   // the form's object under the page being written; 0: none
  int form_image_ = 0;                  // a picture form's image object, once written
  std::vector<int> form_pages_;         // a PDF form's pages as form XObjects, 0 until written
  ImportedObjects form_objects_;        // the PDF form's objects written so far
  std::string title_;
  DocumentOrder order_;
  bool in_document_ = false;  // the sink holds a begun document
};

}  // namespace prynda
