// The character tables of FX mode: which character each byte of a file stands for, by the code
// page its DOS program wrote it in. A registry of data: each table's name, the number that the
// option /CP= and the key CodePage give it, and where its upper half comes from - the platform's
// own conversion (iconv, or Windows' tables) where the platform has the table, a table of ours
// where it has none.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

namespace prynda {

enum class CodePageId : std::uint8_t {
  Pc437, Pc850, Pc852, Pc866, Kamenicky, Mazovia, Windows1250, Iso8859_2,
  // Only the printer's own tables reach these (FX mode's ESC ( t): no /CP= number.
  Pc855, Pc857, Pc858, Pc860, Pc861, Pc863, Pc865, Iso8859_1, Iso8859_15,
};

struct CodePage {
  CodePageId Id;
  int Number;             // as /CP= and CodePage= give it; 0: none (Mazovia is chosen by MAZ)
  std::string_view Name;  // as the console and the manual show it
  // The platform's number of the table (Windows' numbering, which the posix side maps to iconv's
  // names); 0 where no platform has it.
  int SystemNumber;
  // Ours: the table `Base` with these bytes changed; empty where the platform has the table.
  CodePageId Base;
  std::span<const std::pair<std::uint8_t, char16_t>> Changes;
  // Printed as characters (ESC ( ^), the control bytes are the PC's pictures: ☺ ☻ ♥ ... ⌂.
  bool PcPictures;
};

std::span<const CodePage> CodePages();
const CodePage& CodePageOf(CodePageId id);
// The table that /CP= and the key CodePage name by `number`; nullptr for any other number.
const CodePage* FindCodePage(int number);

// The characters of bytes 0x80-0xFF, 0 where the table has none (the platform's control codes
// count as none). Read once per table and run.
const std::array<char32_t, 128>& UpperHalf(const CodePage& page);

// The character of a control byte (0x00-0x1F, 0x7F) printed as a character on a PC table.
char32_t PcPicture(std::uint8_t byte);

// ESC R n: the twelve places of the international character sets, and each set's characters
// there; nullptr for a number the printers do not know (0-13 and 64).
inline constexpr std::array<std::uint8_t, 12> kNationalPlaces = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D,
                                                                 0x5E, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
const std::array<char16_t, 12>* NationalSet(std::uint8_t country);

}  // namespace prynda
