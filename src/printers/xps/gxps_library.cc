#include "printers/xps/gxps_library.h"

namespace prynda {

const GxpsLibrary* Gxps() {
  static GxpsLibrary functions;
  static const bool loaded = PRYNDA_LOAD_LIBRARY("libgxps.so.2", PRYNDA_GXPS_FUNCTIONS, functions);
  return loaded ? &functions : nullptr;
}

}  // namespace prynda
