// Recognition over arbitrary bytes: it reads only what it is given, says the same twice, and what
// it says stays inside the bytes (the document's start) and the values the job flow knows.
#include <cstdint>
#include <span>

#include "recognition/recognition.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const Recognition job = Recognise(bytes);
  const Recognition again = Recognise(bytes);
  if (job.Language != again.Language || job.Pins != again.Pins || job.CodePage != again.CodePage ||
      job.CodePageFromEvidence != again.CodePageFromEvidence || job.DocumentStart != again.DocumentStart ||
      job.LineEnds != again.LineEnds || job.Detail != again.Detail) {
    __builtin_trap();
  }
  if (job.DocumentStart > size || (job.Pins != 9 && job.Pins != 24)) __builtin_trap();
  if (job.Pins == 24 && job.Language != JobLanguage::EscP) __builtin_trap();
  if (PolishName(job).empty()) __builtin_trap();
  return 0;
}
