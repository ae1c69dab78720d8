// One run of the engine over a fuzzer's bytes on the recording print system, in a given dialect:
// two leading bytes choose the job's settings (the first byte's top bit also a code page, and in
// our dialect how a recognised job's text is read), the rest is the file to print. Whatever the bytes,
// the document is finished and the printer is left as it was found; anything else traps.
#pragma once

#include <cstdint>

#include "fakes/recording_print_system.h"
#include "fuzz/fuzz_job.h"
#include "render/render_document.h"

namespace prynda::fuzzing {

inline void RenderOnFake(const std::uint8_t* data, std::size_t size, EmulationKind emulation) {
  if (size < 2) return;
  testing::RecordingPrintSystem system;
  FuzzJob fuzz(system);
  ChooseSettings(fuzz.job, data[0], data[1]);
  fuzz.job.Prynda.Emulation = emulation;
  if (data[0] & 0x80) {
    fuzz.job.Prynda.CodePage = CodePages()[data[1] % CodePages().size()].Id;
    // Our dialect as a recognised job reads it: through the code page or as UTF-8.
    if (emulation == EmulationKind::Own) {
      fuzz.job.Prynda.Text = (data[1] & 0x80) ? OwnText::Utf8 : OwnText::CodePage;
      fuzz.job.Prynda.PagesWhenPrinted = (data[1] & 0x40) != 0;
    }
  }
  fuzz.job.InputFileName = fuzz.job.Params[1] = WriteFile("input.txt", data + 2, size - 2);
  SetUpFontSet(fuzz.job);
  const TRenderOutcome outcome = RenderDocument(fuzz.job, fuzz.printer.PageCanvas());
  if (outcome != TRenderOutcome::Completed || system.Documents.size() != 1 || !system.Documents[0].Finished ||
      fuzz.printer.IsPrinting() || fuzz.printer.CopyCount() != 1 ||
      fuzz.printer.PageOrientation() != TPrinterOrientation::Portrait) {
    __builtin_trap();
  }
}

}  // namespace prynda::fuzzing
