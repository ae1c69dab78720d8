#include "printers/fonts/font_subset.h"

#include "printers/fonts/font_library.h"

namespace prynda {

// Without a subsetter the whole program goes in: bigger files, the same pages.
FontSubset SubsetFont(const FontFace& face, const std::vector<char32_t>&) {
  FontSubset subset;
  subset.Data = face.Program();
  subset.Cff = subset.Data.compare(0, 4, "OTTO") == 0;
  return subset;
}

void PreloadSubsetter() {}

}  // namespace prynda
