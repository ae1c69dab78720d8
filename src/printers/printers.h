// The printers of the machine the program was built for: the system's own, then the built-in
// "Prynda PDF" (PRYNDA_NO_PDF_PRINTER=1 leaves it out), and the archive's PDF contexts over the
// same fonts.
#pragma once

#include <memory>

#include "device/print_system.h"
#include "printers/archive/archive_print_system.h"

namespace prynda {

struct Printers {
  std::unique_ptr<PrintSystem> System;
  ArchiveContextMaker ArchiveContexts;
};
Printers MakePrinters();

}  // namespace prynda
