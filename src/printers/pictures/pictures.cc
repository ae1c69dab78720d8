#include "printers/pictures/pictures.h"

#include "printers/pictures/decoders.h"

namespace prynda {

namespace {

// A picture with no colour in it keeps one channel: a third of the data to write.
void GreyWhereItIs(Picture& picture) {
  if (picture.Channels != 3) return;
  std::vector<std::uint8_t>& dots = picture.Dots;
  for (std::size_t i = 0; i + 2 < dots.size(); i += 3) {
    if (dots[i] != dots[i + 1] || dots[i] != dots[i + 2]) return;
  }
  const std::size_t count = dots.size() / 3;
  for (std::size_t i = 0; i < count; ++i) dots[i] = dots[i * 3];
  dots.resize(count);
  dots.shrink_to_fit();
  picture.Channels = 1;
}

}  // namespace

const char* PictureFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Bmp: return "BMP";
  }
  return "?";
}

void PictureDamaged(PictureFormat format, const std::string& why) {
  throw PictureError(PictureProblem::Damaged, std::string(PictureFormatName(format)) + ": " + why);
}

void NoPictureDecoder(PictureFormat format, const std::string& library) {
  throw PictureError(PictureProblem::NoDecoder,
                     std::string(PictureFormatName(format)) + " pictures need " + library + ", which is not installed");
}

void CheckPictureSize(PictureFormat format, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) PictureDamaged(format, "a picture without dots");
  if (width > kMostPictureDots || height > kMostPictureDots || width * height > kMostPictureDots) {
    throw PictureError(PictureProblem::TooLarge, std::string(PictureFormatName(format)) + ": " +
                                                     std::to_string(width) + " x " + std::to_string(height) +
                                                     " dots, more than a picture may have");
  }
}

Picture NewPicture(PictureFormat format, std::int64_t width, std::int64_t height, int channels) {
  CheckPictureSize(format, width, height);
  Picture picture;
  picture.Width = static_cast<int>(width);
  picture.Height = static_cast<int>(height);
  picture.Channels = channels;
  picture.Dots.resize(static_cast<std::size_t>(width * height * channels));
  return picture;
}

Picture DecodePicture(PictureFormat format, std::span<const std::uint8_t> bytes) {
  Picture picture;
  switch (format) {
    case PictureFormat::Png: picture = DecodePng(bytes); break;
    case PictureFormat::Jpeg: picture = DecodeJpeg(bytes); break;
    case PictureFormat::Tiff: picture = DecodeTiff(bytes); break;
    case PictureFormat::Gif: picture = DecodeGif(bytes); break;
    case PictureFormat::Bmp: picture = DecodeBmp(bytes); break;
  }
  if (picture.Dots.empty()) PictureDamaged(format, "no picture");
  GreyWhereItIs(picture);
  return picture;
}

}  // namespace prynda
