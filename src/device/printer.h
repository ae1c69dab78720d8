// TPrinter: the one printer object of a run, over a PrintSystem. It keeps the printer list, the
// current printer and its device settings, and moves between no context, an information context
// (for caps, fonts and measuring) and a device context (while a document is open). Misuse and
// platform failures raise EPrinter with the texts of printer_error.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device/canvas.h"
#include "device/print_system.h"
#include "device/printer_error.h"
#include "platform/name_list.h"

namespace prynda {

// GetDeviceCaps indexes that DeviceCaps answers.
inline constexpr int kHorzRes = 8;
inline constexpr int kVertRes = 10;
inline constexpr int kLogPixelsX = 88;
inline constexpr int kLogPixelsY = 90;
inline constexpr int kPhysicalWidth = 110;
inline constexpr int kPhysicalHeight = 111;
inline constexpr int kPhysicalOffsetX = 112;
inline constexpr int kPhysicalOffsetY = 113;

class TPrinter {
 public:
  explicit TPrinter(PrintSystem& system);
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  const TNameList& PrinterNames();
  // Reading -1 resolves the system's default printer first; writing -1 selects it.
  int SelectedIndex();
  void SetSelectedIndex(int index);
  void ReloadLists();
  const TNameList& FontNames();

  const std::string& DocumentName() const { return document_name_; }
  void SetDocumentName(std::string name) { document_name_ = std::move(name); }
  // The file the document is printed from; printers that write files name their output after it.
  const std::string& SourceFileName() const { return source_file_name_; }
  void SetSourceFileName(std::string name) { source_file_name_ = std::move(name); }
  // Seconds a program run on a document handed on may take (TDocInfo::ProgramSeconds).
  void SetProgramTime(int seconds) { program_seconds_ = seconds; }

  TPrinterOrientation PageOrientation();
  void SetPageOrientation(TPrinterOrientation orientation);
  std::int16_t CopyCount();
  void SetCopyCount(std::int16_t copies);

  // The sheet for the next document; nullopt: the printer's own. A printer without device
  // settings keeps its own.
  void SetPaper(std::optional<TPaperSize> paper);
  // The form under every sheet of the next documents (TDeviceSettings::Form), whichever printer is
  // chosen; nullptr: plain paper.
  void SetForm(std::shared_ptr<const PageForm> form);

  // The page's geometry below the renderer: drawn `scale` times its size (at most 1), as if the
  // printer's resolution were that much lower, and moved by the offsets. The resolution the
  // caps answer, and the fonts, follow the scale; positions stay device pixels.
  void SetPageScale(double scale);
  void SetPageOffset(double x_mm, double y_mm);

  // The caps as the renderer sees them: the resolution as the scale makes it, the sheet and the
  // printable area as the device gives them.
  TDeviceCaps Caps();
  // The caps as the device gives them, whatever the scale.
  const TDeviceCaps& PhysicalCaps() {
    Context();
    return caps_;
  }
  // One of Caps() by its GetDeviceCaps index (kHorzRes, ...); 0 for an index it does not know.
  int DeviceCaps(int index);
  int PrintableHeight() { return Caps().VertRes; }

  void StartDocument();
  void StartNextPage();
  void FinishDocument();
  void AbortDocument();
  bool IsPrinting() const { return printing_; }

  // The document in the file at `path`, from byte `offset` on, handed to the current printer as
  // it is (PrintSystem::PassOn) with the printer's copy count and DocumentName as its title:
  // Printed or Unsupported. Not while a document is open (kPrinting); kInvalidPrinter when the
  // system no longer knows the printer. A request to stop meanwhile cancels it (JobInterrupted).
  TPassOnResult PassOn(TDocumentFormat format, const std::string& path, std::uint64_t offset);

  TCanvas& PageCanvas() { return canvas_; }

  // Resolves system colours through the platform.
  TRgb ColorToRgb(TColor color);
  void Beep() { system_.Beep(); }

 private:
  friend class TCanvas;
  enum class State { NoContext, Information, Device };

  void CheckPrinting(bool printing) const;
  int DefaultIndex();  // raises when the system has no default printer
  const std::string& CurrentName();
  TDeviceSettings& Settings();  // raises when the printer has none
  // The device settings a context of printer `name` is made with: the printer's own (read once), the form.
  TDeviceSettings SettingsFor(const std::string& name);
  void SetState(State state);
  PrintContext& Context();      // the current context, an information one when there is none
  void DropContext();

  PrintSystem& system_;
  std::optional<TNameList> printer_names_;
  std::optional<TNameList> font_names_;
  int index_ = -1;
  std::optional<std::optional<TDeviceSettings>> settings_;  // outer: loaded; inner: printer has some
  std::shared_ptr<const PageForm> form_;
  std::string document_name_;
  std::string source_file_name_;
  int program_seconds_ = kDefaultProgramSeconds;
  State state_ = State::NoContext;
  std::unique_ptr<PrintContext> context_;
  int Scaled(int dpi) const;

  TDeviceCaps caps_;
  double scale_ = 1.0;
  double offset_x_mm_ = 0;
  double offset_y_mm_ = 0;
  int offset_x_ = 0;  // device pixels, for the current context
  int offset_y_ = 0;
  std::uint64_t context_generation_ = 0;
  bool printing_ = false;
  TCanvas canvas_{*this};
};

}  // namespace prynda
