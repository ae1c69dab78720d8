#include "job/prynda_settings.h"

namespace prynda {

const CodePage& FxCodePage(const PryndaSettings& settings, bool mazovia) {
  if (settings.CodePage) return CodePageOf(*settings.CodePage);
  return CodePageOf(mazovia ? CodePageId::Mazovia : CodePageId::Pc852);
}

}  // namespace prynda
