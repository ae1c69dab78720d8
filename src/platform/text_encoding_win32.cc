#include "platform/text_encoding.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace prynda {

std::string ConvertCodePage(std::string_view text, int from_code_page, int to_code_page) {
  if (from_code_page == to_code_page || text.empty()) return std::string(text);
  const int length = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(static_cast<UINT>(from_code_page), 0, text.data(), length, nullptr, 0);
  if (wide <= 0) throw std::runtime_error("no conversion from code page " + std::to_string(from_code_page));
  std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(static_cast<UINT>(from_code_page), 0, text.data(), length, utf16.data(), wide);
  // UTF-8 takes no replacement character of its own; every other code page gets '?' for what it
  // lacks, rather than a look-alike letter.
  const bool utf8 = to_code_page == kCodePageUtf8;
  const char* replacement = utf8 ? nullptr : "?";
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int bytes = WideCharToMultiByte(static_cast<UINT>(to_code_page), flags, utf16.data(), wide, nullptr, 0,
                                        replacement, nullptr);
  if (bytes <= 0) throw std::runtime_error("no conversion to code page " + std::to_string(to_code_page));
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(static_cast<UINT>(to_code_page), flags, utf16.data(), wide, out.data(), bytes, replacement,
                      nullptr);
  return out;
}

std::array<char32_t, 256> ReadCodePage(int code_page) {
  std::array<char32_t, 256> points{};
  for (int byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t out = 0;
    if (MultiByteToWideChar(static_cast<UINT>(code_page), MB_ERR_INVALID_CHARS, &in, 1, &out, 1) == 1) {
      points[static_cast<std::size_t>(byte)] = out;
    }
  }
  return points;
}

}  // namespace prynda
