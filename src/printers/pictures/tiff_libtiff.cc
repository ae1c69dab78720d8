// TIFF by libtiff, from memory: its first picture, every kind libtiff's RGBA interface reads, taken
// a band of rows at a time so that only the picture's own dots are kept whole.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "printers/pictures/decoders.h"
#include "printers/pictures/picture_libraries.h"

namespace prynda {

namespace {

// The most libtiff may take at once for one strip or tile.
constexpr tmsize_t kMostTiffAllocation = 256 << 20;
// A band of rows as libtiff gives them, 4 bytes a dot: some 16 MB at most, a row at least.
constexpr std::size_t kBandDots = 4 << 20;

// The file in memory as libtiff reads it.
struct Memory {
  PictureBytes Bytes;
  std::uint64_t At = 0;
};

tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size) {
  Memory& memory = *static_cast<Memory*>(handle);
  if (size < 0 || memory.At >= memory.Bytes.size()) return 0;
  const std::uint64_t count = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), memory.Bytes.size() - memory.At);
  std::memcpy(buffer, memory.Bytes.data() + memory.At, count);
  memory.At += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  Memory& memory = *static_cast<Memory*>(handle);
  const std::uint64_t base = whence == SEEK_CUR ? memory.At : whence == SEEK_END ? memory.Bytes.size() : 0;
  memory.At = base + offset;
  return memory.At;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return static_cast<Memory*>(handle)->Bytes.size(); }
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

// libtiff's messages: the first error is kept for the reason, warnings are dropped.
int Message(TIFF*, void* kept, const char*, const char* format, va_list args) {
  auto& text = *static_cast<std::string*>(kept);
  if (text.empty()) {
    char line[256];
    std::vsnprintf(line, sizeof line, format, args);
    text = line;
  }
  return 1;
}
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// A channel of libtiff's dots, whose colour is premultiplied by their alpha, on white paper.
std::uint8_t PremultipliedOnWhite(unsigned value, unsigned alpha) {
  return static_cast<std::uint8_t>(std::min(255u, value + 255u - alpha));
}

}  // namespace

Picture DecodeTiff(PictureBytes bytes) {
  const TiffLibrary* tiff = Tiff();
  if (tiff == nullptr) NoPictureDecoder(PictureFormat::Tiff, "libtiff (libtiff6)");
  std::string failure;
  TIFFOpenOptions* options = tiff->TIFFOpenOptionsAlloc();
  if (options == nullptr) PictureDamaged(PictureFormat::Tiff, "out of memory");
  tiff->TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMostTiffAllocation);
  tiff->TIFFOpenOptionsSetErrorHandlerExtR(options, Message, &failure);
  tiff->TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  Memory memory{bytes};
  TIFF* file = tiff->TIFFClientOpenExt("picture", "rm", &memory, Read, Write, Seek, Close, Size, Map, Unmap, options);
  tiff->TIFFOpenOptionsFree(options);
  if (file == nullptr) PictureDamaged(PictureFormat::Tiff, failure.empty() ? "not a TIFF file" : failure);
  struct Closed {
    const TiffLibrary* tiff;
    TIFF* file;
    ~Closed() { tiff->TIFFClose(file); }
  } closed{tiff, file};

  std::uint32_t width = 0, height = 0;
  tiff->TIFFGetField(file, TIFFTAG_IMAGEWIDTH, &width);
  tiff->TIFFGetField(file, TIFFTAG_IMAGELENGTH, &height);
  std::uint16_t samples = 1, photometric = PHOTOMETRIC_RGB;
  tiff->TIFFGetFieldDefaulted(file, TIFFTAG_SAMPLESPERPIXEL, &samples);
  tiff->TIFFGetField(file, TIFFTAG_PHOTOMETRIC, &photometric);
  const bool grey = samples == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
  Picture picture = NewPicture(PictureFormat::Tiff, width, height, grey ? 1 : 3);

  char why[1024] = "";
  if (!tiff->TIFFRGBAImageOK(file, why)) PictureDamaged(PictureFormat::Tiff, why);
  TIFFRGBAImage image{};
  if (!tiff->TIFFRGBAImageBegin(&image, file, 0, why)) PictureDamaged(PictureFormat::Tiff, why);
  struct Ended {
    const TiffLibrary* tiff;
    TIFFRGBAImage& image;
    ~Ended() { tiff->TIFFRGBAImageEnd(&image); }
  } ended{tiff, image};
  image.req_orientation = ORIENTATION_TOPLEFT;
  const std::uint32_t band_rows = static_cast<std::uint32_t>(std::clamp<std::size_t>(kBandDots / width, 1, height));
  std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * band_rows);
  std::uint8_t* out = picture.Dots.data();
  for (std::uint32_t row = 0; row < height; row += band_rows) {
    const std::uint32_t rows = std::min(band_rows, height - row);
    image.row_offset = static_cast<int>(row);
    image.col_offset = 0;
    if (!tiff->TIFFRGBAImageGet(&image, band.data(), width, rows)) {
      PictureDamaged(PictureFormat::Tiff, failure.empty() ? "its dots cannot be read" : failure);
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * rows; ++i) {
      const std::uint32_t dot = band[i];
      const unsigned alpha = TIFFGetA(dot);
      *out++ = PremultipliedOnWhite(TIFFGetR(dot), alpha);
      if (grey) continue;
      *out++ = PremultipliedOnWhite(TIFFGetG(dot), alpha);
      *out++ = PremultipliedOnWhite(TIFFGetB(dot), alpha);
    }
  }

  float x = 0, y = 0;
  std::uint16_t unit = RESUNIT_INCH;
  tiff->TIFFGetFieldDefaulted(file, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (tiff->TIFFGetField(file, TIFFTAG_XRESOLUTION, &x) && tiff->TIFFGetField(file, TIFFTAG_YRESOLUTION, &y) &&
      x > 0 && y > 0 && (unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER)) {
    picture.DpiX = unit == RESUNIT_INCH ? x : x * 2.54;
    picture.DpiY = unit == RESUNIT_INCH ? y : y * 2.54;
  }
  return picture;
}

}  // namespace prynda
