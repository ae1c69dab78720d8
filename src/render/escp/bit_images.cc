#include "render/escp/bit_images.h"

namespace prynda::escp {

namespace {

// ESC * m: dots per inch across and bytes per column of each density m.
BitImage ImageOfMode(std::uint8_t m, std::uint32_t columns) {
  BitImage image;
  image.Columns = columns;
  image.BytesPerColumn = m < 32 ? 1 : (m < 64 ? 3 : 6);
  switch (m) {
    case 1: case 2: case 33: image.DotsPerInch = 120; break;
    case 3: image.DotsPerInch = 240; break;
    case 4: image.DotsPerInch = 80; break;
    case 5: image.DotsPerInch = 72; break;
    case 6: case 38: image.DotsPerInch = 90; break;
    case 7: image.DotsPerInch = 144; break;
    case 39: case 71: image.DotsPerInch = 180; break;
    case 40: case 72: case 73: image.DotsPerInch = 360; break;
    default: image.DotsPerInch = 60; break;  // 0, 32 and the densities no printer defines
  }
  return image;
}

std::uint32_t Count(std::uint8_t low, std::uint8_t high) { return low + 256u * high; }

// ESC K, L, Y, Z nL nH: the densities 0, 1, 2, 3 unless ESC ? gave them others.
template <std::size_t Slot>
void ReassignableImage(Fx& fx, const Args& args) {
  TakeBitImage(fx, ImageOfMode(fx.ImageModes[Slot], Count(args[0], args[1])));
}

void SelectBitImage(Fx& fx, const Args& args) { TakeBitImage(fx, ImageOfMode(args[0], Count(args[1], args[2]))); }

// ESC ^ m nL nH: nine-dot columns, two bytes each, at 60 or 120 dots per inch.
void NineDotImage(Fx& fx, const Args& args) {
  BitImage image;
  image.DotsPerInch = args[0] == 1 ? 120 : 60;
  image.Columns = Count(args[1], args[2]);
  image.BytesPerColumn = 2;
  TakeBitImage(fx, image);
}

// ESC ? n m: ESC K, L, Y or Z (n) prints at density m from now on.
void ReassignMode(Fx& fx, const Args& args) {
  switch (args[0]) {
    case 'K': fx.ImageModes[0] = args[1]; break;
    case 'L': fx.ImageModes[1] = args[1]; break;
    case 'Y': fx.ImageModes[2] = args[1]; break;
    case 'Z': fx.ImageModes[3] = args[1]; break;
    default: break;
  }
}

// ESC . c v h m nL nH.
void RasterGraphics(Fx& fx, const Args&) {
  RasterImage image;
  image.Compression = Next(fx);
  image.VerticalDensity = Next(fx);
  image.HorizontalDensity = Next(fx);
  image.Rows = Next(fx);
  const std::uint8_t low = Next(fx);
  image.Dots = Count(low, Next(fx));
  if (!fx.State.AtEof) TakeRasterImage(fx, image);
}

constexpr EscCommand kCommands[] = {
    {'K', 2, ReassignableImage<0>},
    {'L', 2, ReassignableImage<1>},
    {'Y', 2, ReassignableImage<2>},
    {'Z', 2, ReassignableImage<3>},
    {'*', 3, SelectBitImage},
    {'^', 3, NineDotImage},
    {'?', 2, ReassignMode},
    {'.', 0, RasterGraphics},  // six bytes, then the data they count
};

}  // namespace

std::span<const EscCommand> BitImageCommands() { return kCommands; }

void TakeBitImage(Fx& fx, const BitImage& image) {
  if (fx.SheetPending) BeginPendingSheet(fx);  // an image prints: its sheet is no longer blank
  Skip(fx, static_cast<std::uint64_t>(image.Columns) * image.BytesPerColumn);
  fx.State.PosX += PixelsX(fx, image.Columns, image.DotsPerInch);
}

void TakeRasterImage(Fx& fx, const RasterImage& image) {
  if (fx.SheetPending) BeginPendingSheet(fx);
  const std::uint64_t size = static_cast<std::uint64_t>(image.Rows) * ((image.Dots + 7) / 8);
  if (image.Compression == 0) {
    Skip(fx, size);
  } else if (image.Compression == 1) {
    // Runs: a counter below 128 is followed by counter + 1 bytes as they are; a counter from 128
    // on by one byte that stands for 257 - counter bytes.
    for (std::uint64_t taken = 0; taken < size && !fx.State.AtEof;) {
      const std::uint8_t counter = Next(fx);
      if (counter < 128) {
        Skip(fx, counter + 1u);
        taken += counter + 1u;
      } else {
        Next(fx);
        taken += 257u - counter;
      }
    }
  }
  fx.State.PosX += PixelsX(fx, image.Dots * image.HorizontalDensity, 3600);
}

}  // namespace prynda::escp
