#include "device/combined_print_system.h"

#include "device/name_list.h"

namespace prynda {

CombinedPrintSystem::CombinedPrintSystem(std::vector<std::unique_ptr<PrintSystem>> systems)
    : systems_(std::move(systems)) {}

std::vector<std::string> CombinedPrintSystem::PrinterNames() {
  std::vector<std::string> names;
  for (auto& system : systems_) {
    for (auto& name : system->PrinterNames()) names.push_back(std::move(name));
  }
  return names;
}

std::string CombinedPrintSystem::DefaultPrinter() {
  for (auto& system : systems_) {
    std::string name = system->DefaultPrinter();
    if (!name.empty()) return name;
  }
  return {};
}

PrintSystem* CombinedPrintSystem::Owner(const std::string& printer) {
  for (auto& system : systems_) {
    for (const auto& name : system->PrinterNames()) {
      if (SameTextIgnoringCase(name, printer)) return system.get();
    }
  }
  return nullptr;
}

std::optional<TDeviceSettings> CombinedPrintSystem::DeviceSettings(const std::string& printer) {
  PrintSystem* owner = Owner(printer);
  return owner ? owner->DeviceSettings(printer) : std::nullopt;
}

std::unique_ptr<PrintContext> CombinedPrintSystem::CreateContext(const std::string& printer,
                                                                 const TDeviceSettings& settings,
                                                                 TContextKind kind) {
  PrintSystem* owner = Owner(printer);
  return owner ? owner->CreateContext(printer, settings, kind) : nullptr;
}

TRgb CombinedPrintSystem::SystemColor(int index) {
  return systems_.empty() ? 0 : systems_.front()->SystemColor(index);
}

void CombinedPrintSystem::Beep() {
  if (!systems_.empty()) systems_.front()->Beep();
}

}  // namespace prynda
