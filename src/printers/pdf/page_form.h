// A form printed under every sheet of a document: the paper the job was once printed on. It is a
// PDF, whose page n lies under sheet n and whose last page lies under every sheet after it, or a
// PNG picture under every sheet; which of the two is told by the file's bytes. Each page is
// stretched over the whole physical sheet. The file is read and checked whole when it is loaded,
// so that a document drawn on it does not fail on it half-way; after that it is only read, shared
// by every context made for the document.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "printers/pdf/form_parts.h"

namespace prynda {

class PdfForm;

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
