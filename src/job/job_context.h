// TJobContext: the named objects of one run - parameters, settings, the six fonts, the printer and
// the console - created by the program entry and handed to every step of the job.
#pragma once

#include <string>
#include <vector>

#include "device/console.h"
#include "device/font.h"
#include "device/printer.h"
#include "job/job_settings.h"
#include "job/prynda_settings.h"

namespace prynda {

struct TJobContext {
  TJobContext(std::vector<std::string> params, TPrinter& printer, TConsole& console)
      : Params(std::move(params)), CurrentPrinter(printer), Console(console) {}

  // Parameter 0 is the executable's full path, 1 the file to print, 2 and on the options.
  std::vector<std::string> Params;
  std::string InputFileName;
  TJobSettings Settings;
  PryndaSettings Prynda;  // the [Prynda] section and its options, apart from the fields above
  bool PauseAtEnd = false;

  TPrinter& CurrentPrinter;
  TConsole& Console;

  TFont Font10;
  TFont Font12;
  TFont Font16;
  TFont Font20;
  TFont FontEM;
  TFont FontAK;
};

}  // namespace prynda
