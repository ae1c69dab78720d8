// A PDF form's pages, read through qpdf's library on Linux (pdf_form_qpdf.cc; the library is opened
// when a PDF form is first loaded, so that a job without one never loads it); a build without it
// refuses PDF forms (pdf_form_none.cc).
#pragma once

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

class PdfForm {
 public:
  // The PDF in `bytes` (the file `path`), checked page by page: its content and every object the
  // page reaches read, streams decoded. Raises FormError.
  static std::unique_ptr<PdfForm> Open(std::string bytes, const std::string& path);
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
