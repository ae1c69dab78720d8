#include "printers/cups/cups_library.h"

namespace prynda {

namespace {

constexpr char kLibcups[] = "libcups.so.2";

}  // namespace

const CupsLibrary* Cups() {
  static CupsLibrary functions;
  static const bool loaded = PRYNDA_LOAD_LIBRARY(kLibcups, PRYNDA_CUPS_FUNCTIONS, functions);
  return loaded ? &functions : nullptr;
}

const CupsRasterLibrary* CupsRaster() {
  static CupsRasterLibrary functions;
  static const bool loaded = PRYNDA_LOAD_LIBRARY(kLibcups, PRYNDA_CUPS_RASTER_FUNCTIONS, functions);
  return loaded ? &functions : nullptr;
}

}  // namespace prynda
