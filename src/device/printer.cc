#include "device/printer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/stop_requests.h"

namespace prynda {

TPrinter::TPrinter(PrintSystem& system) : system_(system) {}

TPrinter::~TPrinter() {
  // A document still open here was interrupted by a failure: nothing of it may reach the paper.
  if (printing_ && context_) {
    try {
      context_->AbortDoc();
    } catch (...) {
    }
  }
  if (printing_) SetDocumentOpen(false);
}

const TNameList& TPrinter::PrinterNames() {
  if (!printer_names_) printer_names_.emplace(system_.PrinterNames());
  return *printer_names_;
}

int TPrinter::DefaultIndex() {
  const std::string name = system_.DefaultPrinter();
  const int found = name.empty() ? -1 : PrinterNames().IndexOf(name);
  if (found < 0) throw EPrinter(kNoDefaultPrinter);
  return found;
}

int TPrinter::SelectedIndex() {
  if (index_ == -1) index_ = DefaultIndex();
  return index_;
}

void TPrinter::SetSelectedIndex(int index) {
  CheckPrinting(false);
  if (index < -1 || index >= PrinterNames().Count()) throw EPrinter(kPrinterIndexError);
  // A failed choice leaves the current printer as it was.
  index_ = index == -1 ? DefaultIndex() : index;
  font_names_.reset();
  settings_.reset();
  SetState(State::NoContext);
}

void TPrinter::ReloadLists() {
  printer_names_.reset();
  font_names_.reset();
}

const TNameList& TPrinter::FontNames() {
  if (!font_names_) font_names_.emplace(Context().FontFaces());
  return *font_names_;
}

const std::string& TPrinter::CurrentName() {
  const int index = SelectedIndex();
  if (index >= PrinterNames().Count()) throw EPrinter(kInvalidPrinter);
  return PrinterNames()[index];
}

TDeviceSettings& TPrinter::Settings() {
  if (!settings_) settings_.emplace(system_.DeviceSettings(CurrentName()));
  if (!settings_->has_value()) throw EPrinter(kInvalidPrinterOp);
  return **settings_;
}

TPrinterOrientation TPrinter::PageOrientation() { return Settings().Orientation; }

void TPrinter::SetPageOrientation(TPrinterOrientation orientation) {
  CheckPrinting(false);
  Settings().Orientation = orientation;
  SetState(State::NoContext);
}

std::int16_t TPrinter::CopyCount() { return Settings().Copies; }

void TPrinter::SetCopyCount(std::int16_t copies) {
  CheckPrinting(false);
  Settings().Copies = copies;
  SetState(State::NoContext);
}

void TPrinter::SetPaper(std::optional<TPaperSize> paper) {
  CheckPrinting(false);
  if (!settings_) settings_.emplace(system_.DeviceSettings(CurrentName()));
  if (!settings_->has_value() || (*settings_)->Paper == paper) return;
  (*settings_)->Paper = std::move(paper);
  SetState(State::NoContext);
}

void TPrinter::SetForm(std::shared_ptr<const PageForm> form) {
  CheckPrinting(false);
  if (form == form_) return;
  form_ = std::move(form);
  SetState(State::NoContext);
}

void TPrinter::SetPageScale(double scale) {
  CheckPrinting(false);
  scale_ = (scale > 0 && scale < 1) ? scale : 1.0;
  canvas_.font_.SetPixelsPerInch(Scaled(caps_.LogPixelsY));
}

void TPrinter::SetPageOffset(double x_mm, double y_mm) {
  CheckPrinting(false);
  offset_x_mm_ = x_mm;
  offset_y_mm_ = y_mm;
  offset_x_ = static_cast<int>(std::lround(x_mm / 25.4 * caps_.LogPixelsX));
  offset_y_ = static_cast<int>(std::lround(y_mm / 25.4 * caps_.LogPixelsY));
}

int TPrinter::Scaled(int dpi) const {
  // Whole dots an inch, rounded down: a fitted page never comes out larger than its room.
  return scale_ == 1.0 ? dpi : std::max(1, static_cast<int>(dpi * scale_));
}

TDeviceCaps TPrinter::Caps() {
  TDeviceCaps caps = PhysicalCaps();
  caps.LogPixelsX = Scaled(caps.LogPixelsX);
  caps.LogPixelsY = Scaled(caps.LogPixelsY);
  return caps;
}

int TPrinter::DeviceCaps(int index) {
  const TDeviceCaps caps = Caps();
  switch (index) {
    case kHorzRes: return caps.HorzRes;
    case kVertRes: return caps.VertRes;
    case kLogPixelsX: return caps.LogPixelsX;
    case kLogPixelsY: return caps.LogPixelsY;
    case kPhysicalWidth: return caps.PhysicalWidth;
    case kPhysicalHeight: return caps.PhysicalHeight;
    case kPhysicalOffsetX: return caps.PhysicalOffsetX;
    case kPhysicalOffsetY: return caps.PhysicalOffsetY;
    default: return 0;
  }
}

void TPrinter::CheckPrinting(bool printing) const {
  if (printing_ != printing) throw EPrinter(printing ? kNotPrinting : kPrinting);
}

TDeviceSettings TPrinter::SettingsFor(const std::string& name) {
  TDeviceSettings settings;
  if (!settings_) settings_.emplace(system_.DeviceSettings(name));
  if (settings_->has_value()) settings = **settings_;
  settings.Form = form_;
  return settings;
}

void TPrinter::SetState(State state) {
  if (state == state_) return;
  DropContext();
  if (state == State::NoContext) return;
  const std::string& name = CurrentName();
  const TDeviceSettings settings = SettingsFor(name);
  auto context = system_.CreateContext(
      name, settings, state == State::Device ? TContextKind::Device : TContextKind::Information);
  if (!context) throw EPrinter(kInvalidPrinter);
  caps_ = context->Caps();
  context_ = std::move(context);
  state_ = state;
  ++context_generation_;
  // The canvas font takes the new context's resolution at once, keeping its point size.
  canvas_.font_.SetPixelsPerInch(Scaled(caps_.LogPixelsY));
  offset_x_ = static_cast<int>(std::lround(offset_x_mm_ / 25.4 * caps_.LogPixelsX));
  offset_y_ = static_cast<int>(std::lround(offset_y_mm_ / 25.4 * caps_.LogPixelsY));
}

void TPrinter::DropContext() {
  context_.reset();
  state_ = State::NoContext;
  caps_ = TDeviceCaps{};
}

PrintContext& TPrinter::Context() {
  if (state_ == State::NoContext) SetState(State::Information);
  return *context_;
}

void TPrinter::StartDocument() {
  CheckPrinting(false);
  SetState(State::Device);
  // From here a request to stop is only noted, for the job to end in order: a document that is
  // being opened or is open is cancelled, not left half-made.
  SetDocumentOpen(true);
  try {
    context_->StartDoc(TDocInfo{document_name_, source_file_name_, program_seconds_});
    printing_ = true;
    context_->StartPage();
  } catch (...) {
    if (printing_) {
      try {
        context_->AbortDoc();
      } catch (...) {
      }
      printing_ = false;
    }
    DropContext();
    SetDocumentOpen(false);
    throw;
  }
}

void TPrinter::StartNextPage() {
  CheckPrinting(true);
  context_->EndPage();
  context_->StartPage();
}

void TPrinter::FinishDocument() {
  CheckPrinting(true);
  printing_ = false;
  try {
    context_->EndPage();
    context_->EndDoc();
  } catch (...) {
    try {
      context_->AbortDoc();
    } catch (...) {
    }
    DropContext();
    SetDocumentOpen(false);
    throw;
  }
  DropContext();
  SetDocumentOpen(false);
}

void TPrinter::AbortDocument() {
  CheckPrinting(true);
  printing_ = false;
  try {
    context_->AbortDoc();
  } catch (...) {
    DropContext();
    SetDocumentOpen(false);
    throw;
  }
  DropContext();
  SetDocumentOpen(false);
}

TPassOnResult TPrinter::PassOn(TDocumentFormat format, const std::string& path, std::uint64_t offset) {
  CheckPrinting(false);
  const std::string name = CurrentName();
  const TDeviceSettings settings = SettingsFor(name);
  // While it is handed on, a request to stop is only noted, as while a document is open.
  struct OpenWhileHere {
    OpenWhileHere() { SetDocumentOpen(true); }
    ~OpenWhileHere() { SetDocumentOpen(false); }
  } open;
  const TDocInfo info{document_name_, source_file_name_, program_seconds_};
  const TPassOnResult result = system_.PassOn(name, settings, info, format, path, offset);
  if (result == TPassOnResult::UnknownPrinter) throw EPrinter(kInvalidPrinter);
  return result;
}

TRgb TPrinter::ColorToRgb(TColor color) {
  const auto value = static_cast<std::uint32_t>(color);
  if (value & 0x80000000u) return system_.SystemColor(static_cast<int>(value & 0xFFu));
  return value & 0x00FFFFFFu;
}

}  // namespace prynda
