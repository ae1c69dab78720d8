#include "printers/pdf/page_form.h"

#include <algorithm>
#include <string_view>

#include "platform/files.h"
#include "printers/pdf/pdf_form.h"
#include "printers/pictures/pictures.h"

namespace prynda {

namespace {

// A form file larger than this is not read: no letterhead comes near it.
constexpr std::int64_t kMostFormBytes = 256 << 20;

std::string ReadWhole(const std::string& path) {
  if (!IsExistingFile(path)) throw FormError(FormProblem::Missing, path);
  InputFile file;
  if (!file.Open(path)) throw FormError(FormProblem::Unreadable, path);
  if (file.Size() > kMostFormBytes) throw FormError(FormProblem::TooLarge, path);
  std::string bytes;
  char block[1 << 16];
  for (;;) {
    const std::int64_t read = file.Read(block, sizeof block);
    if (read < 0) throw FormError(FormProblem::Unreadable, path);
    if (read == 0) break;
    bytes.append(block, static_cast<std::size_t>(read));
    if (static_cast<std::int64_t>(bytes.size()) > kMostFormBytes) throw FormError(FormProblem::TooLarge, path);
  }
  return bytes;
}

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// A PNG form: the picture as it lies on white paper, one channel where it has no colour.
FormPicture PngForm(const std::string& bytes) {
  try {
    return DecodePicture(PictureFormat::Png,
                         std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  } catch (const PictureError& error) {
    throw FormError(error.Problem() == PictureProblem::TooLarge ? FormProblem::TooLarge : FormProblem::DamagedPng,
                    error.what());
  }
}

}  // namespace

std::array<double, 6> SheetMatrix(const FormBox& box, double width, double height) {
  const double x0 = box.Left, y0 = box.Bottom;
  const double w = box.Right - box.Left, h = box.Top - box.Bottom;
  // u = (x - x0) / w and v = (y - y0) / h run from 0 to 1 over the box; the page turned clockwise
  // a quarter shows its left edge at the top: X = v, Y = 1 - u, and so on for the other turns.
  switch (box.Rotate) {
    case 90: return {0, -height / w, width / h, 0, -y0 * width / h, height + x0 * height / w};
    case 180: return {-width / w, 0, 0, -height / h, width + x0 * width / w, height + y0 * height / h};
    case 270: return {0, height / w, -width / h, 0, width + y0 * width / h, -x0 * height / w};
    default: return {width / w, 0, 0, height / h, -x0 * width / w, -y0 * height / h};
  }
}

std::shared_ptr<const PageForm> PageForm::Load(const std::string& path) {
  std::string bytes = ReadWhole(path);
  if (bytes.starts_with(std::string_view(kPngSignature, 8))) {
    return std::make_shared<const PageForm>(path, PngForm(bytes));
  }
  // A PDF may have bytes before its header; readers look for it in the first kilobyte.
  if (std::string_view(bytes).substr(0, 1024).find("%PDF-") != std::string_view::npos) {
    return std::shared_ptr<const PageForm>(new PageForm(path, PdfForm::Open(std::move(bytes), path)));
  }
  throw FormError(FormProblem::NotAForm, path);
}

PageForm::PageForm(std::string path, FormPicture picture)
    : kind_(Kind::Png), path_(std::move(path)), picture_(std::move(picture)) {}

PageForm::PageForm(std::string path, std::unique_ptr<PdfForm> pdf)
    : kind_(Kind::Pdf), path_(std::move(path)), pdf_(std::move(pdf)) {}

PageForm::~PageForm() = default;

int PageForm::PageCount() const { return kind_ == Kind::Pdf ? pdf_->PageCount() : 1; }

int PageForm::PageOfSheet(std::size_t sheet) const {
  return static_cast<int>(std::min(sheet, static_cast<std::size_t>(PageCount() - 1)));
}

}  // namespace prynda
