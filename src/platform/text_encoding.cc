#include "platform/text_encoding.h"

#include <map>
#include <string>
#include <mutex>

namespace prynda {

std::array<char32_t, 256> CodePointsOfBytes(int code_page) {
  // A run uses one or two code pages, each for several fonts: convert each once.
  static std::mutex guard;
  static std::map<int, std::array<char32_t, 256>> known;
  std::lock_guard<std::mutex> lock(guard);
  auto found = known.find(code_page);
  if (found == known.end()) found = known.emplace(code_page, ReadCodePage(code_page)).first;
  return found->second;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

void Utf16ToUtf8::Convert(std::span<const std::uint8_t> bytes, std::string& out) {
  out.reserve(out.size() + bytes.size() * 3 / 2);
  for (const std::uint8_t byte : bytes) {
    if (odd_ < 0) {
      odd_ = byte;
      continue;
    }
    const char32_t unit = little_ ? static_cast<char32_t>(odd_ | (byte << 8)) : static_cast<char32_t>((odd_ << 8) | byte);
    odd_ = -1;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      AppendUtf8(high_ != 0 ? 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00) : kReplacement, out);
      high_ = 0;
      continue;
    }
    if (high_ != 0) AppendUtf8(kReplacement, out);
    high_ = 0;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_ = unit;
    } else {
      AppendUtf8(unit, out);
    }
  }
}

void Utf16ToUtf8::Finish(std::string& out) {
  if (high_ != 0 || odd_ >= 0) AppendUtf8(kReplacement, out);
  high_ = 0;
  odd_ = -1;
}

}  // namespace prynda
