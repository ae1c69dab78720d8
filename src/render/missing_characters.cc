#include "render/missing_characters.h"

#include <algorithm>
#include <string>

namespace prynda {

char32_t MissingCharacters::Drawable(TCanvas& canvas, char32_t c) {
  if (canvas.HasGlyph(c)) return c;
  if (std::find(missing_.begin(), missing_.end(), c) == missing_.end()) missing_.push_back(c);
  substitute_ = canvas.HasGlyph(U'\uFFFD') ? U'\uFFFD' : U'?';
  return substitute_;
}

void MissingCharacters::Report(TConsole& console) const {
  if (missing_.empty()) return;
  static const char hex[] = "0123456789ABCDEF";
  std::string list;
  for (char32_t c : missing_) {
    if (!list.empty()) list += ", ";
    list += "U+";
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4) list += hex[(c >> shift) & 15];
  }
  console.Line("Znaków nie ma w żadnej czcionce, drukuję zamiast nich ", substitute_ == U'?' ? "?" : "\uFFFD", ": ",
               list);
}

}  // namespace prynda
