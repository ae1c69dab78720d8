// The system's printers through the Windows spooler and GDI: the installed printers and the
// default one, their device settings (orientation, copies), information and device contexts, the
// printer's fonts, and documents drawn with GDI's own text and line calls. A document handed on
// goes to the spooler as it is when it is a printer language (the RAW datatype), through
// Ghostscript's printer device when it is PDF or PostScript: without Ghostscript those are
// Unsupported.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/print_system.h"

namespace prynda {

class GdiPrintSystem final : public PrintSystem {
 public:
  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinter() override;
  std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) override;
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override;
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override;
  TRgb SystemColor(int index) override;
  void Beep() override;
};

// An information context on the screen: the fonts GDI makes and their measurements without a
// printer (what the tests check this backend's fonts on).
std::unique_ptr<PrintContext> ScreenInformationContext();

}  // namespace prynda
