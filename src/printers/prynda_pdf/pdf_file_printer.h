// "Prynda PDF": the built-in printer that writes each document to a PDF file. A4 at 600 dpi, a
// printable area 100 px inside every edge. The file is named after the printed file (extension
// ".pdf"), or by PRYNDA_PDF (a file, or a folder to put it in); it is written under a temporary
// name beside its place and renamed there when the document finishes, removed when it is aborted.
// One copy is written whatever the copy count says. A PDF handed on is written as it is, PostScript
// as Ghostscript's pdfwrite makes it; it takes no printer language.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/pass_on/pass_on.h"
#include "printers/pdf/pdf_context.h"

namespace prynda {

inline constexpr const char* kPdfPrinterName = "Prynda PDF";
inline constexpr int kPdfPrinterDpi = 600;
inline constexpr int kPdfPrinterMargin = 100;

// The PDF file for a printed file: `pdf_env` (PRYNDA_PDF) when given - a folder means that folder
// with the printed file's base name - else the printed file with its extension replaced by ".pdf".
// Never the printed file itself: raises EPrinter when PRYNDA_PDF names it, or when the name taken
// from the printed file would still be that file (a link to it).
std::string PdfOutputPath(const std::string& source, const char* pdf_env);

// The same naming told what it needs of the file system instead of asking it: whether PRYNDA_PDF
// names an existing folder, and whether two paths name one file (false when either is absent).
using SameFileTest = std::function<bool(const std::filesystem::path&, const std::filesystem::path&)>;
std::string PdfOutputPath(const std::string& source, const char* pdf_env, bool env_is_folder,
                          const SameFileTest& same_file);

// A document handed on, as "Prynda PDF" writes it, into `sink`, begun for `info`: a PDF as it is,
// PostScript as Ghostscript's pdfwrite makes it; the caller commits the sink. EPrinter when
// Ghostscript is missing or fails, the file cannot be read or the sink cannot be written;
// JobInterrupted on a stop request meanwhile. Not for a printer language.
void WritePdfOfDocument(TDocumentFormat format, const std::string& path, std::uint64_t offset, const TDocInfo& info,
                        PdfSink& sink);

class PdfFilePrintSystem final : public PrintSystem {
 public:
  explicit PdfFilePrintSystem(std::shared_ptr<FontLibrary> fonts, PdfContextMaker make_context = PdfWriterContexts());

  std::vector<std::string> PrinterNames() override { return {kPdfPrinterName}; }
  std::string DefaultPrinter() override { return kPdfPrinterName; }
  std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) override;
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override;
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override;
  TRgb SystemColor(int index) override;
  void Beep() override;

 private:
  std::shared_ptr<FontLibrary> fonts_;
  PdfContextMaker make_context_;
};

}  // namespace prynda
