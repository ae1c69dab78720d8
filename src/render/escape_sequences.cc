#include "render/escape_sequences.h"

#include <cstdint>

#include "render/input_stream.h"

namespace prynda {

namespace {

// ESC " and a sub-command letter: the box pen's width, the text colour; S/T (orientation) act
// only at the very start of the file.
void DoQuotedCommand(TRenderState& state) {
  const std::uint8_t letter = NextChar(state);
  if (letter == 'F') {
    const std::uint8_t width = NextByte(state);
    state.Canvas.Pen().SetWidth(width == 0 ? state.Settings.FrameWidth : width);
  } else if (letter == 'R' || letter == 'r') {
    const std::int32_t r = NextByte(state);
    const std::int32_t g = NextByte(state);
    const std::int32_t b = NextByte(state);
    state.Canvas.Font().SetColor(r + 256 * g + 65536 * b);
  }
}

// Whole pixels of a feed of n/scale inch, in 64 bits so that no argument can overflow.
std::int64_t FeedPixels(std::int64_t n, std::int32_t dpi, std::int32_t scale) { return n * dpi / scale; }

}  // namespace

void DoEscape(TRenderState& state) {
  switch (NextChar(state)) {
    case 0x0C: state.PageFull = true; break;
    case '"': DoQuotedCommand(state); break;
    case '$': {
      const std::int64_t low = NextByte(state);
      const std::int64_t high = NextByte(state);
      state.PosX = static_cast<double>((low + 256 * high) * state.DpiX / 60);
      break;
    }
    case '(': SkipBytes(state, 6); break;
    case 'J':
      state.PosY += static_cast<double>(FeedPixels(NextByte(state), state.DpiY, state.FeedScale));
      if (state.Settings.ForceFF && state.PosY + state.LineSpacing > state.PageHeight) state.PageFull = true;
      break;
    case 'j':
      state.PosY -= static_cast<double>(FeedPixels(NextByte(state), state.DpiY, state.FeedScale));
      break;
    case 'l': state.LeftMargin = (state.DpiX / 10) * NextByte(state); break;
    case '!':
    case '-':
    case 'I':
    case 'R':
    case 'S':
    case 'W':
    case '_':
    case 'h':
    case 'p':
    case 'q':
    case 't':
    case 'x':
    case '~': SkipBytes(state, 1); break;
    default: break;  // a command without arguments here: only ESC and its letter are consumed
  }
}

}  // namespace prynda
