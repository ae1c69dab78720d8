#include <string.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <memory>
#include <vector>

#include "device/printer_error.h"
#include "printers/xps/gxps_library.h"
#include "printers/xps/separate_process.h"
#include "printers/xps/xps_package.h"
#include "printers/xps/xps_to_pdf.h"

namespace prynda {

namespace {

const GxpsLibrary& Api() { return *Gxps(); }

constexpr double kPointsPerUnit = 72.0 / 96.0;  // XPS measures in 1/96 inch

// GLib's objects, cairo's surface and context, each released with its own function.
struct ObjectRelease {
  void operator()(void* object) const { Api().g_object_unref(object); }
};
template <typename T>
using Object = std::unique_ptr<T, ObjectRelease>;
struct SurfaceRelease {
  void operator()(cairo_surface_t* surface) const { Api().cairo_surface_destroy(surface); }
};
struct ContextRelease {
  void operator()(cairo_t* context) const { Api().cairo_destroy(context); }
};

// The error a call of the library sets; Out() forgets the last one.
class Failure {
 public:
  Failure() = default;
  ~Failure() { Forget(); }
  Failure(const Failure&) = delete;
  Failure& operator=(const Failure&) = delete;

  GError** Out() {
    Forget();
    return &error_;
  }
  std::string Text() const { return error_ != nullptr && error_->message != nullptr ? error_->message : "unreadable"; }

 private:
  void Forget() {
    if (error_ != nullptr) Api().g_error_free(error_);
    error_ = nullptr;
  }
  GError* error_ = nullptr;
};

// Where cairo writes the PDF, and whether writing it failed or would pass the limit.
struct PdfSink {
  HiddenFile& File;
  std::uint64_t Limit;
  std::uint64_t Written = 0;
  bool Failed = false;
  bool Full = false;
};

cairo_status_t WritePdf(void* closure, const unsigned char* data, unsigned int length) {
  auto& sink = *static_cast<PdfSink*>(closure);
  sink.Full = sink.Full || length > sink.Limit - sink.Written;
  sink.Failed = sink.Failed || (!sink.Full && !sink.File.Write(data, length));
  if (sink.Full || sink.Failed) return CAIRO_STATUS_WRITE_ERROR;
  sink.Written += length;
  return CAIRO_STATUS_SUCCESS;
}

// Raises for cairo's error `status`: EPrinter where writing the PDF failed, TooLarge where the PDF
// would pass its limit or memory ran out (the drawing process's limit, most likely).
void Check(cairo_status_t status, const PdfSink& sink, const std::string& where, const XpsLimits& limits) {
  if (sink.Full) RaiseTooLarge("a PDF of more than " + std::to_string(sink.Limit) + " bytes", sink.Limit);
  if (sink.Failed) throw EPrinter("Cannot write a temporary file for the PDF of an XPS document");
  if (status == CAIRO_STATUS_NO_MEMORY) RaiseTooLarge(where + " needs more memory than allowed", limits.MemoryBytes);
  if (status != CAIRO_STATUS_SUCCESS) RaiseDamaged(where + ": " + Api().cairo_status_to_string(status));
}

// A length as short as it is exact: "1056", "793.7".
std::string Units(double length) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, length);
  return std::string(text, written.ptr);
}

// Draws the checked package at `package` into `pdf`, page by page; raises as XpsToPdf does.
void DrawPackage(const std::string& package, HiddenFile& pdf, const XpsLimits& limits) {
  const std::clock_t start = std::clock();
  Failure failure;
  // The local file system's own GFile: no module of GIO's is loaded for it.
  const Object<GFile> file(Api().g_vfs_get_file_for_path(Api().g_vfs_get_local(), package.c_str()));
  const Object<GXPSFile> xps(Api().gxps_file_new(file.get(), failure.Out()));
  if (!xps) RaiseDamaged(failure.Text());
  const guint count = Api().gxps_file_get_n_documents(xps.get());
  if (count > limits.Pages) RaiseTooLarge(std::to_string(count) + " documents", limits.Pages);
  std::vector<Object<GXPSDocument>> documents;
  std::uint64_t pages = 0;
  for (guint i = 0; i < count; ++i) {
    documents.emplace_back(Api().gxps_file_get_document(xps.get(), i, failure.Out()));
    if (!documents.back()) RaiseDamaged(failure.Text());
    pages += Api().gxps_document_get_n_pages(documents.back().get());
    if (pages > limits.Pages) RaiseTooLarge(std::to_string(pages) + " pages", limits.Pages);
  }
  if (pages == 0) RaiseDamaged("it has no page");

  PdfSink sink{pdf, limits.PdfBytes};
  std::unique_ptr<cairo_surface_t, SurfaceRelease> surface;
  int number = 0;
  for (const Object<GXPSDocument>& document : documents) {
    const guint count = Api().gxps_document_get_n_pages(document.get());
    for (guint i = 0; i < count; ++i) {
      const std::string where = "page " + std::to_string(++number);
      const Object<GXPSPage> page(Api().gxps_document_get_page(document.get(), i, failure.Out()));
      if (!page) RaiseDamaged(where + ": " + failure.Text());
      gdouble width = 0, height = 0;  // 1/96 inch
      Api().gxps_page_get_size(page.get(), &width, &height);
      if (!(width > 0 && height > 0)) RaiseDamaged(where + " has no size");
      if (width > limits.PageSide || height > limits.PageSide) {
        RaiseTooLarge(where + " of " + Units(width) + " x " + Units(height) + " (1/96 inch)", limits.PageSide);
      }
      const double points_wide = width * kPointsPerUnit, points_high = height * kPointsPerUnit;
      if (!surface) {
        surface.reset(Api().cairo_pdf_surface_create_for_stream(WritePdf, &sink, points_wide, points_high));
      } else {
        Api().cairo_pdf_surface_set_size(surface.get(), points_wide, points_high);
      }
      const std::unique_ptr<cairo_t, ContextRelease> context(Api().cairo_create(surface.get()));
      Api().cairo_scale(context.get(), kPointsPerUnit, kPointsPerUnit);
      // A page libgxps cannot parse fails the document; so does one whose drawing put cairo in an
      // error state, after which the rest of the page would be left blank.
      if (!Api().gxps_page_render(page.get(), context.get(), failure.Out())) {
        RaiseDamaged(where + ": " + failure.Text());
      }
      Check(Api().cairo_status(context.get()), sink, where, limits);
      Api().cairo_show_page(context.get());
      Check(Api().cairo_status(context.get()), sink, where, limits);
      if (std::clock() - start > static_cast<std::clock_t>(limits.Seconds) * CLOCKS_PER_SEC) {
        RaiseTooLarge("drawing " + std::to_string(number) + " pages took longer than the seconds allowed",
                      limits.Seconds);
      }
    }
  }
  Api().cairo_surface_finish(surface.get());
  Check(Api().cairo_surface_status(surface.get()), sink, "the PDF", limits);
}

// Draws as DrawPackage does in a process of its own, and raises there what it raised here, or for
// how the process ended.
void DrawSeparately(const std::string& package, HiddenFile& pdf, const XpsLimits& limits) {
  const SeparateEnd end = RunSeparately(
      [&] {
        try {
          DrawPackage(package, pdf, limits);
          return std::string();
        } catch (const XpsError& error) {
          return std::string(1, static_cast<char>('0' + static_cast<int>(error.Problem()))) + error.what();
        } catch (const std::exception& error) {
          return "E" + std::string(error.what());
        }
      },
      limits.MemoryBytes, limits.Seconds, limits.ClockSeconds);
  if (end.OutOfTime) RaiseTooLarge("drawing it took longer than the seconds allowed", limits.Seconds);
  if (!end.Returned) {
    RaiseDamaged(end.Signal != 0 ? std::string("drawing it stopped on signal ") + ::strsignal(end.Signal)
                                 : std::string("drawing it stopped"));
  }
  if (end.Report.empty()) return;
  const std::string text = end.Report.substr(1);
  if (end.Report[0] == 'E') throw EPrinter(text);
  throw XpsError(static_cast<XpsProblem>(end.Report[0] - '0'), text);
}

}  // namespace

void XpsToPdf(const std::string& path, std::uint64_t offset, HiddenFile& pdf, const XpsLimits& limits) {
  if (Gxps() == nullptr) {
    throw XpsError(XpsProblem::NoConverter, "XPS documents need libgxps (libgxps.so.2), which cannot be loaded");
  }
  HiddenFile package;
  XpsLimits drawing = limits;
  const std::uint64_t size = CopyPackage(path, offset, limits, package);
  drawing.PdfBytes = std::min(limits.PdfBytes, (std::uint64_t{64} << 20) + 100 * size);
  if (!pdf.Create()) throw EPrinter("Cannot make a temporary file for the PDF of an XPS document");
  if (limits.SeparateProcess) {
    DrawSeparately(package.Path(), pdf, drawing);
  } else {
    DrawPackage(package.Path(), pdf, drawing);
  }
}

}  // namespace prynda
