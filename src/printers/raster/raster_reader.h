// Pages of dots in the raster formats of driverless printing, PWG raster and Apple raster, read
// page by page (Linux: libcups's raster reader, opened at run time; Windows has none). Each page
// becomes grey or RGB dots of 8 bits: black and white, grey, RGB and CMYK pages of 1, 8 or 16 bits
// a colour are read. A page of more than kMostRasterPageDots dots (A4 at more than 600 dpi) is
// reduced as it is read, by the smallest whole factor that brings it under, each dot the mean of
// those it stands for; one of more than kMostRasterDots dots, or kMostRasterSide a side, is
// refused. A page's dots are kept from page to page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "printers/pictures/pictures.h"

namespace prynda {

enum class RasterProblem {
  NoReader,  // this build, or this machine, reads no raster (Windows; a libcups without a reader)
  Damaged,   // not a raster file, a page it cannot read, or one in a colour space it does not print
  TooLarge,  // a page of more than kMostRasterDots dots, or kMostRasterSide a side
};

using RasterError = ProblemError<RasterProblem>;

// Fuzzing builds keep far smaller pages, so that a fuzzer's pages cost it little.
#ifdef PRYNDA_FUZZING_LIMITS
inline constexpr std::int64_t kMostRasterPageDots = 1 << 12;
inline constexpr std::int64_t kMostRasterSide = 1 << 10;
#else
inline constexpr std::int64_t kMostRasterPageDots = kMostPictureDots;
inline constexpr std::int64_t kMostRasterSide = 1 << 20;
#endif
inline constexpr std::int64_t kMostRasterDots = 4 * kMostRasterPageDots;

// A page's dots (their resolution as read, after any reduction) and the sheet it was made for.
struct RasterPage : Picture {
  double WidthPoints = 0;
  double HeightPoints = 0;
};

class RasterReader {
 public:
  // The raster document in the file at `path` from byte `offset` on; raises RasterError.
  static std::unique_ptr<RasterReader> Open(const std::string& path, std::uint64_t offset);
  virtual ~RasterReader() = default;

  // The next page into `page`; false after the last. Raises RasterError (for a document without
  // a page too).
  virtual bool NextPage(RasterPage& page) = 0;
};

}  // namespace prynda
