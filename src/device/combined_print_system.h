// Several print systems seen as one: their printers listed in the order of the systems, each
// request routed to the system that owns the printer. The default printer is the first system's
// that has one. Colours and the beep come from the first system.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/print_system.h"

namespace prynda {

class CombinedPrintSystem : public PrintSystem {
 public:
  explicit CombinedPrintSystem(std::vector<std::unique_ptr<PrintSystem>> systems);

  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinter() override;
  std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) override;
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override;
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override;
  TRgb SystemColor(int index) override;
  void Beep() override;

 private:
  PrintSystem* Owner(const std::string& printer);

  std::vector<std::unique_ptr<PrintSystem>> systems_;
  std::vector<std::pair<std::string, PrintSystem*>> owners_;  // from the latest PrinterNames
};

}  // namespace prynda
