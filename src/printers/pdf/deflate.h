// zlib-format compression of PDF streams: libdeflate on Linux (deflate_libdeflate.cc), zlib on
// Windows (deflate_zlib.cc).
#pragma once

#include <string>
#include <string_view>

namespace prynda {

class Deflater {
 public:
  explicit Deflater(int level);  // 1 (fastest) to 9
  ~Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // The compressed data, valid until the next call; raises EPrinter when compression fails.
  std::string_view Compress(std::string_view data);

 private:
  void* state_ = nullptr;
  int level_;
  std::string out_;
};

}  // namespace prynda
