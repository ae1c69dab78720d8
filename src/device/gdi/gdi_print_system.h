// The system's printers through the Windows spooler and GDI: the installed printers and the
// default one, their device settings (orientation, copies), information and device contexts, the
// printer's fonts, and documents drawn with GDI's own text and line calls.
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
  TRgb SystemColor(int index) override;
  void Beep() override;
};

}  // namespace prynda
