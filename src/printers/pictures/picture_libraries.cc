#include "printers/pictures/picture_libraries.h"

namespace prynda {

// Defines Name(): the library `soname` with the functions of `list` in a Type, opened at the first call.
#define PRYNDA_PICTURE_LIBRARY(Name, Type, soname, list)                         \
  const Type* Name() {                                                          \
    static Type functions;                                                      \
    static const bool loaded = PRYNDA_LOAD_LIBRARY(soname, list, functions);    \
    return loaded ? &functions : nullptr;                                       \
  }

PRYNDA_PICTURE_LIBRARY(TurboJpeg, TurboJpegLibrary, "libturbojpeg.so.0", PRYNDA_TURBOJPEG_FUNCTIONS)
PRYNDA_PICTURE_LIBRARY(Tiff, TiffLibrary, "libtiff.so.6", PRYNDA_TIFF_FUNCTIONS)
PRYNDA_PICTURE_LIBRARY(Gif, GifLibrary, "libgif.so.7", PRYNDA_GIF_FUNCTIONS)
PRYNDA_PICTURE_LIBRARY(Pixbuf, PixbufLibrary, "libgdk_pixbuf-2.0.so.0", PRYNDA_PIXBUF_FUNCTIONS)

}  // namespace prynda
