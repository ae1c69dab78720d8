// Our own dialect: control bytes, the ESC subset and the 0xFA prefix commands, box-drawing
// characters as lines, every other byte a character in its cell. Its page breaks are lazy: a
// request sets PageFull and the next byte read begins the page, whatever that byte is. This is
// what its parts share: the dialect's modes beside the render state, the shape of its command rows
// (read by recognition too) and the operations more than one of them needs.
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
  bool FedPastEnd = false;                 // the page is full by feeding past its end, not by a form feed
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

// The commands, as rows that know their bytes. The dispatcher reads a row's argument bytes (zeros
// past the end of the input) and then calls Act; a row whose Act is kSkipped is consumed with its
// bytes and does nothing. A code or letter without a row takes no bytes and means nothing.
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kPrefix = 0xFA;  // 0xFA and a command letter
inline constexpr std::uint8_t kQuoted = '"';   // ESC " and a letter of its own table

using Args = std::array<std::uint8_t, 6>;
using CommandAct = void (*)(OwnModes& own, const Args& args);
inline constexpr CommandAct kSkipped = nullptr;

// ESC and its code, and ESC " and its letter.
struct EscCommand {
  std::uint8_t Code;
  std::uint8_t Arguments;
  CommandAct Act;
};
// 0xFA and its letter; a command that TakesLine reads its text up to the next CR, LF or NUL and
// takes that byte too.
struct PrefixCommand {
  std::uint8_t Code;
  void (*Act)(OwnModes& own);
  bool TakesLine = false;
};

std::span<const EscCommand> EscCommands();
std::span<const EscCommand> QuotedCommands();
std::span<const PrefixCommand> PrefixCommands();

// The row of `code` in `rows`; nullptr where there is none.
template <class Row>
const Row* FindRow(std::span<const Row> rows, std::uint8_t code) {
  for (const Row& row : rows) {
    if (row.Code == code) return &row;
  }
  return nullptr;
}

// The bytes our dialect takes after ESC and `code`, `next` being the byte after the code: the row's
// argument bytes, and for ESC " its letter and that letter's.
std::size_t EscapeArguments(std::uint8_t code, std::uint8_t next);

// The rest of an escape sequence after its ESC byte, acted on or skipped.
void DoEscape(OwnModes& own);
// The command letter after the prefix byte 0xFA, acted on.
void DoPrefixCommand(OwnModes& own);

}  // namespace prynda::own
