#include "printers/pdf/pdf_check.h"

namespace prynda {

PdfCheck CheckPdf(const std::string&, std::uint64_t, const PdfCheckLimits&) {
  PdfCheck check;
  check.Detail = "PDF documents cannot be checked by this build";
  return check;
}

}  // namespace prynda
