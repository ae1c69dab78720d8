// A PDF read through qpdf's library (qpdf_library.h, which must be loaded) within limits, for PDF
// forms and for the check of documents handed on: its bytes are scanned first (pdf_scan.h), then
// read by qpdf from memory, the object streams its cross-reference streams list measured as qpdf
// decodes them (decrypted, where it is encrypted) before any object in them is read, and its page
// tree walked here, a page named n times counted n times, before anything asks qpdf for its pages.
// The bytes must outlive the document.
#pragma once

#include <qpdf/qpdf-c.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printers/pdf/pdf_filters.h"
#include "printers/pdf/pdf_scan.h"

namespace prynda {

class QpdfDocument {
 public:
  QpdfDocument();
  ~QpdfDocument();
  QpdfDocument(const QpdfDocument&) = delete;
  QpdfDocument& operator=(const QpdfDocument&) = delete;

  qpdf_data Handle() const { return q_; }

  // Reads `bytes`, called `name` in qpdf's messages. Raises PdfReadError: the limit passed of
  // `limits` or `budget`, or Damaged with qpdf's reason.
  void Read(std::string_view bytes, const std::string& name, const PdfReadLimits& limits, DecodeBudget& budget);
  // The pages of the page tree as a printer prints them: every dictionary it names that names no
  // kids, as often as it names it; none without a page tree. Raises PdfReadError: Pages past
  // limits.Pages, Objects past limits.Objects nodes, Damaged where the tree leads back into itself.
  std::uint64_t CountPages(const PdfReadLimits& limits) const;

  // A stream's filters as qpdf reads them from its dictionary; nullopt where one is not among
  // pdf_filters.h's or they are no filters at all (qpdf does not decode the stream then).
  std::optional<std::vector<PdfFilterStep>> Filters(qpdf_oh dictionary) const;

  bool Failed() const;
  // What the library last reported as an error.
  std::string Failure() const;
  // Forgets the warnings so far: the library repairs what it can of a file's structure, and says so.
  void ForgetWarnings() const;
  // Data that decoding warned of is damaged: what is read is not what was written.
  bool Warned() const;

 private:
  void MeasureObjectStreams(const PdfScan& scan, const PdfReadLimits& limits, DecodeBudget& budget) const;

  qpdf_data q_ = nullptr;
};

}  // namespace prynda
