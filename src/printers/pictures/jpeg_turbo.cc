// JPEG by libjpeg-turbo's TurboJPEG: grey pictures as grey, CMYK ones (Adobe's inverted ones too)
// made RGB in place. The resolution from the JFIF header, which TurboJPEG does not read.
#include <cstring>

#include "printers/pictures/decoders.h"
#include "printers/pictures/picture_libraries.h"

namespace prynda {

namespace {

struct Markers {
  double DpiX = 0, DpiY = 0;
  bool Adobe = false;  // an Adobe segment: CMYK is stored inverted
};

// The segments before the first scan: JFIF's density, Adobe's mark.
Markers ReadMarkers(PictureBytes bytes) {
  Markers markers;
  for (std::size_t at = 2; at + 4 <= bytes.size() && bytes[at] == 0xFF;) {
    const std::uint8_t marker = bytes[at + 1];
    if (marker == 0xDA || marker == 0xD9) break;  // the scan, or the end
    const std::size_t length = std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
    if (length < 2 || at + 2 + length > bytes.size()) break;
    const std::uint8_t* data = &bytes[at + 4];
    if (marker == 0xE0 && length >= 16 && std::memcmp(data, "JFIF\0", 5) == 0) {
      const int units = data[7];
      const double x = data[8] << 8 | data[9];
      const double y = data[10] << 8 | data[11];
      if (units == 1 || units == 2) {
        markers.DpiX = units == 1 ? x : x * 2.54;
        markers.DpiY = units == 1 ? y : y * 2.54;
      }
    }
    if (marker == 0xEE && length >= 7 && std::memcmp(data, "Adobe", 5) == 0) markers.Adobe = true;
    at += 2 + length;
  }
  return markers;
}

}  // namespace

Picture DecodeJpeg(PictureBytes bytes) {
  const TurboJpegLibrary* jpeg = TurboJpeg();
  if (jpeg == nullptr) NoPictureDecoder(PictureFormat::Jpeg, "libjpeg-turbo (libturbojpeg0)");
  tjhandle handle = jpeg->tjInitDecompress();
  if (handle == nullptr) PictureDamaged(PictureFormat::Jpeg, "the decoder cannot be started");
  struct Destroyed {
    const TurboJpegLibrary* jpeg;
    tjhandle handle;
    ~Destroyed() { jpeg->tjDestroy(handle); }
  } destroyed{jpeg, handle};
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (jpeg->tjDecompressHeader3(handle, bytes.data(), bytes.size(), &width, &height, &subsampling, &colorspace) != 0) {
    PictureDamaged(PictureFormat::Jpeg, jpeg->tjGetErrorStr2(handle));
  }
  const bool grey = colorspace == TJCS_GRAY;
  const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
  Picture picture = NewPicture(PictureFormat::Jpeg, width, height, grey ? 1 : cmyk ? 4 : 3);
  // At most 500 scans of a progressive picture: a few bytes of scans could keep it busy for ever.
  if (jpeg->tjDecompress2(handle, bytes.data(), bytes.size(), picture.Dots.data(), width, 0, height,
                          grey ? TJPF_GRAY : cmyk ? TJPF_CMYK : TJPF_RGB, TJFLAG_LIMITSCANS) != 0) {
    PictureDamaged(PictureFormat::Jpeg, jpeg->tjGetErrorStr2(handle));
  }
  const Markers markers = ReadMarkers(bytes);
  if (cmyk) {
    // Ink on white: each colour is what its ink and the black leave of the paper.
    std::uint8_t* dots = picture.Dots.data();
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* in = dots + i * 4;
      std::uint8_t* out = dots + i * 3;
      const unsigned k = markers.Adobe ? in[3] : 255u - in[3];
      for (int c = 0; c < 3; ++c) {
        const unsigned left = markers.Adobe ? in[c] : 255u - in[c];
        out[c] = static_cast<std::uint8_t>((left * k + 127) / 255);
      }
    }
    picture.Dots.resize(count * 3);
    picture.Channels = 3;
  }
  picture.DpiX = markers.DpiX;
  picture.DpiY = markers.DpiY;
  return picture;
}

}  // namespace prynda
