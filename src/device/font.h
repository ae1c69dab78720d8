// TFont: a logical font as the callers see it. Size (points) and Height (pixels at the font's own
// resolution) are two views of one value, converted with the platform's MulDiv rounding. A new font
// has the screen's resolution (96 px per inch); the printer canvas moves its font to the printer's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "device/print_system.h"

namespace prynda {

// 32-bit colour: top bit set = system colour whose index is the low byte, else RGB 0x00BBGGRR.
using TColor = std::int32_t;
inline constexpr TColor clBlack = 0;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);

// Font style set, one bit each.
using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;

inline constexpr int kScreenPixelsPerInch = 96;
inline constexpr std::size_t kMaxFaceNameLength = 31;

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or the result
// does not fit (the platform's MulDiv).
int MulDiv(int a, int b, int c);

class TFont {
 public:
  TFont() = default;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name);  // empty: ignored; longer than 31 characters: cut
  int Height() const { return height_; }
  void SetHeight(int height);
  int Size() const;
  void SetSize(int size);
  std::uint8_t Charset() const { return charset_; }
  void SetCharset(std::uint8_t charset);
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  // The glyphs' width in percent of the face's own (TFontSpec::WidthPercent); below 1 taken as 1.
  int WidthPercent() const { return width_percent_; }
  void SetWidthPercent(int percent);

  int PixelsPerInch() const { return pixels_per_inch_; }
  // Moves the font to another resolution keeping its point size.
  void SetPixelsPerInch(int pixels_per_inch);

  // Takes the source's name, height, width, pitch, style, charset and colour; between resolutions
  // the point size carries over.
  void CopyFrom(const TFont& source);

  // The request for the device; Version changes whenever a field of it changes.
  TFontSpec Spec() const;
  std::uint64_t Version() const { return version_; }

 private:
  void Changed() { ++version_; }

  std::string name_ = "Arial";
  int height_ = -11;
  std::uint8_t charset_ = 1;
  TColor color_ = clWindowText;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  TFontStyles style_ = 0;
  int width_percent_ = 100;
  int pixels_per_inch_ = kScreenPixelsPerInch;
  std::uint64_t version_ = 1;
};

}  // namespace prynda
