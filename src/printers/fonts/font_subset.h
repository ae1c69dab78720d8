// The font program a PDF embeds for the glyphs a document used, glyph numbers kept: cut down by
// HarfBuzz on Linux (font_subset_harfbuzz.cc), the whole program on Windows (font_subset_whole.cc).
#pragma once

#include <string>
#include <vector>

namespace prynda {

class FontFace;  // printers/fonts/font_library.h

struct FontSubset {
  std::string Data;
  bool Cff = false;  // outlines in CFF (an OpenType font) rather than TrueType
};

// `used` is indexed by glyph number: 0 unused, else the code point + 1.
FontSubset SubsetFont(const FontFace& face, const std::vector<char32_t>& used);

// Starts making the subsetter ready in the background, where that takes time.
void PreloadSubsetter();

}  // namespace prynda
