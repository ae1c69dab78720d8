#include "printers/pdf/deflate.h"

#include <libdeflate.h>

#include "device/printer_error.h"

namespace prynda {

Deflater::Deflater(int level) : state_(libdeflate_alloc_compressor(level)), level_(level) {
  if (state_ == nullptr) throw EPrinter("Out of memory for the PDF compressor");
}

Deflater::~Deflater() { libdeflate_free_compressor(static_cast<libdeflate_compressor*>(state_)); }

std::string_view Deflater::Compress(std::string_view data) {
  auto* compressor = static_cast<libdeflate_compressor*>(state_);
  out_.resize(libdeflate_zlib_compress_bound(compressor, data.size()));
  const std::size_t size = libdeflate_zlib_compress(compressor, data.data(), data.size(), out_.data(), out_.size());
  if (size == 0) throw EPrinter("A PDF stream cannot be compressed");
  return std::string_view(out_.data(), size);
}

}  // namespace prynda
