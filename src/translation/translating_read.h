// NextChar: the next input byte, with a Polish letter of the input encoding replaced by its
// Windows-1250 code; CharTranslated tells whether that happened. 0 at the end of input.
#pragma once

#include <cstdint>

#include "render/input_stream.h"
#include "render/render_state.h"

namespace prynda {

inline std::uint8_t NextChar(TRenderState& state) {
  const std::uint8_t byte = NextByte(state);
  state.CharTranslated = state.Translation.Translated[byte];
  return state.Translation.Byte[byte];
}

}  // namespace prynda
