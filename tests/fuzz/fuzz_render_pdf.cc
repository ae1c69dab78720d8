// The rendering engine over arbitrary bytes on the built-in PDF printer, through the PDF writer
// and the real fonts. Two leading bytes choose the job's settings; the rest is the file to print.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <memory>

#include "device/fonts/font_library.h"
#include "device/pdffile/pdf_file_printer.h"
#include "fuzz/fuzz_job.h"
#include "render/render_document.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static std::shared_ptr<FontLibrary> fonts = std::make_shared<FontLibrary>();
  static const std::string output = fuzzing::ScratchFolder() + "/output.pdf";
  setenv("PRYNDA_PDF", output.c_str(), 1);
  PdfFilePrintSystem system(fonts);
  fuzzing::FuzzJob fuzz(system);
  fuzzing::ChooseSettings(fuzz.job.Settings, data[0], data[1]);
  fuzz.job.InputFileName = fuzz.job.Params[1] = fuzzing::WriteFile("input.txt", data + 2, size - 2);
  fuzz.printer.SetSourceFileName(fuzz.job.InputFileName);
  SetUpFontSet(fuzz.job);
  if (RenderDocument(fuzz.job, fuzz.printer.PageCanvas()) != TRenderOutcome::Completed) __builtin_trap();
  if (::access(output.c_str(), R_OK) != 0) __builtin_trap();
  ::unlink(output.c_str());
  return 0;
}
