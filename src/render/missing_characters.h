// Characters that no face of the canvas font has: each is drawn as a substitute (the replacement
// character, or '?' where the font lacks that too) and named once on the console at the job's end.
#pragma once

#include <vector>

#include "device/canvas.h"
#include "platform/console.h"

namespace prynda {

class MissingCharacters {
 public:
  // `c` as the canvas font can draw it: itself, or the substitute.
  char32_t Drawable(TCanvas& canvas, char32_t c);
  // The line naming the characters met that no face has; nothing when there were none.
  void Report(TConsole& console) const;

 private:
  std::vector<char32_t> missing_;  // in the order met
  char32_t substitute_ = 0;        // what was drawn in their place
};

}  // namespace prynda
