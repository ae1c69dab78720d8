// The system's printers through CUPS: the destinations in CUPS order and its default, each
// printer's resolution, paper and margins from its defaults (600 dpi and A4 when it reports none),
// and jobs that stream the PDF of each page as it is drawn. Cancelling a document cancels its job.
// A document handed on is streamed as one job of its own type (PDF, PostScript, raw), which the
// scheduler converts for the queue as it does the rendered PDF. Without a running scheduler the
// list is simply empty.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/pdf/pdf_context.h"

typedef struct cups_dest_s cups_dest_t;  // libcups is opened at run time: cups_library.h

namespace prynda {

class CupsPrintSystem final : public PrintSystem {
 public:
  explicit CupsPrintSystem(std::shared_ptr<FontLibrary> fonts, PdfContextMaker make_context = PdfWriterContexts());
  ~CupsPrintSystem() override;

  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinter() override;
  std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) override;
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override;
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override;
  TRgb SystemColor(int index) override;
  void Beep() override;

  // Every job made from now on carries this job option too.
  void AddJobOption(std::string name, std::string value);

 private:
  void LoadDestinations();
  cups_dest_t* Find(const std::string& printer);

  std::shared_ptr<FontLibrary> fonts_;
  PdfContextMaker make_context_;
  cups_dest_t* dests_ = nullptr;
  int count_ = 0;
  bool loaded_ = false;
  std::vector<std::pair<std::string, std::string>> job_options_;
};

// A queue's attributes as the scheduler itself states them, which no user's lpoptions can
// change: for each of `names` that the queue has, its values as text (numbers in decimal).
// nullopt when the scheduler has no such queue, cannot be asked, or libcups is not installed.
std::optional<std::map<std::string, std::vector<std::string>>> QueueAttributes(const std::string& queue,
                                                                               const std::vector<std::string>& names);

// For a program that prints on someone's behalf (the CUPS backend): the jobs this thread creates
// from now on belong to `user`. False when libcups is not installed.
bool SubmitJobsAs(const std::string& user);

// A CUPS option string ("a=1 b='x y' flag noflag") as name/value pairs, as CUPS reads it (a bare
// name is "true", a name with "no" before it "false"). Empty when libcups is not installed.
std::vector<std::pair<std::string, std::string>> ParseCupsOptions(const std::string& text);

}  // namespace prynda
