// The operating system's own printers: CUPS's on Linux (cups/), the spooler's through GDI on
// Windows (gdi/); each build has the one of its platform.
#pragma once

#include <memory>

#include "device/print_system.h"

namespace prynda {

class FontLibrary;
std::unique_ptr<PrintSystem> SystemPrinters(std::shared_ptr<FontLibrary> fonts);

}  // namespace prynda
