// Every format by Windows' own GDI+, which tells the format by the bytes themselves. The size is
// read before the dots are decoded (GDI+ decodes them when they are first asked for).
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include "printers/pictures/decoders.h"

namespace prynda {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

Picture DecodeByGdiplus(PictureFormat format, PictureBytes bytes) {
  const auto damaged = [format](const char* what) { PictureDamaged(format, what); };
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) NoPictureDecoder(format, "GDI+");
  struct Shutdown {
    ULONG_PTR token;
    ~Shutdown() { GdiplusShutdown(token); }
  } shutdown{token};
  if (bytes.size() > 0xFFFFFFFFu) damaged("too long a file");
  IStream* stream = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  if (stream == nullptr) damaged("out of memory");
  struct Released {  // after the bitmap: GDI+ reads the stream while the bitmap lives
    IStream* stream;
    ~Released() { stream->Release(); }
  } released{stream};
  GpBitmap* bitmap = nullptr;
  const GpStatus created = GdipCreateBitmapFromStream(stream, &bitmap);
  if (created != Ok || bitmap == nullptr) damaged("GDI+ cannot decode it");
  struct Disposed {
    GpBitmap* bitmap;
    ~Disposed() { GdipDisposeImage(bitmap); }
  } disposed{bitmap};
  UINT width = 0;
  UINT height = 0;
  if (GdipGetImageWidth(bitmap, &width) != Ok || GdipGetImageHeight(bitmap, &height) != Ok) {
    damaged("GDI+ finds no picture in it");
  }
  Picture picture = NewPicture(format, width, height, 3);
  // Blue, green, red and alpha a dot, not premultiplied; each laid on white here.
  const GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  BitmapData data{};
  if (GdipBitmapLockBits(bitmap, &all, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok) {
    damaged("GDI+ cannot decode it");
  }
  std::uint8_t* out = picture.Dots.data();
  for (UINT row = 0; row < height; ++row) {
    const auto* in = static_cast<const std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(row) * data.Stride;
    for (UINT column = 0; column < width; ++column, in += 4) {
      for (int channel = 2; channel >= 0; --channel) *out++ = OnWhite(in[channel], in[3]);
    }
  }
  GdipBitmapUnlockBits(bitmap, &data);
  REAL x = 0, y = 0;
  if (GdipGetImageHorizontalResolution(bitmap, &x) == Ok && GdipGetImageVerticalResolution(bitmap, &y) == Ok &&
      x > 0 && y > 0) {
    picture.DpiX = x;
    picture.DpiY = y;
  }
  return picture;
}

}  // namespace

Picture DecodePng(PictureBytes bytes) { return DecodeByGdiplus(PictureFormat::Png, bytes); }
Picture DecodeJpeg(PictureBytes bytes) { return DecodeByGdiplus(PictureFormat::Jpeg, bytes); }
Picture DecodeTiff(PictureBytes bytes) { return DecodeByGdiplus(PictureFormat::Tiff, bytes); }
Picture DecodeGif(PictureBytes bytes) { return DecodeByGdiplus(PictureFormat::Gif, bytes); }
Picture DecodeBmp(PictureBytes bytes) { return DecodeByGdiplus(PictureFormat::Bmp, bytes); }

}  // namespace prynda
