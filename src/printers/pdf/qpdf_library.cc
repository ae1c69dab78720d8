#include "printers/pdf/qpdf_library.h"

namespace prynda {

const QpdfLibrary* Qpdf() {
  static QpdfLibrary functions;
  static const bool loaded = PRYNDA_LOAD_LIBRARY("libqpdf.so.29", PRYNDA_QPDF_FUNCTIONS, functions);
  return loaded ? &functions : nullptr;
}

}  // namespace prynda
