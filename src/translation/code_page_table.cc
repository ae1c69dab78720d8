#include "translation/code_page_table.h"

namespace prynda {

const std::array<std::array<std::uint8_t, kPolishLetters>, kCodePageRows> CodePageTable = {{
    {97, 99, 101, 108, 110, 111, 115, 122, 122, 65, 67, 69, 76, 78, 79, 83, 90, 90},
    {134, 141, 145, 146, 164, 162, 158, 167, 166, 143, 149, 144, 156, 165, 163, 152, 161, 160},
    {165, 134, 169, 136, 228, 162, 152, 190, 171, 164, 143, 168, 157, 227, 224, 151, 189, 141},
    {44, 39, 44, 47, 39, 39, 39, 39, 96, 44, 39, 44, 47, 39, 39, 39, 45, 39},
    {177, 230, 234, 179, 241, 243, 182, 191, 188, 161, 198, 202, 163, 209, 211, 166, 175, 172},
    {185, 230, 234, 179, 241, 243, 156, 191, 159, 165, 198, 202, 163, 209, 211, 140, 175, 143},
}};

TTranslation IdentityTranslation() {
  TTranslation translation{};
  for (int b = 0; b < 256; ++b) translation.Byte[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
  return translation;
}

TTranslation MakeTranslation(CodePageId page) {
  switch (page) {
    case CodePageId::Mazovia: return MakeTranslation(1);
    case CodePageId::Pc852: return MakeTranslation(2);
    case CodePageId::Iso8859_2: return MakeTranslation(4);
    case CodePageId::Windows1250: return MakeTranslation(5);
    default: return IdentityTranslation();
  }
}

TTranslation MakeTranslation(int row) {
  TTranslation translation = IdentityTranslation();
  if (row < 0 || row >= kCodePageRows) return translation;
  const auto& source = CodePageTable[static_cast<std::size_t>(row)];
  // Walk backwards so that the first position of a repeated byte wins.
  for (int k = kPolishLetters - 1; k >= 0; --k) {
    const std::uint8_t b = source[static_cast<std::size_t>(k)];
    translation.Byte[b] = CodePageTable[kTargetRow][static_cast<std::size_t>(k)];
    translation.Translated[b] = true;
  }
  return translation;
}

}  // namespace prynda
