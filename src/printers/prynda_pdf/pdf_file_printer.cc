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

constexpr std::string_view kPdfStart = "%PDF-";

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
  std::uint64_t written = 0;
  std::string start;  // the output's first bytes
  const DocumentBytes write = [&](const unsigned char* data, std::size_t size) {
    if (start.size() < kPdfStart.size()) {
      start.append(reinterpret_cast<const char*>(data), std::min(size, kPdfStart.size() - start.size()));
    }
    written += size;
    if (!sink.Write(data, size)) throw EPrinter(sink.FailureText());
  };
  if (format == TDocumentFormat::Pdf) {
    ReadDocument(path, offset, write);
    return;
  }
  // PostScript's own output (print, =) goes to standard error, so that only the PDF comes out.
  const std::string program = GhostscriptProgram();
  std::optional<ProgramResult> run;
  if (!program.empty()) {
    run = RunProgramOnDocument({program, "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dQUIET", "-sDEVICE=pdfwrite",
                                "-sstdout=%stderr", "-sOutputFile=-", "-"},
                               path, offset, write, BoxFor(info));
  }
  if (!run) throw EPrinter(std::string("Ghostscript is needed to print PostScript as PDF: ") + GhostscriptHint());
  if (run->ExitCode != 0) {
    throw EPrinter("Ghostscript cannot make a PDF of the PostScript: " + GhostscriptFailure(*run));
  }
  // A document that sends its pages elsewhere (a setpagedevice of its own OutputFile) leaves
  // nothing here, though Ghostscript ends well.
  if (written == 0) throw EPrinter("Ghostscript made no PDF of the PostScript: the document sent its pages elsewhere");
  if (start != kPdfStart) throw EPrinter("Ghostscript made no PDF of the PostScript: what it wrote is not a PDF");
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
