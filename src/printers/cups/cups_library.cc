#include "printers/cups/cups_library.h"

namespace prynda {

const CupsLibrary* Cups() {
  static CupsLibrary functions;
  static const bool loaded = PRYNDA_LOAD_LIBRARY("libcups.so.2", PRYNDA_CUPS_FUNCTIONS, functions);
  return loaded ? &functions : nullptr;
}

}  // namespace prynda
