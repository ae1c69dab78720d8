// A PDF form's pages, read through qpdf's library on Linux (pdf_form_qpdf.cc; the library is opened
// when a PDF form is first loaded, so that a job without one never loads it); a build without it
// refuses PDF forms (pdf_form_none.cc).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "printers/pdf/form_parts.h"

namespace prynda {

class PdfWriter;

// The objects of a form already written into one PDF: (object, generation) in the form's file to
// the number it has in the PDF written.
using ImportedObjects = std::map<std::pair<int, int>, int>;

// What a PDF form may bring before it is refused as TooLarge: it is read whole when loaded, every
// stream decoded once, and each page's content kept decoded. The defaults let through a scanned
// A4 letterhead in colour at 600 dpi (a picture of 104 MB decoded) and vector forms of many MB.
struct PdfFormLimits {
  std::uint64_t StreamBytes = std::uint64_t{256} << 20;   // one stream decoded, or one page's content
  std::uint64_t DecodedBytes = std::uint64_t{512} << 20;  // all together, a page's content for each page
  // One cross-reference or object stream, which qpdf decodes whole as it reads and then parses.
  std::uint64_t ObjectStreamBytes = std::uint64_t{16} << 20;
  std::uint64_t Objects = 100'000;  // in the file, and nodes of its page tree
  std::uint64_t Pages = 1'000;      // as the page tree names them, a page named twice counted twice
  std::uint32_t Seconds = 20;       // reading and checking it
};

class PdfForm {
 public:
  // The PDF in `bytes` (the file `path`), checked page by page: its content and every object the
  // page reaches read, streams decoded. Raises FormError.
  static std::unique_ptr<PdfForm> Open(std::string bytes, const std::string& path, const PdfFormLimits& limits = {});
  ~PdfForm();
  PdfForm(const PdfForm&) = delete;
  PdfForm& operator=(const PdfForm&) = delete;

  int PageCount() const;
  // The page's box: its TrimBox, else its CropBox, else its MediaBox; and its /Rotate.
  const FormBox& Box(int page) const;
  // Writes page `page` into `writer` as a form XObject whose box is Box(page), with its
  // resources and every object they reach, each under a number of its own in `writer`; an object
  // that `written` holds already (an earlier page's font, say) is referred to, not written again.
  // Returns the XObject's number. Raises EPrinter when the file fails to give what it gave once.
  int Write(int page, PdfWriter& writer, ImportedObjects& written) const;

  struct State;

 private:
  explicit PdfForm(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace prynda
