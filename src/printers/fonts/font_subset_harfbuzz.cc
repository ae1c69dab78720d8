#include "printers/fonts/font_subset.h"

#include "device/printer_error.h"
#include "printers/fonts/font_library.h"
#include "printers/fonts/subset_library.h"

namespace prynda {

// HarfBuzz cuts the face down to the used glyphs, keeping their numbers so that the content
// streams can name glyphs as the face does. Layout tables are not needed inside a PDF.
FontSubset SubsetFont(const FontFace& face, const std::vector<char32_t>& used) {
  const SubsetLibrary& hb = Subsetter();
  FontSubset subset;
  hb_blob_t* blob = hb.hb_blob_create_from_file_or_fail(face.File().c_str());
  if (blob == nullptr) throw EPrinter("The font file " + face.File() + " cannot be read");
  hb_face_t* source = hb.hb_face_create(blob, static_cast<unsigned int>(face.Index()));
  hb.hb_blob_destroy(blob);
  hb_blob_t* cff = hb.hb_face_reference_table(source, HB_TAG('C', 'F', 'F', ' '));
  subset.Cff = hb.hb_blob_get_length(cff) > 0;
  hb.hb_blob_destroy(cff);

  hb_subset_input_t* input = hb.hb_subset_input_create_or_fail();
  if (input == nullptr) {
    hb.hb_face_destroy(source);
    throw EPrinter("Out of memory for a font subset");
  }
  hb_set_t* glyphs = hb.hb_subset_input_glyph_set(input);
  hb_set_t* unicodes = hb.hb_subset_input_unicode_set(input);
  hb.hb_set_add(glyphs, 0);
  for (std::size_t glyph = 0; glyph < used.size(); ++glyph) {
    if (used[glyph] == 0) continue;
    hb.hb_set_add(glyphs, static_cast<hb_codepoint_t>(glyph));
    if (used[glyph] > 1) hb.hb_set_add(unicodes, used[glyph] - 1);
  }
  hb_set_t* dropped = hb.hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (hb_tag_t tag : {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
                       HB_TAG('k', 'e', 'r', 'n'), HB_TAG('h', 'd', 'm', 'x'), HB_TAG('V', 'D', 'M', 'X'),
                       HB_TAG('L', 'T', 'S', 'H'), HB_TAG('D', 'S', 'I', 'G'), HB_TAG('g', 'a', 's', 'p')}) {
    hb.hb_set_add(dropped, tag);
  }
  hb.hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  hb_face_t* result = hb.hb_subset_or_fail(source, input);
  hb.hb_subset_input_destroy(input);
  hb.hb_face_destroy(source);
  if (result != nullptr) {
    hb_blob_t* bytes = hb.hb_face_reference_blob(result);
    unsigned int length = 0;
    const char* data = hb.hb_blob_get_data(bytes, &length);
    subset.Data.assign(data, length);
    hb.hb_blob_destroy(bytes);
    hb.hb_face_destroy(result);
  }
  if (subset.Data.empty()) throw EPrinter("The font " + face.PostScriptName() + " cannot be embedded");
  return subset;
}

}  // namespace prynda
