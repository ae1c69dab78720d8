// The libraries that decode pictures (Linux), each opened the first time a picture of its format
// comes: a job without pictures never loads them, and a machine without one still prints every
// other format. gdk-pixbuf's few functions are declared here: the program needs no more of it.
#pragma once

#include <gif_lib.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include <cstddef>

#include "platform/runtime_library.h"

extern "C" {
typedef struct _GdkPixbufLoader GdkPixbufLoader;
typedef struct _GdkPixbuf GdkPixbuf;
struct PixbufError {  // GLib's GError
  unsigned Domain;
  int Code;
  char* Message;
};
GdkPixbufLoader* gdk_pixbuf_loader_new_with_type(const char* image_type, PixbufError** error);
int gdk_pixbuf_loader_write(GdkPixbufLoader* loader, const unsigned char* buf, std::size_t count, PixbufError** error);
int gdk_pixbuf_loader_close(GdkPixbufLoader* loader, PixbufError** error);
GdkPixbuf* gdk_pixbuf_loader_get_pixbuf(GdkPixbufLoader* loader);
int gdk_pixbuf_get_width(const GdkPixbuf* pixbuf);
int gdk_pixbuf_get_height(const GdkPixbuf* pixbuf);
int gdk_pixbuf_get_n_channels(const GdkPixbuf* pixbuf);
int gdk_pixbuf_get_bits_per_sample(const GdkPixbuf* pixbuf);
int gdk_pixbuf_get_rowstride(const GdkPixbuf* pixbuf);
const unsigned char* gdk_pixbuf_read_pixels(const GdkPixbuf* pixbuf);
void g_object_unref(void* object);
void g_error_free(PixbufError* error);
}

namespace prynda {

#define PRYNDA_TURBOJPEG_FUNCTIONS(X) \
  X(tjInitDecompress) X(tjDecompressHeader3) X(tjDecompress2) X(tjDestroy) X(tjGetErrorStr2)

#define PRYNDA_TIFF_FUNCTIONS(X)                                                                          \
  X(TIFFClientOpenExt) X(TIFFOpenOptionsAlloc) X(TIFFOpenOptionsFree) X(TIFFOpenOptionsSetMaxSingleMemAlloc) \
  X(TIFFOpenOptionsSetErrorHandlerExtR) X(TIFFOpenOptionsSetWarningHandlerExtR) X(TIFFClose) X(TIFFGetField) \
  X(TIFFGetFieldDefaulted) X(TIFFRGBAImageOK) X(TIFFRGBAImageBegin) X(TIFFRGBAImageGet) X(TIFFRGBAImageEnd)

#define PRYNDA_GIF_FUNCTIONS(X)                                                                    \
  X(DGifOpen) X(DGifCloseFile) X(DGifGetRecordType) X(DGifGetImageDesc) X(DGifGetLine)             \
  X(DGifGetExtension) X(DGifGetExtensionNext) X(DGifExtensionToGCB) X(GifErrorString)

#define PRYNDA_PIXBUF_FUNCTIONS(X)                                                                       \
  X(gdk_pixbuf_loader_new_with_type) X(gdk_pixbuf_loader_write) X(gdk_pixbuf_loader_close)               \
  X(gdk_pixbuf_loader_get_pixbuf) X(gdk_pixbuf_get_width) X(gdk_pixbuf_get_height)                       \
  X(gdk_pixbuf_get_n_channels) X(gdk_pixbuf_get_bits_per_sample) X(gdk_pixbuf_get_rowstride)            \
  X(gdk_pixbuf_read_pixels) X(g_object_unref) X(g_error_free)

struct TurboJpegLibrary {
  PRYNDA_TURBOJPEG_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};
struct TiffLibrary {
  PRYNDA_TIFF_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};
struct GifLibrary {
  PRYNDA_GIF_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};
struct PixbufLibrary {
  PRYNDA_PIXBUF_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// Each library's functions; nullptr when it is not installed or lacks one of them.
const TurboJpegLibrary* TurboJpeg();  // libjpeg-turbo's TurboJPEG: JPEG
const TiffLibrary* Tiff();            // libtiff 4.5 or later: TIFF
const GifLibrary* Gif();              // giflib 5: GIF
const PixbufLibrary* Pixbuf();        // gdk-pixbuf with its BMP loader: BMP

}  // namespace prynda
