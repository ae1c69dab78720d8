#include "printers/pdf/pdf_form.h"

#include "device/printer_error.h"

namespace prynda {

struct PdfForm::State {};

std::unique_ptr<PdfForm> PdfForm::Open(std::string, const std::string& path, const PdfFormLimits&) {
  throw FormError(FormProblem::PdfUnsupported, "PDF forms cannot be read by this build: " + path);
}

PdfForm::PdfForm(std::unique_ptr<State> state) : state_(std::move(state)) {}
PdfForm::~PdfForm() = default;

int PdfForm::PageCount() const { return 0; }

const FormBox& PdfForm::Box(int) const {
  static const FormBox none;
  return none;
}

int PdfForm::Write(int, PdfWriter&, ImportedObjects&) const { throw EPrinter("PDF forms cannot be drawn here"); }

}  // namespace prynda
