// How the backends that make PDF get their print context: by default Prynda's own PDF writer; a
// backend can be given another maker (the tests compare the writer with a reference that way).
#pragma once

#include <functional>
#include <memory>

#include "device/print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/pdf/pdf_sink.h"

namespace prynda {

// Makes a context for a page geometry; without a sink it only answers questions.
using PdfContextMaker =
    std::function<std::unique_ptr<PrintContext>(FontLibrary&, const TPageGeometry&, std::unique_ptr<PdfSink>)>;

PdfContextMaker PdfWriterContexts();

}  // namespace prynda
