// HarfBuzz's subsetter, opened on another thread when a document starts (it is needed only when
// the document ends, to embed the fonts): loading it and the libraries it pulls in then costs the
// job nothing, and a run that prints nothing never loads it.
#pragma once

#include <hb-subset.h>
#include <hb.h>

#include "platform/runtime_library.h"

namespace prynda {

#define PRYNDA_SUBSET_FUNCTIONS(X)                                                                        \
  X(hb_blob_create_from_file_or_fail) X(hb_blob_destroy) X(hb_blob_get_data) X(hb_blob_get_length)        \
  X(hb_face_create) X(hb_face_destroy) X(hb_face_reference_blob) X(hb_face_reference_table) X(hb_set_add) \
  X(hb_subset_input_create_or_fail) X(hb_subset_input_destroy) X(hb_subset_input_glyph_set)               \
  X(hb_subset_input_set) X(hb_subset_input_set_flags) X(hb_subset_input_unicode_set) X(hb_subset_or_fail)

struct SubsetLibrary {
  PRYNDA_SUBSET_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// The library's functions, once PreloadSubsetter (font_subset.h) has opened it in the background;
// raises EPrinter when it cannot be opened.
const SubsetLibrary& Subsetter();

}  // namespace prynda
