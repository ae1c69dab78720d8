// Fonts for the backends that make PDF: faces found through fontconfig the way the desktop finds
// them (so "Courier New" resolves to its metric-compatible twin where only that is installed),
// measured through FreeType. A realised font caches glyph index and advance per byte.
#pragma once

#include <array>
#include <future>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "device/print_system.h"
#include "printers/fonts/font_cache.h"

namespace prynda {

// The Windows code page of a font charset (238 -> 1250, 0 -> 1252, ...); 1 (the system's default)
// is taken as Central European, the charset of this program's users.
int CodePageOfCharset(std::uint8_t charset);

// One face of one font file, as the platform matched it for a family, weight and slant (through
// fontconfig and FreeType on Linux, GDI on Windows). Lengths are in the face's design units.
class FontFace {
 public:
  FontFace(std::string file, int index, bool synthetic_bold, bool synthetic_italic);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // The font file (on Windows the face's name), and the whole font program as a PDF embeds it.
  const std::string& File() const { return file_; }
  std::string Program() const;
  int Index() const { return index_; }
  // The platform's own face: a FreeType FT_Face on Linux, a device context with the face selected
  // at its design size on Windows.
  void* Handle() const { return handle_; }
  // The matched face is lighter or more upright than asked for: embolden or slant it when drawing.
  bool SyntheticBold() const { return synthetic_bold_; }
  bool SyntheticItalic() const { return synthetic_italic_; }

  std::uint32_t GlyphIndex(char32_t code_point) const;
  int Advance(std::uint32_t glyph) const;  // design units

  double UnitsPerEm() const { return units_per_em_; }
  double WinAscent() const { return win_ascent_; }
  double WinDescent() const { return win_descent_; }
  double UnderlinePosition() const { return underline_position_; }
  double UnderlineThickness() const { return underline_thickness_; }
  double StrikeOutPosition() const { return strikeout_position_; }
  double StrikeOutSize() const { return strikeout_size_; }
  double CapHeight() const { return cap_height_; }
  double ItalicAngle() const { return italic_angle_; }
  bool FixedPitch() const { return fixed_pitch_; }
  bool Serif() const { return serif_; }
  std::array<double, 4> BoundingBox() const { return bbox_; }
  const std::string& PostScriptName() const { return postscript_name_; }

 private:
  std::string file_;
  int index_;
  bool synthetic_bold_;
  bool synthetic_italic_;
  void* handle_ = nullptr;
  [[maybe_unused]] void* font_ = nullptr;  // Windows: the HFONT
  double units_per_em_ = 2048;
  double win_ascent_ = 0;
  double win_descent_ = 0;
  double underline_position_ = 0;
  double underline_thickness_ = 0;
  double strikeout_position_ = 0;
  double strikeout_size_ = 0;
  double cap_height_ = 0;
  double italic_angle_ = 0;
  bool fixed_pitch_ = false;
  bool serif_ = false;
  std::array<double, 4> bbox_{};
  std::string postscript_name_;
};

class FontLibrary;

// One font at one pixel size. Lengths are device pixels.
class SizedFont {
 public:
  struct Glyph {
    std::uint32_t Index = 0;
    int Advance = 0;
  };
  // A character given as Unicode: its glyph in the font that draws it - this one, or, where this
  // face lacks it, a fixed-pitch face that has it at this font's size. Glyph 0 of this font where
  // no face has it.
  struct Placed {
    SizedFont* Font = nullptr;
    std::uint32_t Index = 0;
    int Advance = 0;
  };

  // `library` finds faces for the characters this face lacks (none without it); `em_y` > 0 sets
  // the size in place of the TFontSpec's height.
  SizedFont(FontFace& face, const TFontSpec& spec, int dpi_x, int dpi_y, FontLibrary* library = nullptr,
            double em_y = 0);

  const Glyph& GlyphOf(unsigned char byte) {
    if (!known_[byte]) Load(byte);
    return glyphs_[byte];
  }
  // What GetTextExtentPoint32 answers: the sum of the advances, and the cell height.
  TTextExtent Measure(std::string_view text);
  char32_t CodePoint(unsigned char byte) const { return code_points_[byte]; }

  const Placed& OfCodePoint(char32_t c) {
    if (c < latin_.size()) {
      if (!latin_known_[c]) {
        latin_[c] = Place(c);
        latin_known_[c] = true;
      }
      return latin_[c];
    }
    return OfOtherCodePoint(c);
  }
  TTextExtent MeasureUnicode(std::u32string_view text);
  bool HasGlyph(char32_t c) { return OfCodePoint(c).Index != 0; }

  FontFace& Face() const { return face_; }
  const TFontSpec& Spec() const { return spec_; }
  std::pair<int, int> Resolution() const { return {dpi_x_, dpi_y_}; }
  double EmX() const { return em_x_; }  // the em in pixels, across and up
  double EmY() const { return em_y_; }
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  // Decoration lines from the face's own metrics: offset below the baseline and thickness.
  double UnderlineOffset() const { return underline_offset_; }
  double UnderlineThickness() const { return underline_thickness_; }
  double StrikeOutOffset() const { return strikeout_offset_; }
  double StrikeOutThickness() const { return strikeout_thickness_; }

 private:
  void Load(unsigned char byte);
  Glyph GlyphOfCodePoint(char32_t c) const;
  Placed Place(char32_t c);
  const Placed& OfOtherCodePoint(char32_t c);

  FontFace& face_;
  TFontSpec spec_;
  int dpi_x_;
  int dpi_y_;
  double em_x_ = 0;
  double em_y_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
  double underline_offset_ = 0;
  double underline_thickness_ = 1;
  double strikeout_offset_ = 0;
  double strikeout_thickness_ = 1;
  std::array<char32_t, 256> code_points_{};
  std::array<Glyph, 256> glyphs_{};
  std::array<bool, 256> known_{};
  FontLibrary* library_;
  std::array<Placed, 256> latin_{};  // by code point, for U+0000-U+00FF
  std::array<bool, 256> latin_known_{};
  std::unordered_map<char32_t, Placed> others_;
};

// Faces and their look-up, shared by every context of a run.
class FontLibrary {
 public:
  FontLibrary();
  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  // Starts loading the font configuration and the list of faces on another thread, so that the
  // job's other first steps (asking the spooler for its printers) run meanwhile. Look-ups wait
  // for it. Calling it again does nothing.
  void Prefetch();
  // The faces a printer offers: the well-known office faces that resolve to an installed face by
  // name or metric alias, then every installed family; each name once.
  const std::vector<std::string>& FaceNames();
  // A realised font at a device resolution; the library owns it.
  SizedFont& Realize(const TFontSpec& spec, int dpi_x, int dpi_y);
  // The font that draws `c` in place of `font`, whose face lacks it: the first installed
  // fixed-pitch face (of the platform's choice, in the font's weight and slant where it can) that
  // has it, at the font's size; nullptr when none has it.
  SizedFont* Fallback(const SizedFont& font, char32_t c);

 private:
  FontFace& Face(const std::string& family, bool bold, bool italic, std::uint8_t charset);
  FontFace& Match(const std::string& family, bool bold, bool italic, std::uint8_t charset);
  FontFace& FaceAt(const FaceLocation& location);
  void Wait();
  std::vector<std::string> ListFaces();
  // The platform's fixed-pitch faces, best first, one face per family.
  std::vector<FaceLocation> FixedPitchFaces(bool bold, bool italic);
  // The answers of earlier runs, where the platform's look-ups are worth keeping (fontconfig).
  FontCache* Cache();

  std::future<void> prefetch_;
  std::optional<std::vector<std::string>> face_names_;
  std::map<std::tuple<std::string, bool, bool, int>, FontFace*> matches_;
  std::vector<std::unique_ptr<FontFace>> faces_;  // one per file, index and synthesis
  std::vector<std::unique_ptr<SizedFont>> fonts_;
  std::map<std::pair<bool, bool>, std::vector<FaceLocation>> fixed_pitch_faces_;  // by bold, italic
  std::vector<std::unique_ptr<SizedFont>> fallback_fonts_;  // apart from fonts_: Realize never finds them
  std::unique_ptr<FontCache> cache_;
  bool cache_opened_ = false;
};

}  // namespace prynda
