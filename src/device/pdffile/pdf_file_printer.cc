#include "device/pdffile/pdf_file_printer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "device/pages/pdf_context.h"
#include "device/name_list.h"
#include "device/platform_print_system.h"
#include "device/printer_error.h"

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
  ~PdfFileSink() override { Discard(); }

  void Begin(const TDocInfo& info) override {
    path_ = PdfOutputPath(info.SourcePath, std::getenv("PRYNDA_PDF"));
    const fs::path target(path_);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (folder / hidden).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) throw EPrinter(Failure(errno));
    temp_ = pattern;
    failure_.clear();
  }

  bool Write(const unsigned char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t written = ::write(fd_, data, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        failure_ = Failure(errno);
        return false;
      }
      data += written;
      size -= static_cast<std::size_t>(written);
    }
    return true;
  }

  std::string FailureText() const override { return failure_; }

  void Commit() override {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd_, 0666 & ~mask) != 0 || ::close(fd_) != 0) {
      fd_ = -1;
      throw EPrinter(Failure(errno));
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), path_.c_str()) != 0) throw EPrinter(Failure(errno));
    temp_.clear();
  }

  void Discard() noexcept override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
  }

 private:
  std::string Failure(int error) const {
    return "Cannot write the PDF file " + path_ + ": " + std::strerror(error);
  }

  std::string path_;
  std::string temp_;
  std::string failure_;
  int fd_ = -1;
};

}  // namespace

std::string PdfOutputPath(const std::string& source, const char* pdf_env) {
  const fs::path printed = source.empty() ? fs::path("prynda") : fs::path(source);
  if (pdf_env != nullptr && *pdf_env != '\0') {
    fs::path chosen(pdf_env);
    std::error_code error;
    if (fs::is_directory(chosen, error) || std::string_view(pdf_env).ends_with('/')) {
      chosen /= printed.filename().replace_extension(".pdf");
    }
    if (SameFile(chosen, printed)) {
      throw EPrinter("PRYNDA_PDF names the file being printed: " + chosen.string());
    }
    return chosen.string();
  }
  fs::path output = printed;
  output.replace_extension(".pdf");
  if (output == printed || SameFile(output, printed)) output = fs::path(printed.string() + ".pdf");
  return output.string();
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
  return make_context_(*fonts_, A4Geometry(kPdfPrinterDpi, kPdfPrinterMargin, settings.Orientation), std::move(sink));
}

TRgb PdfFilePrintSystem::SystemColor(int index) { return StandardSystemColor(index); }

void PdfFilePrintSystem::Beep() { ConsoleBeep(); }

}  // namespace prynda
