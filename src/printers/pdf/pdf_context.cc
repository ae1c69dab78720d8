#include "printers/pdf/pdf_context.h"

#include "printers/pdf/pdf_pages.h"

namespace prynda {

PdfContextMaker PdfWriterContexts() {
  return [](FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink) {
    return std::make_unique<PdfPageContext>(fonts, geometry, std::move(sink));
  };
}

}  // namespace prynda
