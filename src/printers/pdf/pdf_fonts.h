// The fonts of one PDF document: every face the document draws with gets a resource name and an
// object number when first used, and at the end an embedded subset of just the glyphs it used
// (cut by HarfBuzz, glyph numbers kept), their widths, and a map from glyph back to Unicode so
// that the text can be searched and copied.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "printers/fonts/font_library.h"
#include "printers/pdf/pdf_writer.h"

namespace prynda {

class PdfFontSet {
 public:
  struct Entry {
    FontFace* Face;
    int Object;            // the Type0 font dictionary
    std::string Resource;  // "F1", "F2", ...
    std::vector<char32_t> Used;  // by glyph number: 0 unused, else the code point + 1
  };

  // The face's entry; the first use reserves its object number.
  Entry& Use(FontFace& face, PdfWriter& writer);
  static void NoteGlyph(Entry& entry, std::uint32_t glyph, char32_t code_point) {
    if (glyph >= entry.Used.size()) entry.Used.resize(glyph + 1, 0);
    if (entry.Used[glyph] == 0) entry.Used[glyph] = code_point + 1;
  }
  // Writes every font used; at the end of the document.
  void WriteAll(PdfWriter& writer);

 private:
  std::vector<std::unique_ptr<Entry>> entries_;
  Entry* last_ = nullptr;
};

}  // namespace prynda
