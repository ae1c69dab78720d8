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
// The finest grid dots are kept on, in cells an inch (more than twice what printers' drivers ask
// of a page the printer's resolution is); finer dots share cells.
constexpr double kFinestGrid = 1440;
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

// The grid for rows of `rows` at the print position; rows the head can no longer reach drawn.
void PrepareInks(Fx& fx, const RasterRows& rows) {
  TRenderState& state = fx.State;
  const double top = state.Page.PosY;
  // Rows the head can no longer reach are final: drawn in bands of that height.
  const double reach = PixelsY(fx, kReachUp, 1);
  if (fx.Inks.Top() < top - 2 * reach) fx.Inks.DrawAbove(state.Canvas, top - reach);
  const double none = 1;  // no unit: an inch
  fx.Inks.SetGrid(state.Canvas, Cell(rows.StepX / state.Page.DpiX, none, state.Page.DpiX),
                  Cell(rows.StepY / state.Page.DpiY, fx.UnitsGiven ? fx.VerticalUnit : none, state.Page.DpiY),
                  fx.SheetWidth, state.Page.PageHeight);
}

// Row `row` of `rows`, its bytes at `line`, laid in the ink in force from the print position on.
void LayLine(Fx& fx, const std::uint8_t* line, const RasterRows& rows, std::uint32_t row) {
  const std::uint8_t* bits = line;
  if (rows.Bits > 1) {
    // A dot wherever its bits are not all clear: its size, which the sheet cannot show.
    std::vector<std::uint8_t>& dots = fx.ImageBits;
    dots.assign((static_cast<std::size_t>(rows.Dots) + 7) / 8, 0);
    const unsigned mask = (1u << rows.Bits) - 1;
    for (std::uint32_t dot = 0; dot < rows.Dots; ++dot) {
      const std::uint32_t bit = dot * rows.Bits;
      if ((line[bit / 8] >> (8 - rows.Bits - bit % 8)) & mask) dots[dot / 8] |= static_cast<std::uint8_t>(0x80 >> (dot % 8));
    }
    bits = dots.data();
  }
  const PageModel& page = fx.State.Page;
  fx.Inks.Lay(fx.State.Canvas, page.LeftMargin + page.PosX, page.PosY + row * rows.StepY, rows.StepX, bits, rows.Dots,
              fx.Ink != 0 ? fx.Ink : kBlack);
}

// TIFF mode's commands acting on the page: each <XFER> a row of dots at the print position, which
// then moves past it; <MOVX> in dots or bytes of them, <MOVY> in the vertical unit and back to
// the left margin.
class TiffPage {
 public:
  TiffPage(Fx& fx, const RasterImage& image)
      : fx_(fx), step_x_(PixelsX(fx, image.HorizontalDensity, 3600)), step_y_(PixelsY(fx, image.VerticalDensity, 3600)) {}

  void Transfer(InputSource& in, std::uint32_t count) {
    Counted<InputSource> data(in, count);
    RasterData<Counted<InputSource>> runs(data, 1);
    // Every byte of the row, up to the most any sheet can hold.
    std::vector<std::uint8_t>& line = fx_.ImageData;
    line.resize(kLongestLine);
    const auto got = static_cast<std::uint32_t>(runs.Read(line.data(), line.size()));
    data.Finish();
    if (got == 0) return;
    const RasterRows row{1, got, got * 8, 1, step_x_, step_y_};
    PrepareInks(fx_, row);
    LayLine(fx_, line.data(), row, 0);
    fx_.State.Page.PosX += row.Dots * step_x_;
  }
  void MoveX(std::int32_t n) {
    const double x = fx_.State.Page.PosX + n * (bytes_ ? 8 : 1) * step_x_;
    if (x >= 0 && fx_.State.Page.LeftMargin + x <= fx_.RightMargin) fx_.State.Page.PosX = x;
  }
  void MoveY(std::uint32_t n) {
    Feed(fx_, PixelsY(fx_, n * fx_.VerticalUnit, 1));
    CarriageReturn();
  }
  void Color(std::uint8_t value, bool byte) {
    if (byte) {
      if (const InkSet ink = InkOfLines(value)) fx_.Ink = ink;
    } else if (value < std::size(kRibbonColors)) {
      fx_.Ink = kRibbonColors[value];
    }
  }
  void CarriageReturn() { escp::CarriageReturn(fx_); }
  void MoveInBytes(bool bytes) { bytes_ = bytes; }

 private:
  static constexpr std::size_t kLongestLine = 1u << 16;
  Fx& fx_;
  double step_x_, step_y_;
  bool bytes_ = false;
};

// TIFF mode where only the bytes it takes matter.
struct TiffLength {
  void Transfer(SpanSource& in, std::uint32_t count) { in.Skip(count); }
  void MoveX(std::int32_t) {}
  void MoveY(std::uint32_t) {}
  void Color(std::uint8_t, bool) {}
  void CarriageReturn() {}
  void MoveInBytes(bool) {}
};

}  // namespace

std::span<const EscCommand> RasterCommands() { return kCommands; }
std::span<const ParenCommand> RasterParenCommands() { return kParenCommands; }

// ESC r n: everything printed from now on in the ribbon's colour n; black (0) is the text's colour
// again, which graphics mode's dots take as black.
void SelectRibbonColor(Fx& fx, const Args& args) {
  if (args[0] >= std::size(kRibbonColors)) return;
  fx.Ink = args[0] == 0 ? 0 : kRibbonColors[args[0]];
  fx.FontStale = true;
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
  PrepareInks(fx, rows);
  std::vector<std::uint8_t>& line = fx.ImageData;
  line.resize(rows.Bytes);
  for (std::uint32_t row = 0; row < rows.Rows; ++row) {
    const std::uint64_t got = data.Read(line.data(), rows.Bytes);
    if (got == 0) break;
    std::fill(line.begin() + static_cast<std::ptrdiff_t>(got), line.end(), std::uint8_t{0});
    LayLine(fx, line.data(), rows, row);
    if (got < rows.Bytes) break;
  }
  fx.State.Page.PosX += rows.Dots * rows.StepX;
}

void TakeTiffMode(Fx& fx, const RasterImage& image) {
  InputSource in{fx};
  TiffPage page(fx, image);
  TakeTiffMode(in, page);
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
      if (graphics && image.Compression == 2 && !in.AtEnd()) {
        TiffLength length;
        TakeTiffMode(in, length);
        break;
      }
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
