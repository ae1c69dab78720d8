// The code page of a job's text, judged from its high bytes (0x80-0xFF) in their context, among the
// tables DOS programs wrote in: PC852, Mazovia, Kamenický, PC850, PC437, PC866 and Windows-1250.
//
// Each table reads each high byte as a letter, a box-drawing or block piece, some other sign, or
// nothing. A reading is judged by the bytes beside it and above and below it: letters stand
// inside words, beside ASCII letters or other letters of their script, and an upper-case letter
// does not follow a lower-case one; box pieces stand in runs and beside other box pieces, across
// or down, not between letters; a run of one byte is no word. A letter counts for a table when it
// belongs to one of the languages the table served (Polish, Czech, Slovak, Hungarian, ... for
// PC852; Polish for Mazovia; Czech and Slovak for Kamenický; the Western languages for PC850 and
// PC437; the Cyrillic ones for PC866) and against it otherwise; a table scores with the best of
// its languages. So PC852 reads German no worse than PC437 does, but German is not its language:
// German text goes to PC850 or PC437.
//
// PC852 is kept unless another table scores more than kKeepDefault above it and the high bytes
// are more than one byte value (Atari's line end, 0x9B, is PC850's ø wherever it stands).
// Otherwise the best table is taken; among those within kNear of it, the first in kCandidates'
// order - PC850 before PC437 where only a frame could tell them apart and does not, PC437 before
// the tables that share its frames (Mazovia, Kamenický, PC866) - unless uchardet names one of
// them. uchardet is asked only for such a tie, and opened then, where it is installed: it tells
// IBM852, IBM866 and WINDOWS-1250 from plain text, but takes DOS frames for Japanese or Korean,
// knows none of the other four tables and names one of its own for them (IBM852 for Kamenický
// and for French in PC850, WINDOWS-1250 for Polish in Mazovia, WINDOWS-1257 for Swedish and
// Danish in PC850), so it never outweighs what the bytes show.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "translation/code_pages.h"

namespace prynda::recognition {

// In the order that breaks ties: PC852 first, the default.
inline constexpr std::array<CodePageId, 7> kCandidates = {
    CodePageId::Pc852,     CodePageId::Pc850, CodePageId::Pc437,       CodePageId::Mazovia,
    CodePageId::Kamenicky, CodePageId::Pc866, CodePageId::Windows1250,
};

// The text is judged up to the end of the line of this high byte: pages of letters and frames,
// more than any table needs, and the time stays below a millisecond.
inline constexpr std::size_t kJudgedHighBytes = 16384;
inline constexpr double kKeepDefault = 5;  // points: more than one byte read better elsewhere
inline constexpr double kNear = 2;         // points: less than one byte read differently

struct CodePageGuess {
  CodePageId Page = CodePageId::Pc852;
  bool FromEvidence = false;
  std::size_t HighBytes = 0;  // judged
  // In kCandidates' order: each table's score and the language it scored with ("" for none).
  std::array<double, kCandidates.size()> Scores{};
  std::array<std::string_view, kCandidates.size()> Languages{};
  std::string Detector;  // uchardet's answer, "" where no tie asked for it
};

// `text`: the job's text bytes only (command_walk.h: commands, arguments and images left out).
CodePageGuess GuessCodePage(std::span<const std::uint8_t> text);

}  // namespace prynda::recognition
