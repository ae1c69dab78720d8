// The code-page translation over every source row and arbitrary bytes: a byte is translated
// exactly when it is a Polish letter of its row, and then it becomes that letter's Windows-1250 code.
#include <algorithm>
#include <cstdint>

#include "translation/code_page_table.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t code_page = data[0] % 8;  // rows 6 and 7 do not exist: nothing is translated
  const TTranslation translation = MakeTranslation(code_page);
  for (std::size_t i = 1; i < size; ++i) {
    const std::uint8_t byte = data[i];
    if (code_page >= kCodePageRows) {
      if (translation.Translated[byte] || translation.Byte[byte] != byte) __builtin_trap();
      continue;
    }
    const auto& row = CodePageTable[code_page];
    const auto found = std::find(row.begin(), row.end(), byte);
    if (translation.Translated[byte] != (found != row.end())) __builtin_trap();
    const std::uint8_t expected =
        found != row.end() ? CodePageTable[kTargetRow][static_cast<std::size_t>(found - row.begin())] : byte;
    if (translation.Byte[byte] != expected) __builtin_trap();
  }
  return 0;
}
