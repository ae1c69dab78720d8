// The archive: a PDF of every document printed, kept in a folder, whichever printer prints it.
//
// ArchivingPrintSystem passes every call on to the print system it wraps. Once asked to archive,
// a device context it makes writes each page it is given also into a PDF of its own, made with the
// printer's caps and the document's device settings as the printer got them, so that the archive
// holds the same sheets, drawn the same. The PDF is written without a name (platform/files.h) and
// named only once the printer has taken the whole document: a document that fails, is cancelled
// or is stopped leaves nothing in the folder. A name is never reused: where STEM.pdf is taken the
// next free of STEM-2.pdf, STEM-3.pdf ... is claimed in one step. The archive failing never stops
// the printing: the document goes on on the printer, and Result() says why it was not archived.
// A document handed on as it is is archived as a PDF too: a PDF as it is, PostScript made a PDF;
// a printer language cannot be.
//
// The wrapped system must outlive this one, and this one every context it makes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "device/print_system_wrapper.h"
#include "printers/archive/archive_name.h"
#include "printers/fonts/font_library.h"
#include "printers/pdf/pdf_context.h"
#include "printers/pdf/pdf_sink.h"

namespace prynda {

// Makes the archive's PDF context: the printer's page as `geometry`, the document's device
// settings as the printer's own context got them; the PDF goes to `sink`.
using ArchiveContextMaker = std::function<std::unique_ptr<PrintContext>(
    const TPageGeometry& geometry, const TDeviceSettings& settings, std::unique_ptr<PdfSink> sink)>;

// Prynda's PDF writer over `fonts`, as "Prynda PDF" and the CUPS printers use it.
ArchiveContextMaker PdfArchiveContexts(std::shared_ptr<FontLibrary> fonts, PdfContextMaker make = PdfWriterContexts());

// The archive's page for a printer's caps: those caps, the sheet in points the size of the known
// sheet (the one asked for, or one of NamedPapers) whose pixels they are, else their own pixels.
TPageGeometry ArchivePage(const TDeviceCaps& caps, const std::optional<TPaperSize>& asked);

struct ArchiveRequest {
  std::string Folder;
  std::string Pattern;  // ArchiveName
  ArchiveFields Fields;                       // {printer} and {pages} come from the document
};

// What became of the archive of the last document that ended: archived at Path, or not, and why.
struct ArchiveResult {
  std::string Path;
  std::string Failure;
};

class ArchivingPrintSystem final : public PrintSystemWrapper {
 public:
  // Without a maker, documents that are drawn cannot be archived (Result says so).
  ArchivingPrintSystem(PrintSystem& target, ArchiveContextMaker make_context);

  // From now on every document is also archived as `request` says.
  void Archive(ArchiveRequest request);
  bool Archiving() const { return request_.has_value(); }
  // Of the last document that ended, on the printer (EndDoc) or handed on (Printed); empty while
  // none has, and after one that was cancelled or failed.
  const ArchiveResult& Result() const { return result_; }

  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override;
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override;

 private:
  ArchiveContextMaker make_context_;
  std::optional<ArchiveRequest> request_;
  ArchiveResult result_;
};

}  // namespace prynda
