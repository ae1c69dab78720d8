#include "render/escp/bit_images.h"

#include <algorithm>
#include <vector>

#include "render/page_cycle.h"

namespace prynda::escp {

namespace {

// ESC * m: dots per inch across and down, and bytes per column of each density m. Eight-dot
// columns are 1/72 inch apart on 9-pin printers and use every third pin, 1/60 inch, on 24-pin ones.
BitImage ImageOfMode(const Fx& fx, std::uint8_t m, std::uint32_t columns) {
  BitImage image;
  image.Columns = columns;
  image.BytesPerColumn = m < 32 ? 1 : (m < 64 ? 3 : 6);
  image.RowsPerInch = m < 32 ? (fx.Pins24 ? 60 : 72) : (m < 64 ? 180 : 360);
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
  TakeBitImage(fx, ImageOfMode(fx, fx.ImageModes[Slot], Count(args[0], args[1])));
}

void SelectBitImage(Fx& fx, const Args& args) { TakeBitImage(fx, ImageOfMode(fx, args[0], Count(args[1], args[2]))); }

// ESC ^ m nL nH: nine-dot columns, two bytes each, at 60 or 120 dots per inch.
void NineDotImage(Fx& fx, const Args& args) {
  BitImage image;
  image.DotsPerInch = args[0] == 1 ? 120 : 60;
  image.Columns = Count(args[1], args[2]);
  image.BytesPerColumn = 2;
  image.RowsPerInch = fx.Pins24 ? 60 : 72;
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
  InputSource in{fx};
  const RasterImage image = ReadRasterHeader(in);
  if (!fx.State.Input.AtEof) TakeRasterImage(fx, image);
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

namespace {

// Dots `rows` high and `columns` wide with their top-left corner at the print position, drawn
// `dot_width` x `dot_height` pixels each; the print position then moves past them. Both edges are
// rounded from exact positions, so bands laid one under another by exact feeds meet edge to edge.
void DrawDots(Fx& fx, const TMonoImage& dots, double dot_width, double dot_height) {
  TRenderState& state = fx.State;
  const double left = state.Page.LeftMargin + state.Page.PosX;
  const double width = dots.Width * dot_width;
  if (dots.Width > 0 && dots.Height > 0) {
    const int x = RoundToPixel(left);
    const int y = RoundToPixel(state.Page.PosY);
    state.Canvas.DrawImage(x, y, RoundToPixel(left + width) - x, RoundToPixel(state.Page.PosY + dots.Height * dot_height) - y,
                           dots);
  }
  state.Page.PosX += width;
}

// Columns of dots, top pin in the top bit of each column's first byte, into rows of bits.
void ColumnsToRows(const std::vector<std::uint8_t>& data, std::uint32_t columns, std::uint32_t bytes_per_column,
                   int rows, std::vector<std::uint8_t>& bits, int stride) {
  bits.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows), 0);
  for (std::uint32_t column = 0; column < columns; ++column) {
    const std::uint8_t* bytes = data.data() + static_cast<std::size_t>(column) * bytes_per_column;
    const auto mask = static_cast<std::uint8_t>(0x80 >> (column % 8));
    const std::size_t at = column / 8;
    for (int row = 0; row < rows; ++row) {
      if ((bytes[row / 8] >> (7 - row % 8)) & 1) bits[static_cast<std::size_t>(row) * stride + at] |= mask;
    }
  }
}

}  // namespace

void TakeBitImage(Fx& fx, const BitImage& image) {
  if (NeedsMark(fx)) MarkSheet(fx);  // an image prints: its sheet is no longer blank
  std::vector<std::uint8_t>& data = fx.ImageData;
  const std::uint64_t size = static_cast<std::uint64_t>(image.Columns) * image.BytesPerColumn;
  data.resize(size);
  std::uint64_t got = 0;
  while (got < size && !fx.State.Input.AtEof) {
    const std::uint8_t byte = Next(fx);
    if (!fx.State.Input.AtEof) data[got++] = byte;
  }
  // ESC ^ columns have nine dots: the ninth is the top bit of the second byte.
  const int rows = image.BytesPerColumn == 2 ? 9 : static_cast<int>(image.BytesPerColumn) * 8;
  const auto columns = static_cast<std::uint32_t>(got / image.BytesPerColumn);
  const int stride = static_cast<int>((columns + 7) / 8);
  ColumnsToRows(data, columns, image.BytesPerColumn, rows, fx.ImageBits, stride);
  const TMonoImage dots{static_cast<int>(columns), rows, stride, fx.ImageBits.data()};
  DrawDots(fx, dots, PixelsX(fx, 1, image.DotsPerInch), PixelsY(fx, 1, image.RowsPerInch));
  if (columns < image.Columns) fx.State.Page.PosX += PixelsX(fx, image.Columns - columns, image.DotsPerInch);
}

void TakeRasterImage(Fx& fx, const RasterImage& image) {
  if (NeedsMark(fx)) MarkSheet(fx);
  InputSource in{fx};
  RasterData<InputSource> data(in, image.Compression);
  const double dot_width = PixelsX(fx, image.HorizontalDensity, 3600);
  const double dot_height = PixelsY(fx, image.VerticalDensity, 3600);
  const auto stride = static_cast<std::uint32_t>(image.Stride());
  if (fx.Graphics && image.Compression == 2) {
    TakeTiffMode(fx, image);
    return;
  }
  if (fx.Graphics) {
    if (image.Size() > 0) LayRows(fx, data, {image.Rows, stride, image.Dots, 1, dot_width, dot_height});
    data.Finish();
    return;
  }
  std::vector<std::uint8_t>& bits = fx.ImageBits;
  bits.assign(image.Size(), 0);
  const std::uint64_t taken = data.Read(bits.data(), bits.size());
  data.Finish();
  // Whole rows are drawn; a row cut short by the end of the input has the rest of its dots clear.
  const int rows = static_cast<int>((taken + stride - 1) / std::max<std::uint32_t>(stride, 1));
  const TMonoImage dots{static_cast<int>(image.Dots), rows, static_cast<int>(stride), bits.data()};
  // In the colour ESC r chose, else in the text's.
  TFont& font = fx.State.Canvas.Font();
  const TColor color = font.Color();
  if (fx.Ink != 0) font.SetColor(MixedColor(fx.Ink));
  DrawDots(fx, dots, dot_width, dot_height);
  font.SetColor(color);
}

}  // namespace prynda::escp
