// The rendering engine over arbitrary bytes on the built-in PDF printer, through the PDF writer
// and the real fonts. Two leading bytes choose the job's settings (the top bit of the first: FX mode,
// whose bit images reach the writer's pictures, its text in one of the code pages and its blocks
// the writer's filled rectangles); the rest is the file to print.
#include <libdeflate.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "fuzz/fuzz_job.h"
#include "printers/fonts/font_library.h"
#include "printers/prynda_pdf/pdf_file_printer.h"
#include "render/render_document.h"

using namespace prynda;

namespace {

// Every document allocates a compressor of some 660 KB in libdeflate. Under ASan a block that size
// is a fresh mapping with its own shadow and page faults each time, a good share of a short
// document's execution. libdeflate is not instrumented, so handing the last freed block back out
// hides no finding in our code; it only makes each execution cheaper.
struct alignas(16) Header {
  std::size_t size;
};
Header* kept = nullptr;

void* KeepingAlloc(std::size_t size) {
  Header* block = kept;
  if (block != nullptr && block->size >= size) {
    kept = nullptr;
  } else {
    block = static_cast<Header*>(::malloc(sizeof(Header) + size));
    if (block == nullptr) return nullptr;
    block->size = size;
  }
  return block + 1;
}

// Keeps the larger of the freed block and the one already kept.
void KeepingFree(void* pointer) {
  if (pointer == nullptr) return;
  Header* block = static_cast<Header*>(pointer) - 1;
  if (kept == nullptr || kept->size < block->size) std::swap(kept, block);
  ::free(block);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  libdeflate_set_memory_allocator(KeepingAlloc, KeepingFree);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static std::shared_ptr<FontLibrary> fonts = std::make_shared<FontLibrary>();
  static const std::string output = fuzzing::ScratchFolder() + "/output.pdf";
  setenv("PRYNDA_PDF", output.c_str(), 1);
  PdfFilePrintSystem system(fonts);
  fuzzing::FuzzJob fuzz(system);
  fuzzing::ChooseSettings(fuzz.job, data[0], data[1]);
  if (data[0] & 128) {
    fuzz.job.Prynda.Emulation = EmulationKind::Fx;
    fuzz.job.Prynda.CodePage = CodePages()[data[1] % CodePages().size()].Id;
  }
  fuzz.job.InputFileName = fuzz.job.Params[1] = fuzzing::WriteFile("input.txt", data + 2, size - 2);
  fuzz.printer.SetSourceFileName(fuzz.job.InputFileName);
  SetUpFontSet(fuzz.job);
  if (RenderDocument(fuzz.job, fuzz.printer.PageCanvas()) != TRenderOutcome::Completed) __builtin_trap();
  if (::access(output.c_str(), R_OK) != 0) __builtin_trap();
  ::unlink(output.c_str());
  return 0;
}
