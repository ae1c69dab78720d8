// The Proprinter dialect over arbitrary bytes on the recording print system. Two leading bytes
// choose the job's settings and, with the first byte's top bit, the code page; the rest is the
// file to print.
#include "fuzz/render_on_fake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  prynda::fuzzing::RenderOnFake(data, size, prynda::EmulationKind::Ibm);
  return 0;
}
