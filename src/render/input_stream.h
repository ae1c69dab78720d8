// The input file as a stream of bytes: read once, in blocks of 4095 bytes into one zeroed buffer,
// handed out one at a time; the filler bytes at the very end can be trimmed (/TR). Read errors
// are reported on the console; from the end of input on every read yields 0.
#pragma once

#include <cstdint>
#include <string_view>

#include "render/render_state.h"

namespace prynda {

// Opens InputFileName for reading; false (after reporting it) when it cannot be opened.
bool OpenInput(TRenderState& state);
// Loads the next block. A read error is reported, ends the input and, while a document is open,
// cancels it; the render procedure sees the end of input and the cancelled document.
void ReadBlock(TRenderState& state);
bool SkipBytes(TRenderState& state, int count);
bool CloseInput(TRenderState& state);
void ReportFileError(TRenderState& state, std::string_view what);

inline std::uint8_t NextByte(TRenderState& state) {
  if (state.AtEof) return 0;
  if (state.BufPos >= state.BufCount - 1) {
    ReadBlock(state);
    if (state.AtEof) return 0;
  }
  ++state.BufPos;
  return state.Buffer[static_cast<std::size_t>(state.BufPos)];
}

// NextChar: the next input byte, with a Polish letter of the input encoding replaced by its
// Windows-1250 code; CharTranslated tells whether that happened. 0 at the end of input.
inline std::uint8_t NextChar(TRenderState& state) {
  const std::uint8_t byte = NextByte(state);
  state.CharTranslated = state.Translation.Translated[byte];
  return state.Translation.Byte[byte];
}

}  // namespace prynda
