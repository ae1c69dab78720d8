// What forms are made of, for the form (page_form.h) and the readers of its two kinds (pdf_form.h,
// and the pictures' decoder, printers/pictures/pictures.h): why a form cannot be used, a picture's
// dots, a PDF page's box.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "printers/pictures/pictures.h"

namespace prynda {

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

using FormError = ProblemError<FormProblem>;

// A picture form's dots as they lie on white paper.
using FormPicture = Picture;

// The most dots a picture form may have.
inline constexpr std::int64_t kMostFormDots = kMostPictureDots;

// A page's box in its own PDF units and the quarter turns it is shown with (its /Rotate).
struct FormBox {
  double Left = 0, Bottom = 0, Right = 0, Top = 0;
  int Rotate = 0;  // 0, 90, 180 or 270, clockwise
};

}  // namespace prynda
