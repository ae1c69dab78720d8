// PDF forms and the check of PDFs handed on, over arbitrary bytes: the check reads them as a file,
// the form from memory, both within limits small enough for many executions a second; a form that
// loads has each of its pages written into a PDF that goes nowhere. Whatever the bytes, the check
// answers within its limits, the form loads or raises FormError, and writing a page raises at most
// EPrinter.
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "device/printer_error.h"
#include "fuzz/fuzz_job.h"
#include "printers/pdf/pdf_check.h"
#include "printers/pdf/pdf_form.h"
#include "printers/pdf/pdf_writer.h"
#include "support/null_pdf_sink.h"

using namespace prynda;

namespace {

PdfCheckLimits CheckLimits() {
  PdfCheckLimits limits;
  limits.Objects = 10'000;
  limits.Pages = 1'000;
  limits.ObjectStreamBytes = 1 << 20;
  limits.DecodedBytes = 4 << 20;
  limits.Seconds = 5;
  return limits;
}

PdfFormLimits FormLimits() {
  PdfFormLimits limits;
  limits.StreamBytes = 4 << 20;
  limits.DecodedBytes = 16 << 20;
  limits.ObjectStreamBytes = 1 << 20;
  limits.Objects = 10'000;
  limits.Pages = 100;
  limits.Seconds = 5;
  return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::WriteFile("job.pdf", data, size);
  static const PdfCheckLimits check_limits = CheckLimits();
  const PdfCheck check = CheckPdf(path, 0, check_limits);
  if (check.Verdict == PdfVerdict::NoChecker) __builtin_trap();  // no qpdf: nothing is fuzzed
  if (check.Verdict == PdfVerdict::Readable && check.Pages > check_limits.Pages) __builtin_trap();

  static const PdfFormLimits form_limits = FormLimits();
  try {
    const auto form = PdfForm::Open(std::string(reinterpret_cast<const char*>(data), size), path, form_limits);
    if (form->PageCount() < 1 || static_cast<std::uint64_t>(form->PageCount()) > form_limits.Pages) __builtin_trap();
    testing::NullPdfSink sink;
    PdfWriter writer(sink);
    ImportedObjects written;
    for (int page = 0; page < form->PageCount(); ++page) form->Write(page, writer, written);
  } catch (const FormError&) {
  } catch (const EPrinter&) {
  }
  return 0;
}
