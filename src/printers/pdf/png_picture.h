// PNG pictures decoded for forms: by libpng on Linux (png_libpng.cc), by Windows' own GDI+ on
// Windows (png_gdiplus.cc).
#pragma once

#include <string>

#include "printers/pdf/form_parts.h"

namespace prynda {

inline constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// The picture in `bytes` as it lies on white paper (transparent dots white), 3 channels; raises
// FormError: DamagedPng, or TooLarge for more than kMostFormDots dots.
FormPicture DecodePng(const std::string& bytes);

}  // namespace prynda
