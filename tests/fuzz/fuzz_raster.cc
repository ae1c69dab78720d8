// The raster reader over arbitrary bytes as a PWG or Apple raster file: every page comes back
// whole, within the limit, or RasterError is raised.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "printers/raster/raster_reader.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // In memory where the system has a folder for it: the file is written at every run.
  static const std::string path =
      (access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz_raster-" : "/tmp/fuzz_raster-") + std::to_string(getpid());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  try {
    std::unique_ptr<RasterReader> reader = RasterReader::Open(path, 0);
    // A few pages tell all a fuzzer can find; Apple raster's headers are so short that one input
    // could hold a hundred.
    RasterPage page;
    for (int pages = 0; pages < 4 && reader->NextPage(page); ++pages) {
      if (page.Width <= 0 || page.Height <= 0 || (page.Channels != 1 && page.Channels != 3) ||
          page.Dots.size() != static_cast<std::size_t>(page.Width) * page.Height * page.Channels ||
          static_cast<std::int64_t>(page.Width) * page.Height > kMostRasterPageDots || !(page.WidthPoints > 0)) {
        __builtin_trap();
      }
    }
  } catch (const RasterError&) {
  }
  return 0;
}
