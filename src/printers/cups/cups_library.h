// libcups, opened the first time a CUPS call is needed rather than when the program starts: its
// start-up (TLS libraries and all) then runs while the fonts load on another thread, and a run
// that prints nothing does not pay for it.
#pragma once

#include <cups/cups.h>
#include <cups/raster.h>

#include "platform/runtime_library.h"

namespace prynda {

#define PRYNDA_CUPS_FUNCTIONS(X)                                                                      \
  X(cupsAddOption) X(cupsCancelDestJob) X(cupsCopyDest) X(cupsCopyDestInfo) X(cupsCreateDestJob)      \
  X(cupsDoRequest) X(cupsEncryption) X(cupsFindDestDefault) X(cupsFinishDestDocument)                 \
  X(cupsFreeDestInfo) X(cupsFreeDests) X(cupsFreeOptions) X(cupsGetDestMediaByName)                   \
  X(cupsGetDestMediaBySize) X(cupsGetDests2) X(cupsGetOption)                                         \
  X(cupsCheckDestSupported) X(cupsFindDestSupported)                                                 \
  X(cupsLastErrorString) X(cupsParseOptions) X(cupsServer) X(cupsSetUser) X(cupsStartDestDocument)    \
  X(cupsWriteRequestData) X(httpAssembleURIf) X(httpClose) X(httpConnect2) X(ippAddString)            \
  X(ippAddStrings) X(ippDelete) X(ippFindAttribute) X(ippGetCount) X(ippGetInteger)                   \
  X(ippGetResolution) X(ippGetStatusCode) X(ippGetString) X(ippGetValueTag) X(ippNewRequest)          \
  X(ippPort)

struct CupsLibrary {
  PRYNDA_CUPS_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// The library's functions; nullptr when libcups is not installed (then there are no CUPS printers).
const CupsLibrary* Cups();

// Its raster reader (in libcups itself since CUPS 2.3), opened as the rest of it is, on its own:
// an older libcups still prints, it only reads no raster.
#define PRYNDA_CUPS_RASTER_FUNCTIONS(X) \
  X(cupsRasterOpenIO) X(cupsRasterReadHeader2) X(cupsRasterReadPixels) X(cupsRasterClose) X(cupsRasterErrorString)

struct CupsRasterLibrary {
  PRYNDA_CUPS_RASTER_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// nullptr when libcups is not installed or has no raster reader.
const CupsRasterLibrary* CupsRaster();

}  // namespace prynda
