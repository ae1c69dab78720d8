// Our own dialect: control bytes, the ESC subset and the 0xFA prefix commands, box-drawing
// characters as lines, every other byte a character in its cell. Its page breaks are lazy: a
// request sets PageFull and the next byte read begins the page, whatever that byte is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "render/dialect.h"
#include "render/missing_characters.h"

namespace prynda {

// Our orientation command at the very start of a job (after one ESC l n): ESC " S, s, T or t,
// or the prefix byte 0xFA with L or P; the orientation and where its letter is.
struct OwnOrientation {
  TPrinterOrientation Orientation;
  std::size_t Letter;
};
std::optional<OwnOrientation> OwnOrientationAt(std::span<const std::uint8_t> bytes);

// What our dialect keeps beside the render state.
struct DefaultModes {
  DefaultModes(TRenderState& state, bool auto_cr, OwnText text, bool pages_when_printed)
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
void LineFeed(DefaultModes& own);
// The page-state reset: 10 cpi, 1/6-inch lines, the base style, black, the first line.
void ResetPageState(DefaultModes& own);
// Columns from the current one to the next tab stop (every eighth from the first).
std::int64_t ColumnsToNextTab(const TRenderState& state);

class DefaultDialect final : public Dialect {
 public:
  // auto_cr: a line feed also returns the carriage (files with LF-only line ends).
  DefaultDialect(TRenderState& state, bool auto_cr, OwnText text, bool pages_when_printed);

  TPrinterOrientation Orientation(TRenderState& state) override;
  void Start(TRenderState& state) override;
  std::int32_t Byte(TRenderState& state, std::uint8_t c) override;
  void Finish(TRenderState& state) override;

 private:
  // The page asked for, begun with the byte read after the request, at the top-left corner.
  void BeginNewPage();
  // A byte of text (0x21-0xFF) through the code page or UTF-8; the columns it moves.
  std::int32_t Text(std::uint8_t c);
  std::int32_t PrintCharacter(char32_t c);

  DefaultModes own_;
};

}  // namespace prynda
