// TJobSettings: how the current job is printed. Built-in values here; the settings file and then
// the command line overwrite them field by field before the banner; from then on only read.
#pragma once

#include <cstdint>
#include <string>

#include "translation/code_pages.h"

namespace prynda {

struct TJobSettings {
  bool DeleteAfterPrint = false;
  CodePageId CodePage = CodePageId::Pc852;  // the Polish letters of our own dialect: PC852, or Mazovia
  bool Scale216 = true;       // vertical feeds in 1/216 inch, else 1/180
  std::int32_t Copies = 1;
  bool ShowMessages = true;
  bool ForceFF = false;       // automatic page breaks
  bool FFLines = false;       // ... after FFNLines lines instead of by the page length
  std::int32_t FFNLines = 60;
  std::int32_t FrameWidth = 1;  // pen width of box-drawing lines, device pixels
  bool Truncate = false;        // trim filler bytes from the end of the input
  bool IgnoreNull = true;       // a NUL byte takes no column
  std::int32_t TopMarginLines = 0;
  std::string BaseFontName = "Courier New";  // at most 80 characters
  bool PrinterGiven = false;                 // "/DR=" named a printer
};

inline constexpr std::size_t kMaxBaseFontNameLength = 80;

}  // namespace prynda
