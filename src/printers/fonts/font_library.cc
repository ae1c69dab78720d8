#include "printers/fonts/font_library.h"

#include <algorithm>
#include <cmath>

#include "device/printer_error.h"
#include "platform/name_list.h"
#include "platform/text_encoding.h"
#include "printers/fonts/font_subset.h"

namespace prynda {

int CodePageOfCharset(std::uint8_t charset) {
  switch (charset) {
    case 0: return 1252;    // ANSI
    case 1: return 1250;    // the system's default
    case 77: return 10000;  // Mac
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;  // OEM
    default: return 1252;
  }
}

SizedFont::SizedFont(FontFace& face, const TFontSpec& spec, int dpi_x, int dpi_y, FontLibrary* library,
                     double em_y)
    : face_(face), spec_(spec), dpi_x_(dpi_x), dpi_y_(dpi_y),
      code_points_(CodePointsOfBytes(CodePageOfCharset(spec.Charset))), library_(library) {
  const double units = face.UnitsPerEm();
  if (em_y > 0) {
    em_y_ = em_y;
  } else if (spec.Height < 0) {
    em_y_ = -static_cast<double>(spec.Height);
  } else if (spec.Height > 0) {
    em_y_ = spec.Height * units / (face.WinAscent() + face.WinDescent());
  } else {
    em_y_ = dpi_y * 12.0 / 72.0;
  }
  em_x_ = em_y_ * dpi_x / static_cast<double>(dpi_y) * std::max(spec.WidthPercent, 1) / 100.0;
  const double scale = em_y_ / units;
  ascent_ = static_cast<int>(std::lround(face.WinAscent() * scale));
  descent_ = static_cast<int>(std::lround(face.WinDescent() * scale));
  underline_offset_ = -face.UnderlinePosition() * scale;
  underline_thickness_ = std::max(1.0, face.UnderlineThickness() * scale);
  strikeout_offset_ = -face.StrikeOutPosition() * scale;
  strikeout_thickness_ = std::max(1.0, face.StrikeOutSize() * scale);
}

void SizedFont::Load(unsigned char byte) {
  Glyph glyph;
  glyph.Index = face_.GlyphIndex(code_points_[byte]);
  glyph.Advance = static_cast<int>(std::lround(face_.Advance(glyph.Index) * em_x_ / face_.UnitsPerEm()));
  glyphs_[byte] = glyph;
  known_[byte] = true;
}

TTextExtent SizedFont::Measure(std::string_view text) {
  TTextExtent extent{0, ascent_ + descent_};
  for (char c : text) extent.Width += GlyphOf(static_cast<unsigned char>(c)).Advance;
  return extent;
}

SizedFont::Glyph SizedFont::GlyphOfCodePoint(char32_t c) const {
  Glyph glyph;
  glyph.Index = face_.GlyphIndex(c);
  glyph.Advance = static_cast<int>(std::lround(face_.Advance(glyph.Index) * em_x_ / face_.UnitsPerEm()));
  return glyph;
}

SizedFont::Placed SizedFont::Place(char32_t c) {
  Glyph glyph = GlyphOfCodePoint(c);
  SizedFont* font = this;
  if (glyph.Index == 0 && library_ != nullptr) {
    if (SizedFont* other = library_->Fallback(*this, c)) {
      font = other;
      glyph = other->GlyphOfCodePoint(c);
    }
  }
  return Placed{font, glyph.Index, glyph.Advance};
}

const SizedFont::Placed& SizedFont::OfOtherCodePoint(char32_t c) {
  auto found = others_.find(c);
  if (found == others_.end()) found = others_.emplace(c, Place(c)).first;
  return found->second;
}

TTextExtent SizedFont::MeasureUnicode(std::u32string_view text) {
  TTextExtent extent{0, ascent_ + descent_};
  for (char32_t c : text) extent.Width += OfCodePoint(c).Advance;
  return extent;
}

// fontconfig loads its configuration on the first look-up, so a run that prints nothing pays nothing.
FontLibrary::FontLibrary() = default;

FontLibrary::~FontLibrary() {
  try {
    Wait();
    if (cache_) cache_->Save();
  } catch (...) {
  }
  fallback_fonts_.clear();
  fonts_.clear();
  faces_.clear();
}

void FontLibrary::Prefetch() {
  if (prefetch_.valid() || face_names_) return;
  prefetch_ = std::async(std::launch::async, [this] {
    face_names_ = ListFaces();
    // Most jobs print in the built-in face: have it matched by the time the first page needs it,
    // and the font subsetter loaded by the time the document ends.
    try {
      Match("Courier New", false, false, 238);
    } catch (const EPrinter&) {
    }
    PreloadSubsetter();
  });
}

void FontLibrary::Wait() {
  if (prefetch_.valid()) prefetch_.get();  // a failure on the other thread is raised here
}

const std::vector<std::string>& FontLibrary::FaceNames() {
  Wait();
  if (!face_names_) face_names_ = ListFaces();
  return *face_names_;
}

FontFace& FontLibrary::Face(const std::string& family, bool bold, bool italic, std::uint8_t charset) {
  Wait();
  return Match(family, bold, italic, charset);
}

FontFace& FontLibrary::FaceAt(const FaceLocation& location) {
  for (auto& known : faces_) {
    if (known->File() == location.File && known->Index() == location.Index &&
        known->SyntheticBold() == location.SyntheticBold && known->SyntheticItalic() == location.SyntheticItalic) {
      return *known;
    }
  }
  faces_.push_back(
      std::make_unique<FontFace>(location.File, location.Index, location.SyntheticBold, location.SyntheticItalic));
  return *faces_.back();
}

SizedFont& FontLibrary::Realize(const TFontSpec& spec, int dpi_x, int dpi_y) {
  // Fonts are few (one per distinct font state of a run), so a linear search is the fast path.
  for (auto& font : fonts_) {
    if (font->Spec() == spec && font->Resolution() == std::make_pair(dpi_x, dpi_y)) return *font;
  }
  FontFace& face = Face(spec.Face, spec.Bold, spec.Italic, spec.Charset);
  fonts_.push_back(std::make_unique<SizedFont>(face, spec, dpi_x, dpi_y, this));
  return *fonts_.back();
}

SizedFont* FontLibrary::Fallback(const SizedFont& font, char32_t c) {
  Wait();
  const TFontSpec& spec = font.Spec();
  auto listed = fixed_pitch_faces_.find({spec.Bold, spec.Italic});
  if (listed == fixed_pitch_faces_.end()) {
    listed = fixed_pitch_faces_.emplace(std::make_pair(spec.Bold, spec.Italic), FixedPitchFaces(spec.Bold, spec.Italic))
                 .first;
  }
  for (const FaceLocation& location : listed->second) {
    FontFace* found = nullptr;
    try {
      found = &FaceAt(location);
    } catch (const EPrinter&) {
      continue;  // a face that cannot be read is no help
    }
    FontFace& face = *found;
    if (&face == &font.Face() || face.GlyphIndex(c) == 0) continue;
    for (auto& known : fallback_fonts_) {
      if (&known->Face() == &face && known->Spec() == spec && known->EmY() == font.EmY() &&
          known->Resolution() == font.Resolution()) {
        return known.get();
      }
    }
    const auto [dpi_x, dpi_y] = font.Resolution();
    fallback_fonts_.push_back(std::make_unique<SizedFont>(face, spec, dpi_x, dpi_y, nullptr, font.EmY()));
    return fallback_fonts_.back().get();
  }
  return nullptr;
}

}  // namespace prynda
