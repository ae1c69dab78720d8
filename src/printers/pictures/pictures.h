// Pictures decoded from the files of the common picture formats into grey or RGB dots, as they lie
// on white paper (transparent dots white). Each decoder reads the picture's size first and refuses
// one of more than kMostPictureDots dots before it decodes, so a picture never takes more memory
// than its dots. Linux: libpng (linked), libjpeg-turbo, libtiff, giflib and gdk-pixbuf's BMP
// loader, each opened at run time when a picture of its format first comes; Windows: GDI+.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/print_system.h"
#include "printers/problem_error.h"

namespace prynda {

enum class PictureFormat { Png, Jpeg, Tiff, Gif, Bmp };

enum class PictureProblem {
  NoDecoder,  // this build, or this machine, has no decoder for the format
  Damaged,    // the bytes are not a picture of the format, or one that cannot be decoded
  TooLarge,   // more than kMostPictureDots dots
};

using PictureError = ProblemError<PictureProblem>;

// The most dots a picture may have: A4 at 600 dpi is 35 million. Fuzzing builds allow far fewer,
// so that the pictures a fuzzer makes up are decoded quickly.
#ifdef PRYNDA_FUZZING_LIMITS
inline constexpr std::int64_t kMostPictureDots = 1 << 14;
#else
inline constexpr std::int64_t kMostPictureDots = 64'000'000;
#endif

// A picture's dots: rows from the top, Channels bytes a dot (1: grey, 3: red, green, blue), no
// padding; the resolution where the file states one (dots an inch), else 0.
struct Picture {
  int Width = 0;
  int Height = 0;
  int Channels = 3;
  std::vector<std::uint8_t> Dots;
  double DpiX = 0;
  double DpiY = 0;

  TImage Image() const { return TImage{Width, Height, Channels, Width * Channels, Dots.data()}; }
};

// The picture in `bytes`; raises PictureError.
Picture DecodePicture(PictureFormat format, std::span<const std::uint8_t> bytes);

// The format's name as people know it ("PNG", "JPEG", ...).
const char* PictureFormatName(PictureFormat format);

}  // namespace prynda
