// What the decoders of the picture formats share (pictures.h): one decoder a format, defined by the
// platform's files, and the checks and conversions every decoder makes the same way.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "printers/pictures/pictures.h"

namespace prynda {

using PictureBytes = std::span<const std::uint8_t>;

// Each raises PictureError; a picture of no colour may come back with three channels.
Picture DecodePng(PictureBytes bytes);
Picture DecodeJpeg(PictureBytes bytes);
Picture DecodeTiff(PictureBytes bytes);
Picture DecodeGif(PictureBytes bytes);
Picture DecodeBmp(PictureBytes bytes);

[[noreturn]] void PictureDamaged(PictureFormat format, const std::string& why);
[[noreturn]] void NoPictureDecoder(PictureFormat format, const std::string& library);

// Raises PictureError for a picture of width x height dots: Damaged for an empty size, TooLarge
// past kMostPictureDots.
void CheckPictureSize(PictureFormat format, std::int64_t width, std::int64_t height);
// A picture of width x height dots and `channels` channels, its dots not yet set; its size checked.
Picture NewPicture(PictureFormat format, std::int64_t width, std::int64_t height, int channels);

// A channel `value` seen through `alpha` (255: opaque) on white paper.
inline std::uint8_t OnWhite(unsigned value, unsigned alpha) {
  return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Dots a metre or a centimetre as dots an inch.
inline constexpr double kInchesPerMetre = 1 / 0.0254;

}  // namespace prynda
