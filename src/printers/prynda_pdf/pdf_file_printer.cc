#include "printers/prynda_pdf/pdf_file_printer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "device/printer_error.h"
#include "platform/files.h"
#include "platform/name_list.h"
#include "platform/platform.h"
#include "platform/stop_requests.h"
#include "printers/pass_on/pass_on.h"
#include "printers/pdf/pdf_context.h"

namespace prynda {

namespace fs = std::filesystem;

namespace {

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

// Writes the PDF under a temporary name in the target folder; renamed into place by Commit.
class PdfFileSink final : public PdfSink {
 public:
  void Begin(const TDocInfo& info) override {
    path_ = PdfOutputPath(info.SourcePath, std::getenv("PRYNDA_PDF"));
    if (!file_.Create(path_)) throw EPrinter(Failure());
  }
  bool Write(const unsigned char* data, std::size_t size) override { return file_.Write(data, size); }
  std::string FailureText() const override { return file_.Error().empty() ? std::string() : Failure(); }
  void Commit() override {
    if (!file_.Commit()) throw EPrinter(Failure());
  }
  void Discard() noexcept override { file_.Discard(); }

 private:
  std::string Failure() const { return "Cannot write the PDF file " + path_ + ": " + file_.Error(); }

  std::string path_;
  ReplacingFile file_;
};

}  // namespace

std::string PdfOutputPath(const std::string& source, const char* pdf_env) {
  bool env_is_folder = false;
  if (pdf_env != nullptr && *pdf_env != '\0') {
    std::error_code error;
    env_is_folder = fs::is_directory(fs::path(pdf_env), error);
  }
  return PdfOutputPath(source, pdf_env, env_is_folder, SameFile);
}

std::string PdfOutputPath(const std::string& source, const char* pdf_env, bool env_is_folder,
                          const SameFileTest& same_file) {
  const fs::path printed = source.empty() ? fs::path("prynda") : fs::path(source);
  if (pdf_env != nullptr && *pdf_env != '\0') {
    fs::path chosen(pdf_env);
    if (env_is_folder || std::string_view(pdf_env).ends_with('/')) {
      chosen /= printed.filename().replace_extension(".pdf");
    }
    if (same_file(chosen, printed)) {
      throw EPrinter("PRYNDA_PDF names the file being printed: " + chosen.string());
    }
    return chosen.string();
  }
  fs::path output = printed;
  output.replace_extension(".pdf");
  if (output == printed || same_file(output, printed)) output = fs::path(printed.string() + ".pdf");
  // Still the printed file: one without an extension that is a link to its own name with .pdf.
  if (same_file(output, printed)) {
    throw EPrinter("The PDF file would replace the file being printed: " + output.string());
  }
  return output.string();
}

void WritePdfOfDocument(TDocumentFormat format, const std::string& path, std::uint64_t offset, const TDocInfo& info,
                        PdfSink& sink) {
  sink.Begin(info);
  const DocumentBytes write = [&](const unsigned char* data, std::size_t size) {
    if (!sink.Write(data, size)) throw EPrinter(sink.FailureText());
  };
  if (format == TDocumentFormat::Pdf) {
    ReadDocument(path, offset, write);
    return;
  }
  const PostScriptPdf made = PdfOfPostScript(path, offset, write, BoxFor(info));
  if (made.Result == PostScriptPdf::Outcome::NoGhostscript) {
    throw EPrinter("Ghostscript is needed to print PostScript as PDF: " + made.Detail);
  }
  if (made.Result == PostScriptPdf::Outcome::Failed) {
    throw EPrinter("Ghostscript cannot make a PDF of the PostScript: " + made.Detail);
  }
  if (made.Result == PostScriptPdf::Outcome::NoPdf) {
    throw EPrinter("Ghostscript made no PDF of the PostScript: " + made.Detail);
  }
}

PdfFilePrintSystem::PdfFilePrintSystem(std::shared_ptr<FontLibrary> fonts, PdfContextMaker make_context)
    : fonts_(std::move(fonts)), make_context_(std::move(make_context)) {}

std::optional<TDeviceSettings> PdfFilePrintSystem::DeviceSettings(const std::string&) {
  return TDeviceSettings{};
}

std::unique_ptr<PrintContext> PdfFilePrintSystem::CreateContext(const std::string& printer,
                                                                const TDeviceSettings& settings,
                                                                TContextKind kind) {
  if (!SameTextIgnoringCase(printer, kPdfPrinterName)) return nullptr;
  std::unique_ptr<PdfSink> sink;
  if (kind == TContextKind::Device) sink = std::make_unique<PdfFileSink>();
  TPageGeometry geometry =
      PaperGeometry(settings.Paper.value_or(A4Paper()), kPdfPrinterDpi, kPdfPrinterMargin, settings.Orientation);
  geometry.Form = settings.Form;
  return make_context_(*fonts_, geometry, std::move(sink));
}

TPassOnResult PdfFilePrintSystem::PassOn(const std::string& printer, const TDeviceSettings&, const TDocInfo& info,
                                         TDocumentFormat format, const std::string& path, std::uint64_t offset) {
  if (!SameTextIgnoringCase(printer, kPdfPrinterName)) return TPassOnResult::UnknownPrinter;
  if (!IsPageDescription(format)) return TPassOnResult::Unsupported;
  const std::string output = PdfOutputPath(info.SourcePath, std::getenv("PRYNDA_PDF"));
  if (SameFile(output, path)) throw EPrinter("The PDF file would replace the document itself: " + output);
  PdfFileSink sink;
  WritePdfOfDocument(format, path, offset, info, sink);
  StopIfRequested();  // the last moment at which the job can still be cancelled
  sink.Commit();
  return TPassOnResult::Printed;
}

TRgb PdfFilePrintSystem::SystemColor(int index) { return StandardSystemColor(index); }

void PdfFilePrintSystem::Beep() { ConsoleBeep(); }

}  // namespace prynda
