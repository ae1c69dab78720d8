#include "printers/pdf/png_picture.h"

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <cstring>

namespace prynda {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

[[noreturn]] void Damaged(const char* what) { throw FormError(FormProblem::DamagedPng, what); }

}  // namespace

FormPicture DecodePng(const std::string& bytes) {
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) Damaged("GDI+ cannot be started");
  struct Shutdown {
    ULONG_PTR token;
    ~Shutdown() { GdiplusShutdown(token); }
  } shutdown{token};
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  if (stream == nullptr) Damaged("out of memory");
  struct Released {  // after the bitmap: GDI+ reads the stream while the bitmap lives
    IStream* stream;
    ~Released() { stream->Release(); }
  } released{stream};
  GpBitmap* bitmap = nullptr;
  const GpStatus created = GdipCreateBitmapFromStream(stream, &bitmap);
  if (created != Ok || bitmap == nullptr) Damaged("GDI+ cannot decode it");
  struct Disposed {
    GpBitmap* bitmap;
    ~Disposed() { GdipDisposeImage(bitmap); }
  } disposed{bitmap};
  UINT width = 0;
  UINT height = 0;
  if (GdipGetImageWidth(bitmap, &width) != Ok || GdipGetImageHeight(bitmap, &height) != Ok || width == 0 ||
      height == 0) {
    Damaged("GDI+ finds no picture in it");
  }
  if (static_cast<std::int64_t>(width) * height > kMostFormDots) {
    throw FormError(FormProblem::TooLarge, std::to_string(width) + " x " + std::to_string(height));
  }
  // Blue, green, red and alpha a dot, not premultiplied; each laid on white here.
  const GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  BitmapData data{};
  if (GdipBitmapLockBits(bitmap, &all, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok) {
    Damaged("GDI+ cannot decode it");
  }
  FormPicture picture;
  picture.Width = static_cast<int>(width);
  picture.Height = static_cast<int>(height);
  picture.Channels = 3;
  picture.Dots.resize(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* out = picture.Dots.data();
  for (UINT row = 0; row < height; ++row) {
    const auto* in = static_cast<const std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(row) * data.Stride;
    for (UINT column = 0; column < width; ++column, in += 4) {
      const unsigned alpha = in[3];
      for (int channel = 2; channel >= 0; --channel) {
        *out++ = static_cast<std::uint8_t>((in[channel] * alpha + 255 * (255 - alpha) + 127) / 255);
      }
    }
  }
  GdipBitmapUnlockBits(bitmap, &data);
  return picture;
}

}  // namespace prynda
