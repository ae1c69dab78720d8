// qpdf's library through its C interface, opened at run time when a PDF form is first loaded or a
// PDF first checked: a job without either never loads it and the C++ libraries it pulls in.
#pragma once

#include <qpdf/qpdf-c.h>

#include "platform/runtime_library.h"

namespace prynda {

#define PRYNDA_QPDF_FUNCTIONS(X)                                                                           \
  X(qpdf_init) X(qpdf_cleanup) X(qpdf_silence_errors) X(qpdf_set_suppress_warnings) X(qpdf_read_memory)    \
  X(qpdf_has_error) X(qpdf_get_error) X(qpdf_more_warnings) X(qpdf_next_warning) X(qpdf_get_error_full_text) X(qpdf_get_num_pages) X(qpdf_get_page_n) \
  X(qpdf_oh_get_key) X(qpdf_oh_has_key) X(qpdf_oh_is_indirect) X(qpdf_oh_get_object_id)                    \
  X(qpdf_oh_get_generation) X(qpdf_oh_get_type_code) X(qpdf_oh_unparse) X(qpdf_oh_get_array_n_items)       \
  X(qpdf_oh_get_array_item) X(qpdf_oh_begin_dict_key_iter) X(qpdf_oh_dict_more_keys)                       \
  X(qpdf_oh_dict_next_key) X(qpdf_oh_get_dict) X(qpdf_oh_get_stream_data) X(qpdf_oh_get_page_content_data) \
  X(qpdf_oh_get_numeric_value) X(qpdf_oh_is_number) X(qpdf_oh_is_name_and_equals) X(qpdf_oh_is_dictionary) \
  X(qpdf_oh_is_null) X(qpdf_oh_new_null) X(qpdf_oh_release_all) X(qpdf_oh_release) X(qpdf_get_root)            \
  X(qpdf_is_encrypted) X(qpdf_get_object_by_id) X(qpdf_oh_is_array) X(qpdf_oh_is_stream) X(qpdf_oh_is_integer)  \
  X(qpdf_oh_get_int_value) X(qpdf_oh_is_name) X(qpdf_oh_get_name)

struct QpdfLibrary {
  PRYNDA_QPDF_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// The library's functions; nullptr when it is not installed or lacks one of them.
const QpdfLibrary* Qpdf();

}  // namespace prynda
