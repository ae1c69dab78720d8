// PNG by libpng's simplified interface; the chunks are walked here first, for their lengths and the
// resolution, which it does not read.
#include <png.h>

#include <cstring>

#include "printers/pictures/decoders.h"

namespace prynda {

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Walks the chunks: false where one says it is longer than what is left of the file (libpng
// takes the memory a chunk says it needs before it reads it). The resolution from the pHYs chunk,
// where one comes before the picture's data.
bool CheckChunks(PictureBytes bytes, Picture& picture) {
  bool data = false;
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = BigEndian32(&bytes[at]);
    const std::uint8_t* type = &bytes[at + 4];
    if (length > bytes.size() - at - 12) return false;
    if (std::memcmp(type, "IEND", 4) == 0) break;  // what follows is none of the picture's
    if (std::memcmp(type, "IDAT", 4) == 0) data = true;
    if (!data && std::memcmp(type, "pHYs", 4) == 0 && length == 9 && bytes[at + 16] == 1) {
      picture.DpiX = BigEndian32(&bytes[at + 8]) / kInchesPerMetre;
      picture.DpiY = BigEndian32(&bytes[at + 12]) / kInchesPerMetre;
    }
    at += 12 + length;
  }
  return true;
}

}  // namespace

Picture DecodePng(PictureBytes bytes) {
  Picture resolution;
  if (!CheckChunks(bytes, resolution)) PictureDamaged(PictureFormat::Png, "a chunk longer than the file");
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  struct Freed {
    png_image& image;
    ~Freed() { png_image_free(&image); }
  } freed{image};
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    PictureDamaged(PictureFormat::Png, image.message);
  }
  Picture picture = NewPicture(PictureFormat::Png, image.width, image.height, 3);
  image.format = PNG_FORMAT_RGB;
  png_color white{255, 255, 255};  // the paper that transparent dots let show
  if (!png_image_finish_read(&image, &white, picture.Dots.data(), 0, nullptr)) {
    PictureDamaged(PictureFormat::Png, image.message);
  }
  picture.DpiX = resolution.DpiX;
  picture.DpiY = resolution.DpiY;
  return picture;
}

}  // namespace prynda
