// A job's bytes walked as a dialect reads them: each command with its arguments, bit-image data by
// its count, and what is left - the text, the bytes a code page is judged by, and its line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace prynda::recognition {

struct LineEndCounts {
  std::size_t CrLf = 0;  // CR LF and LF CR
  std::size_t Lf = 0;    // LF with no CR beside it
  std::size_t Cr = 0;    // CR with no LF beside it
};

struct Walk {
  // The commands, as the ESC/P walk counts them (recognition.h, step 3), sorted by the rows of
  // both dialects (render/own/own.h, render/escp/fx.h).
  std::size_t PrefixCommands = 0;  // 0xFA with one of our command letters
  std::size_t OwnEscapes = 0;      // ESC commands only our dialect acts on (ESC ", ESC FF)
  std::size_t EscPCommands = 0;    // ESC commands only FX mode has, SO SI DC2 DC4
  std::size_t SharedCommands = 0;  // ESC commands both act on (ESC $ J j l)
  std::size_t SkippedCommands = 0; // ESC commands whose arguments ours only consumes (ESC ! ( - W ...)
  std::size_t BitImages = 0;       // ESC K L Y Z * ^ .
  bool Pins24 = false;             // a command only 24-pin printers have
  // What only a Proprinter sends (ESC [ with a count, ESC : before text, ESC A n then ESC 2 at
  // once, ESC \ before control codes, ESC 5 0 or 1, ESC _), and what no Proprinter has (ESC @ x
  // k p t ( ! $ l M * + w SP, ESC : NUL): weighed against each other, never one alone.
  std::size_t ProprinterCommands = 0;
  std::size_t EpsonOnlyCommands = 0;
  // ESC/P 2 raster as inkjet printers take it: graphics mode (ESC ( G), remote mode (ESC ( R ...
  // ESC 0 0 0, walked command by command), rows of dots by ESC i; and ESC . rows among them.
  std::size_t InkjetCommands = 0;
  // ESC/POS, the receipt printers' language: GS and FS commands (walked by their lengths), and
  // ESC commands whose argument ESC/P has not (ESC d n, ESC E/G with 0 or 1).
  std::size_t ReceiptCommands = 0;
  // The bytes left as text (not commands, arguments or image data), and of them the control
  // bytes that mean nothing to a printer of either dialect: a job of many is no printout.
  std::size_t TextBytes = 0;
  std::size_t StrayBytes = 0;
  // The text bytes in their order: printable bytes as they are, '\n' for a line end (CR, LF or
  // a pair of them), FF and VT, a blank for any other control byte and for an image. Commands
  // leave nothing, so that a mode switched inside a word leaves the word whole.
  std::vector<std::uint8_t> Text;
  LineEndCounts LineEnds;
};

// As FX mode reads the bytes: the argument counts of its command tables (render/escp/fx.h).
Walk WalkEscP(std::span<const std::uint8_t> bytes);
// As our dialect reads them: the lengths of its command rows (render/own/own.h). Counts only the
// text and the line ends.
Walk WalkOwnDialect(std::span<const std::uint8_t> bytes);

}  // namespace prynda::recognition
