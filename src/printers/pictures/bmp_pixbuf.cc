// BMP by gdk-pixbuf's BMP loader. Its size is read from the file's header here first, so that a
// picture past the limit is refused before the loader takes memory for it.
#include <cstdlib>
#include <string>

#include "printers/pictures/decoders.h"
#include "printers/pictures/picture_libraries.h"

namespace prynda {

namespace {

std::int64_t LittleEndian(PictureBytes bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return size == 4 ? static_cast<std::int32_t>(value) : value;
}

}  // namespace

Picture DecodeBmp(PictureBytes bytes) {
  // The file header (14 bytes), then the picture's: 12 bytes with 16-bit sizes in the oldest kind,
  // 40 or more with 32-bit ones (a negative height: rows from the top) and the dots a metre.
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') PictureDamaged(PictureFormat::Bmp, "not a BMP file");
  const std::int64_t header = LittleEndian(bytes, 14, 4);
  const bool core = header == 12;
  if (!core && (header < 40 || bytes.size() < 54)) PictureDamaged(PictureFormat::Bmp, "an unknown header");
  const std::int64_t width = LittleEndian(bytes, 18, core ? 2 : 4);
  const std::int64_t height = std::llabs(LittleEndian(bytes, core ? 20 : 22, core ? 2 : 4));
  CheckPictureSize(PictureFormat::Bmp, width, height);
  // The loader takes memory for the header, the palette and the dots as their fields say, before
  // it sees how much of the file there is: fields no real BMP has are refused first.
  const std::int64_t bits = LittleEndian(bytes, core ? 24 : 28, 2);
  const std::int64_t colours = core ? 0 : LittleEndian(bytes, 46, 4);
  const std::int64_t data = LittleEndian(bytes, 10, 4);
  if (header > 124 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
      colours < 0 || colours > 256 || data < 14 + header || data > static_cast<std::int64_t>(bytes.size())) {
    PictureDamaged(PictureFormat::Bmp, "a header no BMP has");
  }

  const PixbufLibrary* pixbuf = Pixbuf();
  if (pixbuf == nullptr) NoPictureDecoder(PictureFormat::Bmp, "gdk-pixbuf (libgdk-pixbuf-2.0-0)");
  PixbufError* error = nullptr;
  const auto failed = [&](const char* why) {
    const std::string text = error != nullptr && error->Message != nullptr ? error->Message : why;
    if (error != nullptr) pixbuf->g_error_free(error);
    PictureDamaged(PictureFormat::Bmp, text);
  };
  GdkPixbufLoader* loader = pixbuf->gdk_pixbuf_loader_new_with_type("bmp", &error);
  if (loader == nullptr) {
    if (error != nullptr) pixbuf->g_error_free(error);
    NoPictureDecoder(PictureFormat::Bmp, "gdk-pixbuf's BMP loader");
  }
  struct Unreferenced {
    const PixbufLibrary* pixbuf;
    GdkPixbufLoader* loader;
    ~Unreferenced() {
      pixbuf->gdk_pixbuf_loader_close(loader, nullptr);
      pixbuf->g_object_unref(loader);
    }
  } unreferenced{pixbuf, loader};
  if (!pixbuf->gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), &error)) failed("it cannot be decoded");
  if (!pixbuf->gdk_pixbuf_loader_close(loader, &error)) failed("it cannot be decoded");
  const GdkPixbuf* image = pixbuf->gdk_pixbuf_loader_get_pixbuf(loader);
  if (image == nullptr) failed("no picture in it");
  const int channels = pixbuf->gdk_pixbuf_get_n_channels(image);
  if (pixbuf->gdk_pixbuf_get_bits_per_sample(image) != 8 || (channels != 3 && channels != 4)) {
    failed("dots of an unknown kind");
  }
  Picture picture = NewPicture(PictureFormat::Bmp, pixbuf->gdk_pixbuf_get_width(image),
                               pixbuf->gdk_pixbuf_get_height(image), 3);
  const unsigned char* rows = pixbuf->gdk_pixbuf_read_pixels(image);
  const std::size_t stride = static_cast<std::size_t>(pixbuf->gdk_pixbuf_get_rowstride(image));
  std::uint8_t* out = picture.Dots.data();
  for (int row = 0; row < picture.Height; ++row) {
    const unsigned char* in = rows + static_cast<std::size_t>(row) * stride;
    for (int column = 0; column < picture.Width; ++column, in += channels) {
      const unsigned alpha = channels == 4 ? in[3] : 255;
      for (int c = 0; c < 3; ++c) *out++ = OnWhite(in[c], alpha);
    }
  }
  const std::int64_t x = core ? 0 : LittleEndian(bytes, 38, 4);
  const std::int64_t y = core ? 0 : LittleEndian(bytes, 42, 4);
  if (x > 0 && y > 0) {
    picture.DpiX = static_cast<double>(x) / kInchesPerMetre;
    picture.DpiY = static_cast<double>(y) / kInchesPerMetre;
  }
  return picture;
}

}  // namespace prynda
