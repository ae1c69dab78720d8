#include "printers/cups/cups_print_system.h"

#include "printers/cups/cups_library.h"

#include <sys/socket.h>

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "device/printer_error.h"
#include "platform/name_list.h"
#include "platform/platform.h"
#include "platform/stop_requests.h"
#include "printers/pass_on/pass_on.h"
#include "printers/pdf/pdf_context.h"
#include "printers/system_printers.h"

namespace prynda {

namespace {

// The loaded library; only reached once Cups() has been found loaded.
const CupsLibrary& Api() { return *Cups(); }

constexpr int kDefaultDpi = 600;
constexpr int kHundredthsPerInch = 2540;  // media sizes come in hundredths of a millimetre

std::string NameOf(const cups_dest_t& dest) {
  std::string name = dest.name;
  if (dest.instance != nullptr) {
    name += '/';
    name += dest.instance;
  }
  return name;
}

std::string LastError() {
  const char* text = Api().cupsLastErrorString();
  return text != nullptr && *text != '\0' ? text : "no answer from CUPS";
}

bool Failed(ipp_status_t status) { return status > IPP_STATUS_OK_CONFLICTING; }

// The printer's page: the sheet asked for where the printer has it (its media name in `media`),
// else its default media; its resolution; or A4 at 600 dpi with 1/6-inch margins.
TPageGeometry QueryGeometry(cups_dest_t* dest, TPrinterOrientation orientation, const std::optional<TPaperSize>& paper,
                            std::string& media) {
  int dpi_x = kDefaultDpi;
  int dpi_y = kDefaultDpi;
  cups_size_t size{};
  bool have_size = false;
  if (cups_dinfo_t* info = Api().cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
    if (ipp_attribute_t* resolution = Api().cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
      ipp_res_t units = IPP_RES_PER_INCH;
      int y = 0;
      const int x = Api().ippGetResolution(resolution, 0, &y, &units);
      if (units == IPP_RES_PER_CM) {
        dpi_x = static_cast<int>(std::lround(x * 2.54));
        dpi_y = static_cast<int>(std::lround(y * 2.54));
      } else if (x > 0 && y > 0) {
        dpi_x = x;
        dpi_y = y;
      }
    }
    media.clear();
    if (paper) {
      const auto hundredths = [](double mm) { return static_cast<int>(std::lround(mm * 100)); };
      if (Api().cupsGetDestMediaBySize(CUPS_HTTP_DEFAULT, dest, info, hundredths(paper->WidthMm),
                                       hundredths(paper->HeightMm), CUPS_MEDIA_FLAGS_DEFAULT, &size) &&
          size.width > 0 && size.length > 0) {
        have_size = true;
        media = size.media;
      }
    }
    ipp_attribute_t* default_media =
        have_size ? nullptr : Api().cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media");
    if (default_media != nullptr) {
      const char* name = Api().ippGetString(default_media, 0, nullptr);
      have_size = name != nullptr &&
                  Api().cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, name, CUPS_MEDIA_FLAGS_DEFAULT, &size) &&
                  size.width > 0 && size.length > 0;
    }
    Api().cupsFreeDestInfo(info);
  }
  if (!have_size) {
    size = cups_size_t{};
    size.width = 21000;
    size.length = 29700;
    size.left = size.right = size.top = size.bottom = kHundredthsPerInch / 6;
  }
  auto px = [](int hundredths, int dpi) { return static_cast<int>(std::lround(hundredths * static_cast<double>(dpi) / kHundredthsPerInch)); };
  TPageGeometry geometry;
  TDeviceCaps& caps = geometry.Caps;
  const int width = px(size.width, dpi_x);
  const int height = px(size.length, dpi_y);
  const int left = px(size.left, dpi_x);
  const int right = px(size.right, dpi_x);
  const int top = px(size.top, dpi_y);
  const int bottom = px(size.bottom, dpi_y);
  geometry.WidthPoints = size.width * 72.0 / kHundredthsPerInch;
  geometry.HeightPoints = size.length * 72.0 / kHundredthsPerInch;
  if (orientation == TPrinterOrientation::Portrait) {
    caps = TDeviceCaps{dpi_x, dpi_y, width - left - right, height - top - bottom, width, height, left, top};
  } else {
    // The page turned a quarter: its sides and margins trade places.
    std::swap(geometry.WidthPoints, geometry.HeightPoints);
    caps = TDeviceCaps{dpi_y, dpi_x, height - top - bottom, width - left - right, height, width, top, left};
  }
  return geometry;
}

// A CUPS job fed with the PDF as it is made (or with a document of another `format`).
class CupsJobSink final : public PdfSink {
 public:
  CupsJobSink(const cups_dest_t& dest, int copies, std::string media,
              std::vector<std::pair<std::string, std::string>> options, const char* format = CUPS_FORMAT_PDF)
      : name_(NameOf(dest)), copies_(copies), media_(std::move(media)), options_(std::move(options)),
        format_(format) {
    Api().cupsCopyDest(const_cast<cups_dest_t*>(&dest), 0, &dest_);
  }
  ~CupsJobSink() override {
    Discard();
    Api().cupsFreeDests(1, dest_);
  }

  void Begin(const TDocInfo& info) override {
    // A stopped queue would hold the job for who knows how long, while the caller takes it as
    // printed (and may delete its file): say so instead.
    const char* state = Api().cupsGetOption("printer-state", dest_->num_options, dest_->options);
    if (state != nullptr && std::string_view(state) == "5") {
      const char* message = Api().cupsGetOption("printer-state-message", dest_->num_options, dest_->options);
      throw EPrinter("Printer " + name_ + " is stopped" +
                     (message != nullptr && *message != '\0' ? std::string(": ") + message : std::string()));
    }
    if (info_ == nullptr) info_ = Api().cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest_);
    if (info_ == nullptr) throw EPrinter("Printer " + name_ + " cannot be reached: " + LastError());
    cups_option_t* options = nullptr;
    int count = Api().cupsAddOption("copies", std::to_string(copies_ > 0 ? copies_ : 1).c_str(), 0, &options);
    if (!media_.empty()) count = Api().cupsAddOption("media", media_.c_str(), count, &options);
    for (const auto& [name, value] : options_) count = Api().cupsAddOption(name.c_str(), value.c_str(), count, &options);
    const ipp_status_t created =
        Api().cupsCreateDestJob(CUPS_HTTP_DEFAULT, dest_, info_, &job_, info.DocumentName.c_str(), count, options);
    Api().cupsFreeOptions(count, options);
    if (Failed(created) || job_ <= 0) {
      job_ = 0;
      throw EPrinter("Printer " + name_ + " does not accept the job: " + LastError());
    }
    const http_status_t started = Api().cupsStartDestDocument(CUPS_HTTP_DEFAULT, dest_, info_, job_,
                                                        info.DocumentName.c_str(), format_, 0, nullptr, 1);
    if (started != HTTP_STATUS_CONTINUE) {
      const std::string why = LastError();
      Cancel();
      job_ = 0;
      throw EPrinter("Printer " + name_ + " does not take the document: " + why);
    }
    streaming_ = true;
  }

  // Whether the queue takes documents of this sink's format: true unless it lists its formats
  // and not this one (or cannot say). The queue's details it asks for serve Begin too.
  bool TakesFormat() {
    if (info_ == nullptr) info_ = Api().cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest_);
    if (info_ == nullptr) return true;
    return Api().cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest_, info_, "document-format") == nullptr ||
           Api().cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest_, info_, "document-format", format_);
  }

  bool Write(const unsigned char* data, std::size_t size) override {
    if (Api().cupsWriteRequestData(CUPS_HTTP_DEFAULT, reinterpret_cast<const char*>(data), size) == HTTP_STATUS_CONTINUE) {
      return true;
    }
    failure_ = "Printing on " + name_ + " failed: " + LastError();
    return false;
  }

  std::string FailureText() const override { return failure_; }

  void Commit() override {
    streaming_ = false;
    const ipp_status_t finished = Api().cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest_, info_);
    if (Failed(finished)) {
      const std::string why = LastError();
      Cancel();
      job_ = 0;
      throw EPrinter("Printing on " + name_ + " failed: " + why);
    }
    job_ = 0;
  }

  void Discard() noexcept override {
    if (job_ > 0) {
      Cancel();
      if (streaming_) Api().cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest_, info_);
    }
    streaming_ = false;
    job_ = 0;
    if (info_ != nullptr) Api().cupsFreeDestInfo(info_);
    info_ = nullptr;
  }

 private:
  // Cancels on a connection of its own: the default one is busy with the document's request.
  void Cancel() noexcept {
    http_t* http = Api().httpConnect2(Api().cupsServer(), Api().ippPort(), nullptr, AF_UNSPEC, Api().cupsEncryption(), 1, 5000, nullptr);
    if (http == nullptr) return;
    Api().cupsCancelDestJob(http, dest_, job_);
    Api().httpClose(http);
  }

  std::string name_;
  int copies_;
  std::string media_;  // the sheet asked for, by the printer's name for it; "" for its default
  std::vector<std::pair<std::string, std::string>> options_;
  const char* format_;
  cups_dest_t* dest_ = nullptr;
  cups_dinfo_t* info_ = nullptr;
  int job_ = 0;
  bool streaming_ = false;
  std::string failure_;
};

}  // namespace

CupsPrintSystem::CupsPrintSystem(std::shared_ptr<FontLibrary> fonts, PdfContextMaker make_context)
    : fonts_(std::move(fonts)), make_context_(std::move(make_context)) {}

CupsPrintSystem::~CupsPrintSystem() {
  if (dests_ != nullptr) Api().cupsFreeDests(count_, dests_);
}

void CupsPrintSystem::LoadDestinations() {
  loaded_ = true;
  if (Cups() == nullptr) return;  // without libcups there are no CUPS printers
  if (dests_ != nullptr) Api().cupsFreeDests(count_, dests_);
  dests_ = nullptr;
  count_ = Api().cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_);
  if (count_ < 0) count_ = 0;
}

cups_dest_t* CupsPrintSystem::Find(const std::string& printer) {
  if (!loaded_) LoadDestinations();
  for (int i = 0; i < count_; ++i) {
    if (SameTextIgnoringCase(NameOf(dests_[i]), printer)) return &dests_[i];
  }
  return nullptr;
}

std::vector<std::string> CupsPrintSystem::PrinterNames() {
  LoadDestinations();
  std::vector<std::string> names;
  for (int i = 0; i < count_; ++i) names.push_back(NameOf(dests_[i]));
  return names;
}

std::string CupsPrintSystem::DefaultPrinter() {
  if (!loaded_) LoadDestinations();
  for (int i = 0; i < count_; ++i) {
    if (dests_[i].is_default) return NameOf(dests_[i]);
  }
  return {};
}

std::optional<TDeviceSettings> CupsPrintSystem::DeviceSettings(const std::string& printer) {
  cups_dest_t* dest = Find(printer);
  if (dest == nullptr) return std::nullopt;
  TDeviceSettings settings;
  if (const char* copies = Api().cupsGetOption("copies", dest->num_options, dest->options)) {
    const int value = std::atoi(copies);
    if (value > 0 && value < 32768) settings.Copies = static_cast<std::int16_t>(value);
  }
  if (const char* orientation = Api().cupsGetOption("orientation-requested", dest->num_options, dest->options)) {
    if (std::string_view(orientation) == "4") settings.Orientation = TPrinterOrientation::Landscape;
  }
  return settings;
}

std::unique_ptr<PrintContext> CupsPrintSystem::CreateContext(const std::string& printer,
                                                             const TDeviceSettings& settings, TContextKind kind) {
  cups_dest_t* dest = Find(printer);
  if (dest == nullptr) return nullptr;
  std::string media;
  TPageGeometry geometry = QueryGeometry(dest, settings.Orientation, settings.Paper, media);
  geometry.Form = settings.Form;
  std::unique_ptr<PdfSink> sink;
  if (kind == TContextKind::Device) sink = std::make_unique<CupsJobSink>(*dest, settings.Copies, media, job_options_);
  return make_context_(*fonts_, geometry, std::move(sink));
}

void CupsPrintSystem::AddJobOption(std::string name, std::string value) {
  job_options_.emplace_back(std::move(name), std::move(value));
}

TPassOnResult CupsPrintSystem::PassOn(const std::string& printer, const TDeviceSettings& settings,
                                      const TDocInfo& info, TDocumentFormat format, const std::string& path,
                                      std::uint64_t offset) {
  cups_dest_t* dest = Find(printer);
  if (dest == nullptr) return TPassOnResult::UnknownPrinter;
  const char* type = format == TDocumentFormat::Pdf          ? CUPS_FORMAT_PDF
                     : format == TDocumentFormat::PostScript ? CUPS_FORMAT_POSTSCRIPT
                     : format == TDocumentFormat::PwgRaster  ? "image/pwg-raster"
                     : format == TDocumentFormat::AppleRaster ? "image/urf"
                                                             : CUPS_FORMAT_RAW;
  CupsJobSink job(*dest, settings.Copies, std::string(), job_options_, type);
  // A queue that lists its document formats and not this one would refuse the job.
  if (!job.TakesFormat()) return TPassOnResult::Unsupported;
  job.Begin(info);
  ReadDocument(path, offset, [&](const unsigned char* data, std::size_t size) {
    if (!job.Write(data, size)) throw EPrinter(job.FailureText());
  });
  StopIfRequested();  // the last moment at which the job can still be cancelled
  job.Commit();
  return TPassOnResult::Printed;
}

TRgb CupsPrintSystem::SystemColor(int index) { return StandardSystemColor(index); }

void CupsPrintSystem::Beep() { ConsoleBeep(); }

std::optional<std::map<std::string, std::vector<std::string>>> QueueAttributes(const std::string& queue,
                                                                               const std::vector<std::string>& names) {
  if (Cups() == nullptr) return std::nullopt;
  // The scheduler finds classes under /printers/ too.
  char uri[HTTP_MAX_URI];
  if (Api().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                             queue.c_str()) != HTTP_URI_STATUS_OK) {
    return std::nullopt;
  }
  ipp_t* request = Api().ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  Api().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  std::vector<const char*> wanted;
  for (const std::string& name : names) wanted.push_back(name.c_str());
  Api().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      static_cast<int>(wanted.size()), nullptr, wanted.data());
  ipp_t* response = Api().cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");  // takes the request
  if (response == nullptr) return std::nullopt;
  std::optional<std::map<std::string, std::vector<std::string>>> found;
  if (!Failed(Api().ippGetStatusCode(response))) {
    found.emplace();
    for (const std::string& name : names) {
      ipp_attribute_t* attribute = Api().ippFindAttribute(response, name.c_str(), IPP_TAG_ZERO);
      if (attribute == nullptr) continue;
      const ipp_tag_t tag = Api().ippGetValueTag(attribute);
      std::vector<std::string>& values = (*found)[name];
      for (int i = 0; i < Api().ippGetCount(attribute); ++i) {
        if (tag == IPP_TAG_INTEGER || tag == IPP_TAG_ENUM) {
          values.push_back(std::to_string(Api().ippGetInteger(attribute, i)));
        } else if (const char* text = Api().ippGetString(attribute, i, nullptr)) {
          values.emplace_back(text);
        }
      }
    }
  }
  Api().ippDelete(response);
  return found;
}

bool SubmitJobsAs(const std::string& user) {
  if (Cups() == nullptr) return false;
  Api().cupsSetUser(user.c_str());
  return true;
}

std::vector<std::pair<std::string, std::string>> ParseCupsOptions(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (Cups() == nullptr) return pairs;
  cups_option_t* options = nullptr;
  const int count = Api().cupsParseOptions(text.c_str(), 0, &options);
  for (int i = 0; i < count; ++i) pairs.emplace_back(options[i].name, options[i].value);
  Api().cupsFreeOptions(count, options);
  return pairs;
}

std::unique_ptr<PrintSystem> SystemPrinters(std::shared_ptr<FontLibrary> fonts) {
  return std::make_unique<CupsPrintSystem>(std::move(fonts));
}

}  // namespace prynda
