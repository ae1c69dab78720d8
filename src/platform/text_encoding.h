// Conversion between code pages, named by their Windows numbers (852, 1250, 1252, 65001 = UTF-8).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace prynda {

inline constexpr int kCodePageUtf8 = 65001;

// Converts text; characters that the target lacks become '?'. Raises std::runtime_error when the
// platform knows neither code page.
std::string ConvertCodePage(std::string_view text, int from_code_page, int to_code_page);

// The Unicode code point of each byte of a single-byte code page; 0 where a byte stands for none
// (and for every byte of a code page the platform does not know).
// Converted once per code page and run.
std::array<char32_t, 256> CodePointsOfBytes(int code_page);

// The platform's conversion behind CodePointsOfBytes, every time it is asked.
std::array<char32_t, 256> ReadCodePage(int code_page);

// What begins at the start of `bytes` as UTF-8: the length of a whole sequence (1 for ASCII), 0
// where none can begin there (a stray continuation byte, an overlong form, a surrogate, a code
// point past U+10FFFF), or kUtf8CutShort where the bytes end inside one that is right so far.
inline constexpr std::size_t kUtf8CutShort = static_cast<std::size_t>(-1);
constexpr std::size_t Utf8SequenceLength(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return kUtf8CutShort;
  const std::uint8_t lead = bytes[0];
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4                              ? 4
                                                                                         : 0;
  if (length == 0) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if (k >= bytes.size()) return kUtf8CutShort;
    if ((bytes[k] & 0xC0) != 0x80) return 0;
  }
  const std::uint8_t next = bytes[1];
  if ((lead == 0xE0 && next < 0xA0) || (lead == 0xED && next >= 0xA0) || (lead == 0xF0 && next < 0x90) ||
      (lead == 0xF4 && next >= 0x90)) {
    return 0;
  }
  return length;
}

// The UTF-8 of the code point `c`, appended to `out`.
void AppendUtf8(char32_t c, std::string& out);

// UTF-16 read as it comes, block by block, into UTF-8: a pair of surrogates split between blocks
// is kept whole; a surrogate without its partner becomes U+FFFD, and so does an odd last byte
// (Finish).
class Utf16ToUtf8 {
 public:
  explicit Utf16ToUtf8(bool little_endian) : little_(little_endian) {}
  // The UTF-8 of `bytes`, appended to `out`.
  void Convert(std::span<const std::uint8_t> bytes, std::string& out);
  // What is left of the last block, appended to `out`.
  void Finish(std::string& out);

 private:
  bool little_;
  int odd_ = -1;           // a byte waiting for the other half of its unit; -1: none
  char32_t high_ = 0;      // a high surrogate waiting for its low one; 0: none
};

}  // namespace prynda
