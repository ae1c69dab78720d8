// Conversion between code pages, named by their Windows numbers (852, 1250, 1252, 65001 = UTF-8).
#pragma once

#include <array>
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

}  // namespace prynda
