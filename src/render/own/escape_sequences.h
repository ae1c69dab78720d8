// DoEscape: the rest of an escape sequence after its ESC byte, acted on or skipped.
#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace prynda {

void DoEscape(TRenderState& state);

// The argument bytes our dialect takes after ESC and `letter`, acted on or skipped (ESC " counts
// its own by the letter after it); 0 for a command without arguments.
constexpr int OwnEscapeArguments(std::uint8_t letter) {
  switch (letter) {
    case '$': return 2;
    case '(': return 6;
    case 'J': case 'j': case 'l':
    case '!': case '-': case 'I': case 'R': case 'S': case 'W': case '_':
    case 'h': case 'p': case 'q': case 't': case 'x': case '~': return 1;
    default: return 0;
  }
}

}  // namespace prynda
