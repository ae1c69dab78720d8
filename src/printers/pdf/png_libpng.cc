#include "printers/pdf/png_picture.h"

#include <png.h>

namespace prynda {

FormPicture DecodePng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  struct Freed {
    png_image& image;
    ~Freed() { png_image_free(&image); }
  } freed{image};
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    throw FormError(FormProblem::DamagedPng, image.message);
  }
  if (static_cast<std::int64_t>(image.width) * image.height > kMostFormDots) {
    throw FormError(FormProblem::TooLarge, std::to_string(image.width) + " x " + std::to_string(image.height));
  }
  image.format = PNG_FORMAT_RGB;
  FormPicture picture;
  picture.Width = static_cast<int>(image.width);
  picture.Height = static_cast<int>(image.height);
  picture.Channels = 3;
  picture.Dots.resize(PNG_IMAGE_SIZE(image));
  png_color white{255, 255, 255};  // the paper that transparent dots let show
  if (!png_image_finish_read(&image, &white, picture.Dots.data(), 0, nullptr)) {
    throw FormError(FormProblem::DamagedPng, image.message);
  }
  return picture;
}

}  // namespace prynda
