#include "device/font.h"

#include <algorithm>
#include <cstdlib>

namespace prynda {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long multiplicand = a;
  long long divisor = c;
  if (divisor < 0) {
    multiplicand = -multiplicand;
    divisor = -divisor;
  }
  const long long product = multiplicand * b;
  const long long half = divisor / 2;
  const long long result = (product >= 0) ? (product + half) / divisor : (product - half) / divisor;
  if (result > 2147483647LL || result < -2147483647LL) return -1;
  return static_cast<int>(result);
}

void TFont::SetName(std::string_view name) {
  if (name.empty()) return;
  if (name.size() > kMaxFaceNameLength) name = name.substr(0, kMaxFaceNameLength);
  if (name_ == name) return;
  name_.assign(name);
  Changed();
}

void TFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixels_per_inch_); }

void TFont::SetSize(int size) { SetHeight(-MulDiv(size, pixels_per_inch_, 72)); }

void TFont::SetCharset(std::uint8_t charset) {
  if (charset_ == charset) return;
  charset_ = charset;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch_ == pitch) return;
  pitch_ = pitch;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style_ == style) return;
  style_ = style;
  Changed();
}

void TFont::SetWidthPercent(int percent) {
  percent = std::max(percent, 1);
  if (width_percent_ == percent) return;
  width_percent_ = percent;
  Changed();
}

void TFont::SetPixelsPerInch(int pixels_per_inch) {
  if (pixels_per_inch == pixels_per_inch_ || pixels_per_inch <= 0) return;
  const int size = Size();
  pixels_per_inch_ = pixels_per_inch;
  SetSize(size);
}

void TFont::CopyFrom(const TFont& source) {
  if (&source == this) return;
  SetName(source.name_);
  // The height is written once, so that copying an equal font is no change.
  if (pixels_per_inch_ == source.pixels_per_inch_) {
    SetHeight(source.height_);
  } else {
    SetSize(source.Size());
  }
  SetPitch(source.pitch_);
  SetStyle(source.style_);
  SetWidthPercent(source.width_percent_);
  SetCharset(source.charset_);
  SetColor(source.color_);
}

TFontSpec TFont::Spec() const {
  TFontSpec spec;
  spec.Face = name_;
  spec.Height = height_;
  spec.Charset = charset_;
  spec.Pitch = pitch_;
  spec.Bold = (style_ & fsBold) != 0;
  spec.Italic = (style_ & fsItalic) != 0;
  spec.Underline = (style_ & fsUnderline) != 0;
  spec.StrikeOut = (style_ & fsStrikeOut) != 0;
  spec.WidthPercent = width_percent_;
  return spec;
}

}  // namespace prynda
