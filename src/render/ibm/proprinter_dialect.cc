#include "render/ibm/proprinter_dialect.h"

#include <algorithm>
#include <cmath>

#include "render/page_cycle.h"

namespace prynda::ibm {

namespace {

// ESC _: the line over the cells a character just took on the line it is on, at the top of the
// line, as thick as underline's stroke of a dot row.
void DrawOverline(Proprinter& printer, double from) {
  TRenderState& state = printer.State;
  const PageModel& page = state.Page;
  if (escp::NeedsMark(printer)) escp::MarkSheet(printer);
  const int left = RoundToPixel(page.LeftMargin + from);
  const int thickness = std::max(1, static_cast<int>(std::lround(page.DpiY / 72.0)));
  state.Canvas.FillRect(left, RoundToPixel(page.PosY), RoundToPixel(page.LeftMargin + page.PosX) - left, thickness,
                        100);
}

}  // namespace

ProprinterDialect::ProprinterDialect(TRenderState& state, const CodePage& table) : printer_(state, table) {}

void ProprinterDialect::Start() {
  escp::StartJob(printer_);  // in 9-pin units: ESC 3 and ESC J in 1/216 inch until ESC [ \ says otherwise
  ResetProprinter(printer_);
}

std::int32_t ProprinterDialect::Byte(std::uint8_t c) {
  if (!printer_.Overline || c < 0x20 || c == 0x7F || printer_.Graphics) {
    escp::TakeByte(printer_, c);
    return 0;  // the head has moved already, as in FX mode
  }
  const PageModel& page = printer_.State.Page;
  const double x = page.PosX;
  const double y = page.PosY;
  escp::TakeByte(printer_, c);
  // A character that went on to the next line is overlined from that line's start.
  if (page.PosY != y) {
    if (page.PosX > 0) DrawOverline(printer_, 0);
  } else if (page.PosX > x) {
    DrawOverline(printer_, x);
  }
  return 0;
}

void ProprinterDialect::Finish() { escp::FinishJob(printer_); }

}  // namespace prynda::ibm
