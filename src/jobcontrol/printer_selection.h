// Choosing the printer by name: a name beginning with "DEF" (any case) forces the system's default
// printer; otherwise the installed printer of that name (case ignored), and when there is none the
// list of installed printers, a wait for Enter and the default printer.
#pragma once

#include <string>

#include "job/job_context.h"

namespace prynda {

void SelectPrinterByName(TJobContext& job, const std::string& name);

}  // namespace prynda
