// The Polish letters of every supported encoding, in one fixed order, and the translation of an
// input byte to the printer fonts' Windows-1250 code.
#pragma once

#include <array>
#include <cstdint>

#include "translation/code_pages.h"

namespace prynda {

inline constexpr int kCodePageRows = 6;
inline constexpr int kPolishLetters = 18;
inline constexpr int kTargetRow = 5;  // Windows-1250

// Row k, position p (0-based) is letter p of ą ć ę ł ń ó ś ż ź Ą Ć Ę Ł Ń Ó Ś Ż Ź in encoding k:
// 0 plain ASCII, 1 Mazovia, 2 CP852, 3 ASCII diacritic marks, 4 ISO-8859-2, 5 Windows-1250.
extern const std::array<std::array<std::uint8_t, kPolishLetters>, kCodePageRows> CodePageTable;

// Every byte's translation from one source row; built once per run so that a byte costs one look-up.
struct TTranslation {
  std::array<std::uint8_t, 256> Byte;
  std::array<bool, 256> Translated;
};

// The translation from row `row`.
TTranslation MakeTranslation(int row);
// The translation of the Polish letters of `page` (the table has rows for Mazovia, PC852,
// ISO 8859-2 and Windows-1250); none for any other table.
TTranslation MakeTranslation(CodePageId page);
// No byte changed.
TTranslation IdentityTranslation();

}  // namespace prynda
