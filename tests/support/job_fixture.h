// Shared set-up of the job-control tests: one job over the recording print system, its console on
// string streams in UTF-8 (so expected messages read as they are written here), and a scratch
// folder for settings files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "device/printer.h"
#include "fakes/recording_print_system.h"
#include "job/job_context.h"
#include "platform/console.h"
#include "platform/text_encoding.h"
#include "support/console_streams.h"
#include "support/temp_dir.h"

namespace prynda::testing {

// Every field on one line, so that a mismatch shows which field differs.
inline std::string Describe(const TJobSettings& s) {
  std::ostringstream text;
  text << "DeleteAfterPrint=" << s.DeleteAfterPrint << " CodePage=" << CodePageOf(s.CodePage).Name
       << " Scale216=" << s.Scale216 << " Copies=" << s.Copies << " ShowMessages=" << s.ShowMessages
       << " ForceFF=" << s.ForceFF << " FFLines=" << s.FFLines << " FFNLines=" << s.FFNLines
       << " FrameWidth=" << s.FrameWidth << " Truncate=" << s.Truncate << " IgnoreNull=" << s.IgnoreNull
       << " TopMarginLines=" << s.TopMarginLines << " BaseFontName=" << s.BaseFontName
       << " PrinterGiven=" << s.PrinterGiven;
  return text.str();
}

// The lines that report the font sections from the `first` one (in the order 10, 12, 16, 20, EM,
// AK) on as missing.
inline std::vector<std::string> MissingFontSections(std::size_t first = 0) {
  std::vector<std::string> lines;
  const char* const suffixes[] = {"10", "12", "16", "20", "EM", "AK"};
  for (std::size_t i = first; i < std::size(suffixes); ++i) {
    lines.push_back(std::string("Brak sekcji czcionki: FormKelvra\\FontDialog_") + suffixes[i] + "_Font");
  }
  return lines;
}

class JobFixture : public ::testing::Test, protected ConsoleStreams {
 protected:
  // Replaces the installed printers; `default_printer` "" means the system has no default.
  void InstallPrinters(std::vector<FakePrinter> printers, const std::string& default_printer) {
    system.Printers = std::move(printers);
    system.Default = default_printer;
  }
  static FakePrinter Printer(const std::string& name, std::vector<std::string> fonts) {
    FakePrinter printer;
    printer.Name = name;
    printer.Fonts = std::move(fonts);
    return printer;
  }

  int CallsOf(const std::string& call) const { return system.CallCount(call); }

  RecordingPrintSystem system;
  TPrinter printer{system};
  TJobContext job{{"/opt/prynda/prynda", "/tmp/faktura.txt"}, printer, console};
};

}  // namespace prynda::testing
