#include "printers/printers.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/combined_print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/prynda_pdf/pdf_file_printer.h"
#include "printers/system_printers.h"

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

}  // namespace

Printers MakePrinters() {
  auto fonts = std::make_shared<FontLibrary>();
  std::vector<std::unique_ptr<PrintSystem>> systems;
  systems.push_back(SystemPrinters(fonts));
  const char* hide_pdf = std::getenv("PRYNDA_NO_PDF_PRINTER");
  if (hide_pdf == nullptr || std::strcmp(hide_pdf, "1") != 0) {
    systems.push_back(std::make_unique<PdfFilePrintSystem>(fonts));
  }
  return {std::make_unique<PlatformPrintSystem>(std::move(systems), fonts), PdfArchiveContexts(fonts)};
}

}  // namespace prynda
