// The print system of the platform the program was built for, with the built-in PDF printer after
// the system's own printers (PRYNDA_NO_PDF_PRINTER=1 leaves it out).
#pragma once

#include <memory>
#include <string>

#include "device/archive/archive_print_system.h"
#include "device/print_system.h"

namespace prynda {

// The archive's PDF contexts come with it, over the same fonts.
struct PlatformPrinting {
  std::unique_ptr<PrintSystem> Printers;
  ArchiveContextMaker ArchiveContexts;
};
PlatformPrinting MakePlatformPrintSystem();

class FontLibrary;
// The operating system's own printers (CUPS on Linux, the spooler on Windows).
std::unique_ptr<PrintSystem> SystemPrinters(std::shared_ptr<FontLibrary> fonts);

// The platform's system colours (8 = window text: black), as RGB.
TRgb StandardSystemColor(int index);
// The bell: a beep on the terminal, when there is one to hear it.
void ConsoleBeep();
// The name of the user the program runs as; its number where the system has no name for it.
std::string ProgramUserName();

}  // namespace prynda
