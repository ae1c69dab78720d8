#include "render/own/own.h"

#include <cmath>
#include <cstdint>

namespace prynda::own {

namespace {

// ESC " and a sub-command letter: the box pen's width, the text colour; S/T (orientation) act
// only at the very start of the file.
void DoQuotedCommand(TRenderState& state) {
  InputCursor& input = state.Input;
  const std::uint8_t letter = input.NextChar();
  if (letter == 'F') {
    const std::uint8_t width = input.NextByte();
    state.Canvas.Pen().SetWidth(width == 0 ? state.Settings.FrameWidth : width);
  } else if (letter == 'R' || letter == 'r') {
    const std::int32_t r = input.NextByte();
    const std::int32_t g = input.NextByte();
    const std::int32_t b = input.NextByte();
    state.Canvas.Font().SetColor(r + 256 * g + 65536 * b);
  }
}

// The fine feeds move by whole pixels here.
double FeedPixels(const TRenderState& state, std::uint8_t n) { return std::trunc(state.Page.FinePixels(n)); }

}  // namespace

void DoEscape(TRenderState& state) {
  InputCursor& input = state.Input;
  PageModel& page = state.Page;
  const std::uint8_t letter = input.NextChar();
  switch (letter) {
    case 0x0C: page.PageFull = true; break;
    case '"': DoQuotedCommand(state); break;
    case '$': {
      const std::int64_t low = input.NextByte();
      const std::int64_t high = input.NextByte();
      page.PosX = static_cast<double>((low + 256 * high) * page.DpiX / 60);
      break;
    }
    case 'J': {
      // The page-height test, whenever /FF is given (the line-count mode too).
      const double bottom = state.Settings.ForceFF ? page.PageHeight : kNoLimit;
      if (page.FeedDown(FeedPixels(state, input.NextByte()), bottom)) page.PageFull = true;
      break;
    }
    case 'j': page.FeedUp(FeedPixels(state, input.NextByte()), -kNoLimit); break;
    case 'l': page.LeftMargin = (page.DpiX / 10) * input.NextByte(); break;
    default: input.SkipBytes(OwnEscapeArguments(letter)); break;  // none: only ESC and its letter are consumed
  }
}

}  // namespace prynda::own
