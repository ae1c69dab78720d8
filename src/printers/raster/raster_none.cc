#include "printers/raster/raster_reader.h"

namespace prynda {

std::unique_ptr<RasterReader> RasterReader::Open(const std::string&, std::uint64_t) {
  throw RasterError(RasterProblem::NoReader, "Raster documents cannot be read here");
}

}  // namespace prynda
