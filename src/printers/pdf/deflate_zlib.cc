#include "printers/pdf/deflate.h"

#include <zlib.h>

#include "device/printer_error.h"

namespace prynda {

Deflater::Deflater(int level) : level_(level) {}

Deflater::~Deflater() = default;

std::string_view Deflater::Compress(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  out_.resize(size);
  if (compress2(reinterpret_cast<Bytef*>(out_.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), level_) != Z_OK) {
    throw EPrinter("A PDF stream cannot be compressed");
  }
  return std::string_view(out_.data(), size);
}

}  // namespace prynda
