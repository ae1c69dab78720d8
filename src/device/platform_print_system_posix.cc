#include "device/platform_print_system.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/combined_print_system.h"
#include "device/console.h"
#include "device/cups/cups_print_system.h"
#include "device/fonts/font_library.h"
#include "device/pdffile/pdf_file_printer.h"
#include "device/text_encoding.h"

namespace prynda {

namespace {

// The system's printers and the built-in one; the first look at the printers (a job is starting)
// also sets the fonts loading, so that both take their time side by side.
class PlatformPrintSystem final : public CombinedPrintSystem {
 public:
  PlatformPrintSystem(std::vector<std::unique_ptr<PrintSystem>> systems, std::shared_ptr<FontLibrary> fonts)
      : CombinedPrintSystem(std::move(systems)), fonts_(std::move(fonts)) {}
  std::vector<std::string> PrinterNames() override {
    fonts_->Prefetch();
    return CombinedPrintSystem::PrinterNames();
  }

 private:
  std::shared_ptr<FontLibrary> fonts_;
};

bool NamesUtf8(std::string_view locale) {
  std::string lower;
  for (char c : locale) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

std::unique_ptr<PrintSystem> MakePlatformPrintSystem() {
  auto fonts = std::make_shared<FontLibrary>();
  std::vector<std::unique_ptr<PrintSystem>> systems;
  systems.push_back(std::make_unique<CupsPrintSystem>(fonts));
  const char* hide_pdf = std::getenv("PRYNDA_NO_PDF_PRINTER");
  if (hide_pdf == nullptr || std::strcmp(hide_pdf, "1") != 0) {
    systems.push_back(std::make_unique<PdfFilePrintSystem>(fonts));
  }
  return std::make_unique<PlatformPrintSystem>(std::move(systems), fonts);
}

int ConsoleCodePageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return NamesUtf8(value) ? kCodePageUtf8 : 852;
  }
  return 852;
}

TRgb StandardSystemColor(int index) {
  // Window backgrounds and button faces are white, everything drawn on them black.
  return (index == 5 || index == 15) ? 0xFFFFFF : 0x000000;
}

void ConsoleBeep() {
  if (::isatty(STDERR_FILENO)) {
    const char bell = '\a';
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, &bell, 1);
  }
}

}  // namespace prynda
