// FX mode's ESC ( B as a job writes it, for the engine's and the end-to-end tests.
#pragma once

#include <string>

namespace prynda::testing {

// ESC ( B with its count: k m s v1 v2 c and the data.
inline std::string BarCode(int k, int m, int s, int v, int c, const std::string& data) {
  const std::size_t n = data.size() + 6;
  return std::string("\x1b(B") + static_cast<char>(n & 0xFF) + static_cast<char>(n >> 8) + static_cast<char>(k) +
         static_cast<char>(m) + static_cast<char>(s) + static_cast<char>(v & 0xFF) + static_cast<char>(v >> 8) +
         static_cast<char>(c) + data;
}

}  // namespace prynda::testing
