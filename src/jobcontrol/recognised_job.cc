#include "jobcontrol/recognised_job.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text_encoding.h"

namespace prynda {

namespace {

// As much of the file's start as recognition looks at.
std::vector<std::uint8_t> ReadHead(const std::string& path) {
  std::vector<std::uint8_t> head(kRecognitionBytes);
  InputFile file;
  if (!file.Open(path)) return {};  // the render step says why it cannot be read
  std::size_t got = 0;
  while (got < head.size()) {
    const std::int64_t n = file.Read(head.data() + got, head.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  head.resize(got);
  return head;
}

// UTF-16 text made UTF-8 in a file of its own, from `start` on; nullptr when it cannot be read.
std::shared_ptr<HiddenFile> Utf8OfUtf16(const std::string& path, std::uint64_t start, bool little_endian) {
  InputFile input;
  auto made = std::make_shared<HiddenFile>();
  if (!input.Open(path) || !made->Create()) return nullptr;
  Utf16ToUtf8 converter(little_endian);
  std::vector<std::uint8_t> block(1 << 16);
  std::string utf8;
  std::uint64_t skipped = 0;
  for (;;) {
    const std::int64_t n = input.Read(block.data(), block.size());
    if (n < 0) return nullptr;
    if (n == 0) break;
    std::span<const std::uint8_t> bytes(block.data(), static_cast<std::size_t>(n));
    const std::uint64_t skip = std::min<std::uint64_t>(start - skipped, bytes.size());
    skipped += skip;
    utf8.clear();
    converter.Convert(bytes.subspan(static_cast<std::size_t>(skip)), utf8);
    if (!made->Write(utf8.data(), utf8.size())) return nullptr;
  }
  utf8.clear();
  converter.Finish(utf8);
  return made->Write(utf8.data(), utf8.size()) ? made : nullptr;
}

// What the job is handed on as, for the languages and rasters a printer takes as they are.
std::optional<PassedOnDocument> HandedOn(const Recognition& found) {
  const auto document = [&found](TDocumentFormat format, std::string_view language) {
    return PassedOnDocument{format, found.DocumentStart, std::string(language)};
  };
  switch (found.Language) {
    case JobLanguage::PostScript: return document(TDocumentFormat::PostScript, "PostScript");
    case JobLanguage::Pdf: return document(TDocumentFormat::Pdf, "PDF");
    case JobLanguage::Pcl: return document(TDocumentFormat::Raw, "PCL");
    case JobLanguage::PclXl: return document(TDocumentFormat::Raw, "PCL XL");
    case JobLanguage::Receipt: return document(TDocumentFormat::Raw, "ESC/POS");
    case JobLanguage::PwgRaster: return document(TDocumentFormat::PwgRaster, "PWG raster");
    case JobLanguage::AppleRaster: return document(TDocumentFormat::AppleRaster, "Apple raster");
    default: return std::nullopt;
  }
}

// A picture's format by the name PictureJob gives it; "" for what is no picture.
std::string_view PictureFormatOf(JobLanguage language) {
  switch (language) {
    case JobLanguage::Png: return "PNG";
    case JobLanguage::Jpeg: return "JPEG";
    case JobLanguage::Tiff: return "TIFF";
    case JobLanguage::Gif: return "GIF";
    case JobLanguage::Bmp: return "BMP";
    default: return "";
  }
}

// Why a job that no printer prints is refused.
JobRefusal NoPrintout(const Recognition& found, const std::string& name) {
  if (found.Language == JobLanguage::HpGl) {
    return {"Zadanie w języku HP-GL/2 to rysunek dla plotera, Prynda go nie drukuje; nic nie wydrukowano",
            "The job is an HP-GL/2 plot, which Prynda does not print; nothing was printed"};
  }
  const std::string kind = found.Language == JobLanguage::Archive      ? "an archive"
                           : found.Language == JobLanguage::Compressed ? "a compressed file"
                           : found.Language == JobLanguage::Program    ? "a program"
                                                                       : "binary data";
  const std::string detail = found.Detail.empty() ? "" : " (" + found.Detail + ")";
  return {"Zadanie to " + name + ", nie wydruk; nic nie wydrukowano",
          "The job is " + kind + detail + ", not a printout; nothing was printed"};
}

}  // namespace

std::optional<Recognition> RecogniseJob(TJobContext& job) {
  PryndaSettings& own = job.Prynda;
  if (own.Emulation != EmulationKind::Auto) return std::nullopt;
  const std::vector<std::uint8_t> head = ReadHead(job.InputPath());
  Recognition found = Recognise(head);
  const std::string name = PolishName(found);

  if (found.Language == JobLanguage::Utf16Text) {
    // Read on as the UTF-8 text it is.
    const bool little = head.size() > found.DocumentStart && head[found.DocumentStart] == 0xFF;
    job.MadeFile = Utf8OfUtf16(job.InputPath(), found.DocumentStart, little);
    if (!job.MadeFile) throw std::runtime_error("Nie mogę odczytać tekstu UTF-16 zadania; nic nie wydrukowano");
    job.InputSource = job.MadeFile->Path();
    found = Recognise(ReadHead(job.InputPath()));
  }

  own.Emulation = found.Language == JobLanguage::EscP || found.Language == JobLanguage::InkjetRaster
                      ? EmulationKind::Fx
                  : found.Language == JobLanguage::Proprinter ? EmulationKind::Ibm
                                                              : EmulationKind::Own;
  if (found.Language == JobLanguage::InkjetRaster) found.Pins = 24;
  if (job.Settings.Scale216) own.Pins = found.Pins;  // "180" says 24 pins whatever the job shows
  // The code page the user names stands; PL=1 names Mazovia as MAZ does.
  const bool named = own.CodePage.has_value() || job.Settings.CodePage == CodePageId::Mazovia;
  if (!named) own.CodePage = found.CodePage;
  if (found.LineEnds == LineEnd::Lf) own.AutoCR = true;
  if (found.Language == JobLanguage::Utf8Text) {
    own.Text = OwnText::Utf8;
  } else if (found.Language == JobLanguage::Text || found.Language == JobLanguage::OwnDialect) {
    own.Text = OwnText::CodePage;
  }
  if (found.Language == JobLanguage::Text || found.Language == JobLanguage::Utf8Text) {
    // Text as a printer takes it: a page full goes on to the next, and what ends the job after
    // its last line makes no blank sheet.
    own.PagesWhenPrinted = true;
    job.Settings.ForceFF = true;
  }
  job.Document = HandedOn(found);
  if (IsNoPrintout(found.Language)) job.Refusal = NoPrintout(found, name);
  if (const std::string_view format = PictureFormatOf(found.Language); !format.empty()) {
    job.Picture = PictureJob{std::string(format), found.DocumentStart};
  }
  if (found.Language == JobLanguage::Xps) {
    job.Document = PassedOnDocument{TDocumentFormat::Pdf, found.DocumentStart, name, /*FromXps=*/true};
  }

  own.Recognised = name;
  const bool drawn = found.Language == JobLanguage::Text || found.Language == JobLanguage::OwnDialect ||
                     found.Language == JobLanguage::EscP || found.Language == JobLanguage::Proprinter;
  if (drawn) {
    own.Recognised += ", " + std::string(JobCodePage(job).Name);
    if (!found.CodePageFromEvidence && !named) own.Recognised += " (domyślna)";
  }
  return found;
}

}  // namespace prynda
