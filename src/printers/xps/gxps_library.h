// libgxps, opened at run time when an XPS document is first converted: a job without one never
// loads it, nor GLib, GIO and cairo, which it pulls in and whose functions come through its handle.
#pragma once

#include <cairo-pdf.h>
#include <libgxps/gxps.h>

#include "platform/runtime_library.h"

namespace prynda {

#define PRYNDA_GXPS_FUNCTIONS(X)                                                                         \
  X(g_vfs_get_local) X(g_vfs_get_file_for_path) X(g_object_unref) X(g_error_free)                       \
  X(gxps_file_new) X(gxps_file_get_n_documents) X(gxps_file_get_document) X(gxps_document_get_n_pages)    \
  X(gxps_document_get_page) X(gxps_page_get_size) X(gxps_page_render)                                    \
  X(cairo_pdf_surface_create_for_stream) X(cairo_pdf_surface_set_size) X(cairo_surface_status)           \
  X(cairo_surface_finish) X(cairo_surface_destroy) X(cairo_create) X(cairo_destroy) X(cairo_scale)       \
  X(cairo_status) X(cairo_show_page) X(cairo_status_to_string)

struct GxpsLibrary {
  PRYNDA_GXPS_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// The library's functions; nullptr when it is not installed or lacks one of them.
const GxpsLibrary* Gxps();

}  // namespace prynda
