// GIF by giflib: the first picture of the file on its logical screen, which is white paper where
// the picture does not cover it or is transparent. Read record by record, so that the other
// pictures of an animation are never kept.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "printers/pictures/decoders.h"
#include "printers/pictures/picture_libraries.h"

namespace prynda {

namespace {

struct Memory {
  PictureBytes Bytes;
  std::size_t At = 0;
};

int Read(GifFileType* file, GifByteType* buffer, int size) {
  Memory& memory = *static_cast<Memory*>(file->UserData);
  const std::size_t count = std::min(static_cast<std::size_t>(size < 0 ? 0 : size), memory.Bytes.size() - memory.At);
  std::memcpy(buffer, memory.Bytes.data() + memory.At, count);
  memory.At += count;
  return static_cast<int>(count);
}

// giflib's text for an error; it has none for some of them.
std::string Why(const GifLibrary& gif, int error) {
  const char* text = gif.GifErrorString(error);
  return text != nullptr ? text : "it cannot be decoded";
}

}  // namespace

Picture DecodeGif(PictureBytes bytes) {
  const GifLibrary* gif = Gif();
  if (gif == nullptr) NoPictureDecoder(PictureFormat::Gif, "giflib (libgif7)");
  Memory memory{bytes};
  int error = 0;
  GifFileType* file = gif->DGifOpen(&memory, Read, &error);
  if (file == nullptr) PictureDamaged(PictureFormat::Gif, Why(*gif, error));
  struct Closed {
    const GifLibrary* gif;
    GifFileType* file;
    ~Closed() { gif->DGifCloseFile(file, nullptr); }
  } closed{gif, file};
  const auto failed = [&] { PictureDamaged(PictureFormat::Gif, Why(*gif, file->Error)); };

  Picture picture = NewPicture(PictureFormat::Gif, file->SWidth, file->SHeight, 3);
  std::memset(picture.Dots.data(), 255, picture.Dots.size());
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (gif->DGifGetRecordType(file, &record) == GIF_ERROR) failed();
    if (record == TERMINATE_RECORD_TYPE) PictureDamaged(PictureFormat::Gif, "no picture in it");
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* extension = nullptr;
      if (gif->DGifGetExtension(file, &code, &extension) == GIF_ERROR) failed();
      if (code == GRAPHICS_EXT_FUNC_CODE && extension != nullptr) {
        GraphicsControlBlock control{};
        if (gif->DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK) {
          transparent = control.TransparentColor;
        }
      }
      while (extension != nullptr) {
        if (gif->DGifGetExtensionNext(file, &extension) == GIF_ERROR) failed();
      }
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) continue;
    if (gif->DGifGetImageDesc(file) == GIF_ERROR) failed();
    const GifImageDesc& desc = file->Image;
    const ColorMapObject* colors = desc.ColorMap != nullptr ? desc.ColorMap : file->SColorMap;
    if (colors == nullptr || desc.Width <= 0 || desc.Height <= 0) PictureDamaged(PictureFormat::Gif, "no colours");
    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    // An interlaced picture comes in four passes: every 8th row from 0, every 8th from 4, every
    // 4th from 2, every 2nd from 1.
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      const int start = desc.Interlace ? kStart[pass] : 0;
      const int step = desc.Interlace ? kStep[pass] : 1;
      for (int row = start; row < desc.Height; row += step) {
        if (gif->DGifGetLine(file, line.data(), desc.Width) == GIF_ERROR) failed();
        const long y = static_cast<long>(desc.Top) + row;
        if (y >= picture.Height) continue;
        std::uint8_t* out = picture.Dots.data() + static_cast<std::size_t>(y) * picture.Width * 3;
        for (int column = 0; column < desc.Width; ++column) {
          const long x = static_cast<long>(desc.Left) + column;
          const int index = line[static_cast<std::size_t>(column)];
          if (x >= picture.Width || index == transparent || index >= colors->ColorCount) continue;
          const GifColorType& color = colors->Colors[index];
          std::uint8_t* dot = out + static_cast<std::size_t>(x) * 3;
          dot[0] = color.Red;
          dot[1] = color.Green;
          dot[2] = color.Blue;
        }
      }
    }
    return picture;
  }
}

}  // namespace prynda
