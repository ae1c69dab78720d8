// Every picture decoder over arbitrary bytes, the first byte choosing the format: a picture comes
// back whole, with as many dots as it says, or PictureError is raised.
#include <cstdint>

#include "printers/pictures/pictures.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const auto format = static_cast<PictureFormat>(data[0] % 5);
  try {
    const Picture picture = DecodePicture(format, {data + 1, size - 1});
    if (picture.Width <= 0 || picture.Height <= 0 || (picture.Channels != 1 && picture.Channels != 3) ||
        picture.Dots.size() != static_cast<std::size_t>(picture.Width) * picture.Height * picture.Channels ||
        static_cast<std::int64_t>(picture.Width) * picture.Height > kMostPictureDots) {
      __builtin_trap();
    }
  } catch (const PictureError&) {
  }
  return 0;
}
