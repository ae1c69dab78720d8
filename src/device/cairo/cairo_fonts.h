// Fonts for the cairo backends: faces found through fontconfig the way the desktop finds them (so
// "Courier New" resolves to its metric-compatible twin where only that is installed), measured and
// drawn through FreeType. A realised font caches glyph index and advance per byte.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "device/print_system.h"

typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _cairo_scaled_font cairo_scaled_font_t;

namespace prynda {

// The Windows code page of a font charset (238 -> 1250, 0 -> 1252, ...); 1 (the system's default)
// is taken as Central European, the charset of this program's users.
int CodePageOfCharset(std::uint8_t charset);

// One font at one pixel size. Lengths are device pixels.
class CairoFont {
 public:
  struct Glyph {
    std::uint32_t Index = 0;
    int Advance = 0;
  };

  CairoFont(cairo_font_face_t* face, const TFontSpec& spec, int dpi_x, int dpi_y);
  ~CairoFont();
  CairoFont(const CairoFont&) = delete;
  CairoFont& operator=(const CairoFont&) = delete;

  const Glyph& GlyphOf(unsigned char byte) {
    if (!known_[byte]) Load(byte);
    return glyphs_[byte];
  }
  // What GetTextExtentPoint32 answers: the sum of the advances, and the cell height.
  TTextExtent Measure(std::string_view text);

  cairo_scaled_font_t* Scaled() const { return scaled_; }
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  const TFontSpec& Spec() const { return spec_; }
  std::pair<int, int> Resolution() const { return {dpi_x_, dpi_y_}; }
  // Decoration lines from the face's own metrics: offset below the baseline and thickness.
  double UnderlineOffset() const { return underline_offset_; }
  double UnderlineThickness() const { return underline_thickness_; }
  double StrikeOutOffset() const { return strikeout_offset_; }
  double StrikeOutThickness() const { return strikeout_thickness_; }

 private:
  void Load(unsigned char byte);

  TFontSpec spec_;
  int dpi_x_;
  int dpi_y_;
  cairo_scaled_font_t* scaled_ = nullptr;
  double pixels_per_unit_x_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
  double underline_offset_ = 0;
  double underline_thickness_ = 1;
  double strikeout_offset_ = 0;
  double strikeout_thickness_ = 1;
  std::array<char32_t, 256> code_points_{};
  std::array<Glyph, 256> glyphs_{};
  std::array<bool, 256> known_{};
};

// Faces and their look-up, shared by every context of a run.
class FontLibrary {
 public:
  FontLibrary();
  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  // The faces a printer offers: the well-known office faces that resolve to an installed face by
  // name or metric alias, then every installed family; each name once.
  const std::vector<std::string>& FaceNames();
  // A realised font at a device resolution; the library owns it.
  CairoFont& Realize(const TFontSpec& spec, int dpi_x, int dpi_y);

 private:
  cairo_font_face_t* Face(const std::string& family, bool bold, bool italic, std::uint8_t charset);

  std::optional<std::vector<std::string>> face_names_;
  std::map<std::tuple<std::string, bool, bool, int>, cairo_font_face_t*> faces_;
  std::vector<std::unique_ptr<CairoFont>> fonts_;
};

}  // namespace prynda
