// Graphics mode: what drivers of inkjet printers send. ESC ( G enters it; raster lines (ESC . and
// ESC i) are laid in the ink selected (ESC r, ESC ( r, the colour byte of ESC i) and printed as
// the inks mix (inks.h); the print position moves by ESC ( V, v, $, \, /, ESC $, ESC \ and line
// feeds, in the units of ESC ( U. Remote mode (ESC ( R) and the job language's lines (ESC SOH
// @EJL) set up the printer and print nothing; the print method, dot size, microweave, speed,
// colour mode and paper size commands are taken with their bytes and change nothing on the page.
#include <algorithm>
#include <cmath>
#include <vector>

#include "render/escp/bit_images.h"
#include "render/escp/fx.h"
#include "render/page_cycle.h"

namespace prynda::escp {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kJobLanguage = 0x01;  // ESC SOH
// The finest grid dots are kept on, in cells an inch; finer dots share cells.
constexpr double kFinestGrid = 2880;
// How far above the print position ESC ( v and ESC ( V can still go: rows farther up are final.
constexpr double kReachUp = 179.0 / 360;

// ESC ( G 1 0 m: graphics mode for m = 1 or '1'; the units are the power-on ones again and the
// print position goes to the left margin. Its line is the printable width of the sheet.
void SelectGraphics(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<1>(fx, count);
  if (count != 1 || (data[0] != 1 && data[0] != '1')) return;
  fx.Graphics = true;
  fx.PageUnit = fx.VerticalUnit = 1.0 / 360;
  fx.HorizontalUnit = 0;
  fx.UnitsGiven = false;
  fx.SheetWidth = fx.State.Printer.Caps().HorzRes;
  fx.RightMargin = std::max(fx.RightMargin, fx.SheetWidth);
  CarriageReturn(fx);
}

// ESC ( D 4 0 rL rH v h: the dots of ESC i v/r inch apart down, h/r across.
void RasterResolution(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<4>(fx, count);
  const double base = data[0] + 256.0 * data[1];
  if (count != 4 || base == 0 || data[2] == 0 || data[3] == 0) return;
  fx.DotPitchY = data[2] / base;
  fx.DotPitchX = data[3] / base;
}

// The inks of ESC r n: black, magenta, cyan, violet, yellow, red, green; a ribbon's mixed colours
// are its inks printed over each other.
constexpr InkSet kRibbonColors[] = {kBlack, kMagenta, kCyan, kCyan | kMagenta, kYellow, kMagenta | kYellow,
                                    kCyan | kYellow};

// ESC ( r 2 0 d n: n as ESC r has it (0, 1, 2, 4), d = 1 its light ink.
void SelectInk(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<2>(fx, count);
  if (count != 2 || data[1] > 4 || data[1] == 3) return;
  if (data[0] == 0) {
    fx.Ink = kRibbonColors[data[1]];
  } else if (data[0] == 1 && data[1] != 4) {
    fx.Ink = data[1] == 0 ? kLightBlack : data[1] == 1 ? kLightMagenta : kLightCyan;
  }
}

// The ink of ESC i r; none for a value it does not name, which keeps the ink chosen before.
InkSet InkOfLines(std::uint8_t r) {
  switch (r) {
    case 0x00: case 0x05: case 0x06: case 0x40: case 0x60: return kBlack;  // the black inks
    case 0x01: case 0x81: return kMagenta;
    case 0x02: case 0x82: return kCyan;
    case 0x04: return kYellow;
    case 0x10: return kLightBlack;
    case 0x11: return kLightMagenta;
    case 0x12: return kLightCyan;
    default: return 0;
  }
}

// ESC ( R and remote mode.
void RemoteMode(Fx& fx, std::uint32_t count) {
  InputSource in{fx};
  TakeRemoteMode(in, count);
}

// ESC SOH and the job language's lines. What follows them is taken as it comes; a further ESC SOH
// is taken here, so that a file of them takes no depth of calls.
void JobLanguage(Fx& fx, const Args&) {
  InputSource in{fx};
  for (;;) {
    const Unread unread = TakeJobLanguage(in);
    if (unread.Count == 0) return;
    for (std::size_t i = 0; i + 1 < unread.Count; ++i) TakeByte(fx, unread.Bytes[i]);
    const std::uint8_t last = unread.Bytes[unread.Count - 1];
    if (last != kEsc) {
      TakeByte(fx, last);
      return;
    }
    const std::uint8_t code = Next(fx);
    if (fx.State.Input.AtEof) return;
    if (code != kJobLanguage) {
      TakeEscape(fx, code);
      return;
    }
  }
}

void Unchanged(Fx& fx, std::uint32_t count) { Skip(fx, count); }

constexpr EscCommand kCommands[] = {
    {kJobLanguage, 0, JobLanguage},  // the lines up to the first byte after them not '@'
};

constexpr ParenCommand kParenCommands[] = {
    {'G', SelectGraphics},
    {'D', RasterResolution},
    {'r', SelectInk},
    {'R', RemoteMode},   // with remote mode's commands up to ESC NUL NUL NUL
    {'e', Unchanged},    // dot size
    {'i', Unchanged},    // microweave
    {'K', Unchanged},    // monochrome or colour
    {'m', Unchanged},    // print method
    {'s', Unchanged},    // print speed
    {'S', Unchanged},    // paper dimensions
};

// Device pixels between grid cells for dots `pitch` inches apart: the pitch, or a finer `unit` of
// ESC ( U (rows that one pass prints far apart are filled in by later passes), never finer than
// the finest grid.
double Cell(double pitch, double unit, double dpi) { return std::max(std::min(pitch, unit), 1.0 / kFinestGrid) * dpi; }

}  // namespace

std::span<const EscCommand> RasterCommands() { return kCommands; }
std::span<const ParenCommand> RasterParenCommands() { return kParenCommands; }

void SelectRibbonColor(Fx& fx, const Args& args) {
  if (args[0] < std::size(kRibbonColors)) fx.Ink = kRibbonColors[args[0]];
}

void ImmediatePrintOrRasterLines(Fx& fx, const Args& args) {
  if (!fx.Graphics) return;  // ESC i n: immediate print, nothing to do on a page drawn as it is read
  InputSource in{fx};
  const RasterLines lines = ReadLinesHeader(in, args[0]);
  if (fx.State.Input.AtEof || lines.BitsPerDot == 0) return;
  if (const InkSet ink = InkOfLines(lines.Ink)) fx.Ink = ink;
  if (NeedsMark(fx)) MarkSheet(fx);
  RasterData<InputSource> data(in, lines.Compression);
  const double across = fx.DotPitchX > 0 ? fx.DotPitchX : (fx.HorizontalUnit > 0 ? fx.HorizontalUnit : 1.0 / 360);
  const double down = fx.DotPitchY > 0 ? fx.DotPitchY : fx.VerticalUnit;
  if (lines.Size() > 0) {
    LayRows(fx, data, {lines.Lines, lines.BytesPerLine, lines.Dots(), lines.BitsPerDot, PixelsX(fx, across, 1),
                       PixelsY(fx, down, 1)});
  }
  data.Finish();
}

void LayRows(Fx& fx, RasterData<InputSource>& data, const RasterRows& rows) {
  TRenderState& state = fx.State;
  TCanvas& canvas = state.Canvas;
  const double x = state.Page.LeftMargin + state.Page.PosX;
  const double top = state.Page.PosY;
  const double none = 1;  // no unit: an inch
  // Rows the head can no longer reach are final: drawn in bands of that height.
  const double reach = PixelsY(fx, kReachUp, 1);
  if (fx.Inks.Top() < top - 2 * reach) fx.Inks.DrawAbove(canvas, top - reach);
  fx.Inks.SetGrid(canvas, Cell(rows.StepX / state.Page.DpiX, none, state.Page.DpiX),
                  Cell(rows.StepY / state.Page.DpiY, fx.UnitsGiven ? fx.VerticalUnit : none, state.Page.DpiY),
                  fx.SheetWidth, state.Page.PageHeight);
  std::vector<std::uint8_t>& line = fx.ImageData;
  std::vector<std::uint8_t>& dots = fx.ImageBits;
  line.resize(rows.Bytes);
  dots.resize((static_cast<std::size_t>(rows.Dots) + 7) / 8);
  for (std::uint32_t row = 0; row < rows.Rows; ++row) {
    const std::uint64_t got = data.Read(line.data(), rows.Bytes);
    if (got == 0) break;
    std::fill(line.begin() + static_cast<std::ptrdiff_t>(got), line.end(), std::uint8_t{0});
    const std::uint8_t* bits = line.data();
    if (rows.Bits > 1) {
      // A dot wherever its bits are not all clear: its size, which the sheet cannot show.
      std::fill(dots.begin(), dots.end(), std::uint8_t{0});
      const unsigned mask = (1u << rows.Bits) - 1;
      for (std::uint32_t dot = 0; dot < rows.Dots; ++dot) {
        const std::uint32_t bit = dot * rows.Bits;
        if ((line[bit / 8] >> (8 - rows.Bits - bit % 8)) & mask) dots[dot / 8] |= static_cast<std::uint8_t>(0x80 >> (dot % 8));
      }
      bits = dots.data();
    }
    fx.Inks.Lay(canvas, x, top + row * rows.StepY, rows.StepX, bits, rows.Dots, fx.Ink != 0 ? fx.Ink : kBlack);
    if (got < rows.Bytes) break;
  }
  state.Page.PosX += rows.Dots * rows.StepX;
}

void DrawInks(Fx& fx) {
  if (!fx.Inks.Empty() && fx.State.Printer.IsPrinting()) fx.Inks.DrawAll(fx.State.Canvas);
}

void ResetRaster(Fx& fx) {
  DrawInks(fx);
  fx.Graphics = false;
  fx.Ink = 0;
  fx.DotPitchX = fx.DotPitchY = 0;
}

std::size_t CommandLength(std::span<const std::uint8_t> bytes, bool graphics) {
  if (bytes.size() < 2 || bytes[0] != kEsc) return 0;
  SpanSource in(bytes.subspan(2));
  switch (bytes[1]) {
    case '.': {
      const RasterImage image = ReadRasterHeader(in);
      RasterData<SpanSource> data(in, image.Compression);
      data.Read(nullptr, image.Size());
      data.Finish();
      break;
    }
    case 'i': {
      if (!graphics) return 0;
      const std::uint8_t ink = in.Next();
      const RasterLines lines = ReadLinesHeader(in, ink);
      RasterData<SpanSource> data(in, lines.Compression);
      data.Read(nullptr, lines.Size());
      data.Finish();
      break;
    }
    case '(': {
      if (in.Next() != 'R') return 0;
      const std::uint8_t low = in.Next();
      TakeRemoteMode(in, low + 256u * in.Next());
      break;
    }
    case kJobLanguage: {
      const std::size_t unread = TakeJobLanguage(in).Count;
      return 2 + in.Position() - unread;
    }
    default:
      return 0;
  }
  return 2 + in.Position();
}

}  // namespace prynda::escp
