#include "printers/archive/archive_print_system.h"

#include <cmath>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "device/paper.h"
#include "device/printer_error.h"
#include "platform/files.h"
#include "platform/stop_requests.h"
#include "printers/pass_on/pass_on.h"
#include "printers/prynda_pdf/pdf_file_printer.h"

namespace prynda {

namespace fs = std::filesystem;

namespace {

constexpr int kMostNameAttempts = 10000;

// The archive's PDF: written without a name in the folder (a hidden temporary one where the file
// system or the platform needs it); Commit only marks it whole, Publish gives it its name.
class ArchiveFile final : public PdfSink {
 public:
  explicit ArchiveFile(std::string folder) : folder_(std::move(folder)) {}

  void Begin(const TDocInfo&) override {
    whole_ = false;
    // Read by whoever may read the folder (its group, on a print server), whatever the umask.
    if (!file_.Create((fs::path(folder_) / "prynda-archive.pdf").string(), ReplacingFile::Readers::AsFolder)) {
      throw EPrinter(Failure());
    }
  }
  bool Write(const unsigned char* data, std::size_t size) override { return file_.Write(data, size); }
  std::string FailureText() const override { return file_.Error().empty() ? std::string() : Failure(); }
  void Commit() override { whole_ = true; }
  void Discard() noexcept override {
    file_.Discard();
    whole_ = false;
  }

  // Names the whole file STEM.pdf, else the first of STEM-2.pdf, STEM-3.pdf ... that is free;
  // returns its path.
  std::string Publish(const std::string& stem) {
    if (!whole_) throw EPrinter("The archive's PDF is not complete");
    for (int attempt = 1; attempt <= kMostNameAttempts; ++attempt) {
      const std::string path = (fs::path(folder_) / ArchiveFileName(stem, attempt)).string();
      switch (file_.CommitAsNew(path)) {
        case ReplacingFile::NewName::Committed:
          whole_ = false;
          return path;
        case ReplacingFile::NewName::Taken:
          break;
        case ReplacingFile::NewName::Failed:
          throw EPrinter("Cannot name the archive " + path + ": " + file_.Error());
      }
    }
    throw EPrinter("No free name for the archive in " + folder_ + ": " + ArchiveFileName(stem, 1) + " to " +
                   ArchiveFileName(stem, kMostNameAttempts) + " are all taken");
  }

 private:
  std::string Failure() const { return "Cannot write the archive in " + folder_ + ": " + file_.Error(); }

  std::string folder_;
  ReplacingFile file_;
  bool whole_ = false;
};

// A device context that hands every call to the printer's context first and then the same call,
// its font handles translated, to the archive's; measuring is the printer's alone. A failure of
// the archive drops it and is kept for the result; a failure of the printer's ends both.
class ArchivingContext final : public PrintContextWrapper {
 public:
  ArchivingContext(std::unique_ptr<PrintContext> printer, std::unique_ptr<PrintContext> archive, ArchiveFile* file,
                   ArchiveResult& result, ArchiveRequest request, std::string failure)
      : PrintContextWrapper(std::move(printer)),
        archive_(std::move(archive)),
        file_(file),
        result_(result),
        request_(std::move(request)),
        failure_(std::move(failure)) {}
  ~ArchivingContext() override { DropArchive(); }

  int RealizeFont(const TFontSpec& spec) override {
    const int font = PrintContextWrapper::RealizeFont(spec);
    Archive([&](PrintContext& archive) { fonts_[font] = archive.RealizeFont(spec); });
    return font;
  }

  void StartDoc(const TDocInfo& info) override {
    PrintContextWrapper::StartDoc(info);
    result_ = {};
    Archive([&](PrintContext& archive) { archive.StartDoc(info); });
    begun_ = true;
  }
  void StartPage() override {
    PrintContextWrapper::StartPage();
    Archive([](PrintContext& archive) { archive.StartPage(); });
  }
  void EndPage() override {
    PrintContextWrapper::EndPage();
    Archive([](PrintContext& archive) { archive.EndPage(); });
    ++pages_;
  }
  void EndDoc() override {
    // The archive is made whole first, still without a name; it takes one only once the printer
    // has the document.
    Archive([](PrintContext& archive) { archive.EndDoc(); });
    ended_ = true;
    try {
      PrintContextWrapper::EndDoc();
    } catch (...) {
      DropArchive();
      throw;
    }
    ArchiveResult result;
    if (archive_) {
      ArchiveFields fields = request_.Fields;
      fields.Pages = pages_;
      try {
        result.Path = file_->Publish(ArchiveStem(request_.Pattern, fields));
      } catch (const std::exception& e) {
        result.Failure = e.what();
      }
      DropArchive();
    } else {
      result.Failure = failure_;
    }
    result_ = std::move(result);
  }
  void AbortDoc() override {
    DropArchive();
    result_ = {};
    PrintContextWrapper::AbortDoc();
  }

  void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background, std::string_view text) override {
    PrintContextWrapper::TextOut(x, y, font, color, background, text);
    Archive([&](PrintContext& archive) { archive.TextOut(x, y, ArchiveFont(font), color, background, text); });
  }
  void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                      std::u32string_view text) override {
    PrintContextWrapper::TextOutUnicode(x, y, font, color, background, text);
    Archive([&](PrintContext& archive) { archive.TextOutUnicode(x, y, ArchiveFont(font), color, background, text); });
  }
  void FillRect(int x, int y, int width, int height, TRgb color) override {
    PrintContextWrapper::FillRect(x, y, width, height, color);
    Archive([&](PrintContext& archive) { archive.FillRect(x, y, width, height, color); });
  }
  void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) override {
    PrintContextWrapper::Polyline(points, count, width, color);
    Archive([&](PrintContext& archive) { archive.Polyline(points, count, width, color); });
  }
  void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) override {
    PrintContextWrapper::ImageMask(x, y, width, height, image, color);
    Archive([&](PrintContext& archive) { archive.ImageMask(x, y, width, height, image, color); });
  }
  void DrawImage(int x, int y, int width, int height, const TImage& image) override {
    PrintContextWrapper::DrawImage(x, y, width, height, image);
    Archive([&](PrintContext& archive) { archive.DrawImage(x, y, width, height, image); });
  }

 private:
  template <typename Call>
  void Archive(Call&& call) {
    if (!archive_) return;
    try {
      call(*archive_);
    } catch (const std::exception& e) {
      failure_ = e.what();
      DropArchive();
    } catch (...) {
      failure_ = "Unknown failure";
      DropArchive();
    }
  }

  int ArchiveFont(int font) const {
    const auto found = fonts_.find(font);
    if (found == fonts_.end()) throw EPrinter("Unknown font handle");
    return found->second;
  }

  // The archive's document cancelled and its file removed.
  void DropArchive() noexcept {
    if (archive_ && begun_ && !ended_) {
      try {
        archive_->AbortDoc();
      } catch (...) {
      }
    }
    archive_.reset();
    file_ = nullptr;
  }

  std::unique_ptr<PrintContext> archive_;
  ArchiveFile* file_;  // the archive's sink, owned by archive_
  ArchiveResult& result_;  // the system's
  ArchiveRequest request_;
  std::string failure_;  // why archive_ is gone
  std::map<int, int> fonts_;  // the printer's font handles to the archive's
  bool begun_ = false;
  bool ended_ = false;
  int pages_ = 0;
};

}  // namespace

ArchiveContextMaker PdfArchiveContexts(std::shared_ptr<FontLibrary> fonts, PdfContextMaker make) {
  return [fonts = std::move(fonts), make = std::move(make)](const TPageGeometry& geometry,
                                                            const TDeviceSettings& settings,
                                                            std::unique_ptr<PdfSink> sink) {
    // The archive keeps the sheet as it came out: the form it was printed on under the job.
    TPageGeometry sheet = geometry;
    sheet.Form = settings.Form;
    return make(*fonts, sheet, std::move(sink));
  };
}

TPageGeometry ArchivePage(const TDeviceCaps& caps, const std::optional<TPaperSize>& asked) {
  TPageGeometry page;
  page.Caps = caps;
  if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0) return page;
  page.WidthPoints = caps.PhysicalWidth * 72.0 / caps.LogPixelsX;
  page.HeightPoints = caps.PhysicalHeight * 72.0 / caps.LogPixelsY;
  std::vector<TPaperSize> papers = NamedPapers();
  if (asked) papers.insert(papers.begin(), *asked);
  const auto pixels = [](double mm, int dpi) { return std::lround(mm / 25.4 * dpi); };
  for (const TPaperSize& paper : papers) {
    for (const auto& [width, height] : {std::pair{paper.WidthMm, paper.HeightMm}, std::pair{paper.HeightMm, paper.WidthMm}}) {
      if (pixels(width, caps.LogPixelsX) == caps.PhysicalWidth && pixels(height, caps.LogPixelsY) == caps.PhysicalHeight) {
        page.WidthPoints = width * 72.0 / 25.4;
        page.HeightPoints = height * 72.0 / 25.4;
        return page;
      }
    }
  }
  return page;
}

ArchivingPrintSystem::ArchivingPrintSystem(PrintSystem& target, ArchiveContextMaker make_context)
    : PrintSystemWrapper(target), make_context_(std::move(make_context)) {}

void ArchivingPrintSystem::Archive(ArchiveRequest request) { request_ = std::move(request); }

std::unique_ptr<PrintContext> ArchivingPrintSystem::CreateContext(const std::string& printer,
                                                                  const TDeviceSettings& settings, TContextKind kind) {
  std::unique_ptr<PrintContext> context = Target().CreateContext(printer, settings, kind);
  if (context == nullptr || kind != TContextKind::Device || !request_) return context;
  ArchiveRequest request = *request_;
  request.Fields.Printer = printer;
  std::unique_ptr<PrintContext> archive;
  ArchiveFile* file = nullptr;
  std::string failure;
  if (!make_context_) {
    failure = "Documents of " + printer + " cannot be archived in this program";
  } else {
    try {
      auto sink = std::make_unique<ArchiveFile>(request.Folder);
      file = sink.get();
      archive = make_context_(ArchivePage(context->Caps(), settings.Paper), settings, std::move(sink));
    } catch (const std::exception& e) {
      failure = e.what();
    }
    if (archive == nullptr) file = nullptr;
  }
  return std::make_unique<ArchivingContext>(std::move(context), std::move(archive), file, result_, std::move(request),
                                            std::move(failure));
}

TPassOnResult ArchivingPrintSystem::PassOn(const std::string& printer, const TDeviceSettings& settings,
                                           const TDocInfo& info, TDocumentFormat format, const std::string& path,
                                           std::uint64_t offset) {
  if (!request_) return Target().PassOn(printer, settings, info, format, path, offset);
  result_ = {};
  ArchiveRequest request = *request_;
  request.Fields.Printer = printer;
  // The archive is made whole first, still without a name; it takes one only once the printer has
  // the document. A stop request meanwhile stops the job.
  std::optional<ArchiveFile> file;
  std::string failure;
  if (!IsPageDescription(format)) {
    failure = format == TDocumentFormat::Raw ? "A document in a printer's language (PCL) cannot be made a PDF"
                                             : "A raster document cannot be made a PDF";
  } else {
    file.emplace(request.Folder);
    try {
      WritePdfOfDocument(format, path, offset, info, *file);
      file->Commit();
    } catch (const JobInterrupted&) {
      throw;
    } catch (const ProgramLimitExceeded&) {
      throw;  // the printer's own run would only pass it again
    } catch (const std::exception& e) {
      failure = e.what();
      file.reset();
    }
  }
  const TPassOnResult result = Target().PassOn(printer, settings, info, format, path, offset);
  if (result != TPassOnResult::Printed) return result;
  if (!file) {
    result_.Failure = failure;
    return result;
  }
  try {
    result_.Path = file->Publish(ArchiveStem(request.Pattern, request.Fields));
  } catch (const std::exception& e) {
    result_.Failure = e.what();
  }
  return result;
}

}  // namespace prynda
