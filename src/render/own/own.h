// Our own dialect: control bytes, the ESC subset and the 0xFA prefix commands, box-drawing
// characters as lines, every other byte a character in its cell. Its page breaks are lazy: a
// request sets PageFull and the next byte read begins the page, whatever that byte is. This is
// what its commands share: the dialect's modes beside the render state and the operations more
// than one command needs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/print_system.h"
#include "render/missing_characters.h"
#include "render/render_state.h"

namespace prynda::own {

// Our orientation command at the very start of a job (after one ESC l n): ESC " S, s, T or t,
// or the prefix byte 0xFA with L or P; the orientation and where its letter is.
struct OwnOrientation {
  TPrinterOrientation Orientation;
  std::size_t Letter;
};
std::optional<OwnOrientation> OwnOrientationAt(std::span<const std::uint8_t> bytes);

// What our dialect keeps beside the render state.
struct OwnModes {
  OwnModes(TRenderState& state, bool auto_cr, OwnText text, bool pages_when_printed)
      : State(state), AutoCR(auto_cr), Text(text), PagesWhenPrinted(pages_when_printed) {}

  TRenderState& State;
  const bool AutoCR;                       // a line feed also returns the carriage (/LF)
  const OwnText Text;                      // how the bytes of text are read
  const bool PagesWhenPrinted;             // a new page goes to the printer with its first print
  bool PageDeferred = false;               // ... and one is waiting for it
  std::int32_t LineNo = 1;                 // line on the page, for the page break every n lines
  bool Expanded = false;                   // double width (prefix command E)
  std::int32_t SavedPitch = kPitch10Cpi;   // the pitch expanded mode returns to
  // OwnText::CodePage: the characters of bytes 0x80-0xFF in the job's code page.
  std::array<char32_t, 128> Upper{};
  // OwnText::Utf8: the character being read, the continuation bytes it still needs, and the
  // least code point its length may spell.
  char32_t Pending = 0;
  int Needed = 0;
  char32_t Least = 0;
  // The text's characters below U+0180 as drawn and measured in the canvas font of version
  // MeasuredFont (0: none yet); others are measured each time. Characters no face has are drawn
  // as a substitute and named at the end.
  std::array<char32_t, 0x180> Drawn{};
  std::array<int, 0x180> Widths{};
  std::uint64_t MeasuredFont = 0;
  MissingCharacters Missing;
};

// A line down, and the page break the settings ask for (/FF, /FF=n).
void LineFeed(OwnModes& own);
// The page-state reset: 10 cpi, 1/6-inch lines, the base style, black, the first line.
void ResetPageState(OwnModes& own);
// Columns from the current one to the next tab stop (every eighth from the first).
std::int64_t ColumnsToNextTab(const TRenderState& state);

// The rest of an escape sequence after its ESC byte, acted on or skipped.
void DoEscape(TRenderState& state);
// The command letter after the prefix byte 0xFA, acted on.
void DoPrefixCommand(OwnModes& own);

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

}  // namespace prynda::own
