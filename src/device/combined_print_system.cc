#include "device/combined_print_system.h"

#include "platform/name_list.h"

namespace prynda {

CombinedPrintSystem::CombinedPrintSystem(std::vector<std::unique_ptr<PrintSystem>> systems)
    : systems_(std::move(systems)) {}

std::vector<std::string> CombinedPrintSystem::PrinterNames() {
  std::vector<std::string> names;
  owners_.clear();
  for (auto& system : systems_) {
    for (auto& name : system->PrinterNames()) {
      owners_.emplace_back(name, system.get());
      names.push_back(std::move(name));
    }
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
  if (owners_.empty()) PrinterNames();
  for (const auto& [name, system] : owners_) {
    if (SameTextIgnoringCase(name, printer)) return system;
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

TPassOnResult CombinedPrintSystem::PassOn(const std::string& printer, const TDeviceSettings& settings,
                                          const TDocInfo& info, TDocumentFormat format, const std::string& path,
                                          std::uint64_t offset) {
  PrintSystem* owner = Owner(printer);
  return owner ? owner->PassOn(printer, settings, info, format, path, offset) : TPassOnResult::UnknownPrinter;
}

TRgb CombinedPrintSystem::SystemColor(int index) {
  return systems_.empty() ? 0 : systems_.front()->SystemColor(index);
}

void CombinedPrintSystem::Beep() {
  if (!systems_.empty()) systems_.front()->Beep();
}

}  // namespace prynda
