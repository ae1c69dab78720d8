#include "jobcontrol/picture_pages.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jobcontrol/job_flow.h"
#include "platform/files.h"
#include "printers/pdf/pdf_check.h"
#include "printers/pictures/pictures.h"
#include "printers/raster/raster_reader.h"
#include "printers/xps/xps_to_pdf.h"
#include "render/image_pages.h"
#include "render/page_cycle.h"

namespace prynda {

namespace {

// A picture file larger than this is not read: a picture of the most dots kMostPictureDots allows
// takes far less in any of its formats but BMP (3 bytes a dot).
constexpr std::int64_t kMostPictureBytes = 3 * kMostPictureDots + (1 << 20);

constexpr std::array kFormats = {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Tiff, PictureFormat::Gif,
                                 PictureFormat::Bmp};

// Why the job's `kind` ("obraz PNG", "PWG raster") cannot be printed: the console's words and the
// log's, with the reader's own detail there.
template <typename Problem>
JobRefusal Unreadable(const std::string& kind, Problem problem, Problem no_reader, Problem too_large,
                      const std::string& detail) {
  if (problem == no_reader) {
    return {"Zadanie to " + kind + ": na tym komputerze nie ma biblioteki, która go odczyta; nic nie wydrukowano",
            "The job is " + detail + "; nothing was printed"};
  }
  if (problem == too_large) {
    return {"Zadanie to " + kind + " za duży do wydruku; nic nie wydrukowano",
            "The job is too large to print (" + detail + "); nothing was printed"};
  }
  return {"Zadanie to " + kind + ", ale plik jest uszkodzony; nic nie wydrukowano",
          "The job cannot be read (" + detail + "); nothing was printed"};
}

std::vector<std::uint8_t> ReadFrom(const std::string& path, std::uint64_t start, const std::string& kind) {
  InputFile file;
  if (!file.Open(path)) throw std::runtime_error("Nie mogę odczytać pliku zadania; nic nie wydrukowano");
  if (file.Size() - static_cast<std::int64_t>(start) > kMostPictureBytes) {
    throw JobRefused({"Zadanie to " + kind + " za duży do wydruku; nic nie wydrukowano",
                      "The job is a picture file too large to print; nothing was printed"});
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::int64_t n = file.Read(bytes.data() + got, bytes.size() - got);
    if (n < 0) throw std::runtime_error("Nie mogę odczytać pliku zadania; nic nie wydrukowano");
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(start, got)));
  return bytes;
}

class OnePicture final : public ImagePageSource {
 public:
  explicit OnePicture(const Picture& picture) : picture_(picture) {}
  bool NextPage(ImagePage& page) override {
    if (given_) return false;
    given_ = true;
    page = {picture_.Image(), ImagePlacement::FitPrintableArea};
    return true;
  }

 private:
  const Picture& picture_;
  bool given_ = false;
};

class RasterPages final : public ImagePageSource {
 public:
  explicit RasterPages(RasterReader& reader) : reader_(reader) {}
  bool NextPage(ImagePage& page) override {
    if (!reader_.NextPage(page_)) return false;
    page = {page_.Image(), ImagePlacement::WholeSheet};
    return true;
  }

 private:
  RasterReader& reader_;
  RasterPage page_;
};

}  // namespace

TRenderOutcome PrintPicture(TJobContext& job, const PictureJob& job_picture) {
  const std::string kind = "obraz " + job_picture.Format;
  PictureFormat format = PictureFormat::Png;
  for (const PictureFormat known : kFormats) {
    if (job_picture.Format == PictureFormatName(known)) format = known;
  }
  Picture picture;
  try {
    try {
      picture = DecodePicture(format, ReadFrom(job.InputPath(), job_picture.Start, kind));
    } catch (const PictureError& e) {
      throw JobRefused(Unreadable(kind, e.Problem(), PictureProblem::NoDecoder, PictureProblem::TooLarge, e.what()));
    }
  } catch (const JobRefused&) {
    WriteUndrawnJobStart(job);  // what the job is, before why it is refused
    throw;
  }
  OnePicture page(picture);
  return PrintImagePages(job, job.CurrentPrinter.PageCanvas(), page);
}

TRenderOutcome PrintRasterPages(TJobContext& job, const PassedOnDocument& document, bool announced) {
  const std::string& kind = document.Language;
  try {
    const std::unique_ptr<RasterReader> reader = RasterReader::Open(job.InputPath(), document.Start);
    RasterPages pages(*reader);
    const TRenderOutcome outcome = PrintImagePages(job, job.CurrentPrinter.PageCanvas(), pages, announced);
    if (outcome == TRenderOutcome::NotStarted) {
      throw JobRefused({"Zadanie to " + kind + " bez żadnej strony; nic nie wydrukowano",
                        "The job is raster without a page; nothing was printed"});
    }
    return outcome;
  } catch (const RasterError& e) {
    if (e.Problem() == RasterProblem::NoReader) {
      TPrinter& printer = job.CurrentPrinter;
      throw JobRefused({"Zadanie w " + kind + ": drukarka " + printer.PrinterNames()[printer.SelectedIndex()] +
                            " go nie przyjmie, a ta wersja nie odczyta go sama; nic nie wydrukowano",
                        "The job is " + kind + ", which the printer does not take and this build cannot read; "
                                               "nothing was printed"});
    }
    throw JobRefused(Unreadable(kind, e.Problem(), RasterProblem::NoReader, RasterProblem::TooLarge, e.what()));
  }
}

PassedOnDocument MakePdfOfXps(TJobContext& job, const PassedOnDocument& document) {
  auto pdf = std::make_shared<HiddenFile>();
  XpsLimits limits;  // drawing it is bounded as a program run on the job is (ProgramTime)
  limits.Seconds = limits.ClockSeconds = static_cast<std::uint32_t>(job.Prynda.ProgramTime);
  try {
    XpsToPdf(job.InputPath(), document.Start, *pdf, limits);
  } catch (const XpsError& e) {
    throw JobRefused(Unreadable("dokument " + document.Language, e.Problem(), XpsProblem::NoConverter,
                                XpsProblem::TooLarge, e.what()));
  }
  job.MadeFile = std::move(pdf);
  job.InputSource = job.MadeFile->Path();
  return PassedOnDocument{TDocumentFormat::Pdf, 0, document.Language};
}

JobRefusal ProgramLimitRefusal(const std::string& kind, const ProgramLimitExceeded& limit) {
  const std::uint64_t value = limit.Value();
  const std::string what =
      limit.Limit() == ProgramLimit::Time
          ? "pracował dłużej niż pozwala limit " + std::to_string(value) + " s (ProgramTime)"
      : limit.Limit() == ProgramLimit::Memory
          ? "potrzebował więcej pamięci niż pozwala limit " + std::to_string(value >> 20) + " MB"
          : "zapisał więcej niż pozwala limit " + std::to_string(value >> 20) + " MB";
  return {"Zadanie to " + kind + ": Ghostscript " + what + " i został zatrzymany; nic nie wydrukowano",
          std::string(limit.what()) + "; nothing was printed"};
}

PassedOnDocument MakePdfOfPostScript(TJobContext& job, const PassedOnDocument& document) {
  auto pdf = std::make_shared<HiddenFile>();
  if (!pdf->Create()) throw std::runtime_error("Nie mogę utworzyć pliku tymczasowego na PDF zadania; nic nie wydrukowano");
  const DocumentBytes write = [&pdf](const unsigned char* data, std::size_t size) {
    if (!pdf->Write(data, size)) throw std::runtime_error("Nie mogę zapisać PDF zadania; nic nie wydrukowano");
  };
  ProgramBox box;
  box.Seconds = job.Prynda.ProgramTime;
  PostScriptPdf made;
  try {
    made = PdfOfPostScript(job.InputPath(), document.Start, write, box);
  } catch (const ProgramLimitExceeded& limit) {
    throw JobRefused(ProgramLimitRefusal(document.Language, limit));
  }
  switch (made.Result) {
    case PostScriptPdf::Outcome::NoGhostscript: return document;
    case PostScriptPdf::Outcome::Failed:
      throw JobRefused({"Zadanie to " + document.Language + ", którego Ghostscript nie odczyta; nic nie wydrukowano",
                        "Ghostscript cannot make a PDF of the PostScript: " + made.Detail + "; nothing was printed"});
    case PostScriptPdf::Outcome::NoPdf:
      throw JobRefused({"Zadanie to " + document.Language + ", z którego Ghostscript nie zrobił PDF (dokument wysyła "
                        "strony gdzie indziej); nic nie wydrukowano",
                        "Ghostscript made no PDF of the PostScript: " + made.Detail + "; nothing was printed"});
    case PostScriptPdf::Outcome::Made: break;
  }
  job.MadeFile = std::move(pdf);
  job.InputSource = job.MadeFile->Path();
  return PassedOnDocument{TDocumentFormat::Pdf, 0, document.Language};
}

void CheckHandedOnPdf(const TJobContext& job, const PassedOnDocument& document) {
  const int most = job.Prynda.MaxPages;
  PdfCheckLimits limits;
  if (most > 0) limits.Pages = static_cast<std::uint64_t>(most);
  const PdfCheck check = CheckPdf(job.InputPath(), document.Start, limits);
  const std::string kind = document.Language;
  switch (check.Verdict) {
    case PdfVerdict::NoChecker: return;
    case PdfVerdict::Readable:
      if (most > 0 && check.Pages > static_cast<std::uint64_t>(most)) throw PageLimitExceeded(most);
      if (check.Pages > 0) return;
      throw JobRefused({"Zadanie to " + kind + " bez żadnej strony; nic nie wydrukowano",
                        "The job is a PDF without a page; nothing was printed"});
    case PdfVerdict::TooLarge:
      if (most > 0 && check.Passed == PdfLimit::Pages) throw PageLimitExceeded(most);
      throw JobRefused({"Zadanie to " + kind + " za duży do wydruku; nic nie wydrukowano",
                        "The job is too large to print (" + check.Detail + "); nothing was printed"});
    case PdfVerdict::Unreadable:
      throw JobRefused({"Zadanie to " + kind + ", ale plik jest uszkodzony; nic nie wydrukowano",
                        "The job cannot be read (" + check.Detail + "); nothing was printed"});
  }
}

}  // namespace prynda
