// FX mode (Epson ESC/P) over arbitrary bytes on the recording print system. Two leading bytes
// choose the job's settings (the 180 scale among them: 24-pin units) and, with the first byte's
// top bit, the code page; the rest is the file to print.
#include <cstdint>

#include "fakes/recording_print_system.h"
#include "fuzz/fuzz_job.h"
#include "render/render_document.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  testing::RecordingPrintSystem system;
  fuzzing::FuzzJob fuzz(system);
  fuzzing::ChooseSettings(fuzz.job.Settings, data[0], data[1]);
  fuzz.job.Prynda.Emulation = EmulationKind::Fx;
  if (data[0] & 0x80) fuzz.job.Prynda.CodePage = CodePages()[data[1] % CodePages().size()].Id;
  fuzz.job.InputFileName = fuzz.job.Params[1] = fuzzing::WriteFile("input.txt", data + 2, size - 2);
  SetUpFontSet(fuzz.job);
  const TRenderOutcome outcome = RenderDocument(fuzz.job, fuzz.printer.PageCanvas());
  // Whatever the bytes, the document is finished, and the printer is left as it was found.
  if (outcome != TRenderOutcome::Completed || system.Documents.size() != 1 || !system.Documents[0].Finished ||
      fuzz.printer.IsPrinting() || fuzz.printer.CopyCount() != 1 ||
      fuzz.printer.PageOrientation() != TPrinterOrientation::Portrait) {
    __builtin_trap();
  }
  return 0;
}
