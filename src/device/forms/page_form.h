// A form printed under every sheet of a document: the paper the job was once printed on. It is a
// PDF, whose page n lies under sheet n and whose last page lies under every sheet after it, or a
// PNG picture under every sheet; which of the two is told by the file's bytes. Each page is
// stretched over the whole physical sheet. The file is read and checked whole when it is loaded,
// so that a document drawn on it does not fail on it half-way; after that it is only read, shared
// by every context made for the document.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace prynda {

class PdfForm;

// Why a form cannot be used.
enum class FormProblem {
  Missing,         // no such file
  Unreadable,      // it cannot be opened or read
  NotAForm,        // neither a PDF nor a PNG
  DamagedPdf,      // a PDF that cannot be read
  NoPages,         // a PDF without a page
  DamagedPng,      // a PNG that cannot be decoded
  TooLarge,        // a picture of more dots than a form is allowed
  PdfUnsupported,  // a PDF where this build cannot read PDF forms (Windows)
  NoPdfLibrary,    // a PDF, and qpdf's library is not installed
};

class FormError : public std::runtime_error {
 public:
  FormError(FormProblem problem, const std::string& detail) : std::runtime_error(detail), problem_(problem) {}
  FormProblem Problem() const { return problem_; }

 private:
  FormProblem problem_;
};

// A picture's dots as they lie on white paper: rows from the top, Channels bytes a dot (1: grey,
// 3: red, green, blue), no padding.
struct FormPicture {
  int Width = 0;
  int Height = 0;
  int Channels = 3;
  std::vector<std::uint8_t> Dots;
};

// The most dots a picture form may have: A4 at 600 dpi is 35 million.
inline constexpr std::int64_t kMostFormDots = 64'000'000;

// A page's box in its own PDF units and the quarter turns it is shown with (its /Rotate).
struct FormBox {
  double Left = 0, Bottom = 0, Right = 0, Top = 0;
  int Rotate = 0;  // 0, 90, 180 or 270, clockwise
};

// The PDF matrix [a b c d e f] that lays `box`, turned as it says, over a sheet `width` x
// `height` points with its origin in the sheet's bottom-left corner.
std::array<double, 6> SheetMatrix(const FormBox& box, double width, double height);

class PageForm {
 public:
  enum class Kind { Pdf, Png };

  // The form in the file at `path`; raises FormError.
  static std::shared_ptr<const PageForm> Load(const std::string& path);
  // A picture form made in memory (the tests').
  PageForm(std::string path, FormPicture picture);
  ~PageForm();

  Kind Type() const { return kind_; }
  const std::string& Path() const { return path_; }
  // Pages of a PDF; 1 for a picture.
  int PageCount() const;
  // The page under sheet `sheet` (from 0): that page, or the last for a sheet past it.
  int PageOfSheet(std::size_t sheet) const;
  // A picture form's dots.
  const FormPicture& Picture() const { return picture_; }
  // A PDF form's pages.
  const PdfForm& Pdf() const { return *pdf_; }

 private:
  PageForm(std::string path, std::unique_ptr<PdfForm> pdf);

  Kind kind_;
  std::string path_;
  FormPicture picture_;
  std::unique_ptr<PdfForm> pdf_;
};

}  // namespace prynda
