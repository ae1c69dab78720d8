#include "printers/xps/xps_to_pdf.h"

namespace prynda {

void XpsToPdf(const std::string& path, std::uint64_t, HiddenFile&, const XpsLimits&) {
  throw XpsError(XpsProblem::NoConverter, "XPS documents cannot be converted by this build: " + path);
}

}  // namespace prynda
