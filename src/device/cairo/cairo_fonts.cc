#include "device/cairo/cairo_fonts.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "device/name_list.h"
#include "device/printer_error.h"
#include "device/text_encoding.h"

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

namespace {

// Office faces that documents and settings files name and that have metric-compatible twins;
// offered when fontconfig resolves them to an installed face by name or by such an alias.
constexpr const char* kOfficeFaces[] = {
    "Courier New", "Arial", "Times New Roman", "Arial Narrow", "Courier",
    "Helvetica",   "Times", "Calibri",         "Cambria",      "Georgia",
};

const char* LanguageOfCharset(std::uint8_t charset) {
  switch (charset) {
    case 238: return "pl";
    case 204: return "ru";
    case 161: return "el";
    case 162: return "tr";
    case 186: return "lt";
    default: return nullptr;
  }
}

std::string FamilyOf(FcPattern* pattern) {
  FcChar8* family = nullptr;
  if (FcPatternGetString(pattern, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr) {
    return reinterpret_cast<const char*>(family);
  }
  return {};
}

FcPattern* MatchFace(const std::string& family, bool bold, bool italic, std::uint8_t charset) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (const char* lang = LanguageOfCharset(charset)) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  return match;
}

// True when fontconfig resolves `name` to a face that is that family or one of its strong or
// metric-compatible aliases, not merely the default fallback.
bool ResolvesByName(const std::string& name) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  bool resolved = false;
  if (match != nullptr) {
    const std::string matched = FamilyOf(match);
    FcValue value;
    FcValueBinding binding;
    for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
      if (value.type != FcTypeString) continue;
      if (!SameTextIgnoringCase(reinterpret_cast<const char*>(value.u.s), matched)) continue;
      resolved = i == 0 || binding != FcValueBindingWeak;
      break;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return resolved;
}

}  // namespace

CairoFont::CairoFont(cairo_font_face_t* face, const TFontSpec& spec, int dpi_x, int dpi_y)
    : spec_(spec), dpi_x_(dpi_x), dpi_y_(dpi_y), code_points_(CodePointsOfBytes(CodePageOfCharset(spec.Charset))) {
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);

  // Design metrics first: a positive height is a cell height and needs them to find the em size.
  double units_per_em = 2048;
  double win_ascent = 0;
  double win_descent = 0;
  double underline_position = 0;
  double underline_thickness = 0;
  double strikeout_position = 0;
  double strikeout_size = 0;
  {
    cairo_matrix_t unit;
    cairo_matrix_init_scale(&unit, 1, 1);
    cairo_scaled_font_t* probe = cairo_scaled_font_create(face, &unit, &identity, options);
    FT_Face ft = cairo_ft_scaled_font_lock_face(probe);
    if (ft != nullptr) {
      units_per_em = ft->units_per_EM > 0 ? ft->units_per_EM : 2048;
      const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
      if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        win_ascent = os2->usWinAscent;
        win_descent = os2->usWinDescent;
        strikeout_position = os2->yStrikeoutPosition;
        strikeout_size = os2->yStrikeoutSize;
      } else {
        win_ascent = ft->ascender;
        win_descent = -ft->descender;
      }
      underline_position = ft->underline_position;
      underline_thickness = ft->underline_thickness;
      cairo_ft_scaled_font_unlock_face(probe);
    }
    cairo_scaled_font_destroy(probe);
  }
  if (win_ascent + win_descent <= 0) {
    win_ascent = units_per_em * 0.8;
    win_descent = units_per_em * 0.2;
  }
  if (strikeout_size <= 0) {
    strikeout_position = win_ascent * 0.3;
    strikeout_size = units_per_em / 20;
  }
  if (underline_thickness <= 0) underline_thickness = units_per_em / 20;

  double em = 0;
  if (spec.Height < 0) {
    em = -static_cast<double>(spec.Height);
  } else if (spec.Height > 0) {
    em = spec.Height * units_per_em / (win_ascent + win_descent);
  } else {
    em = dpi_y * 12.0 / 72.0;
  }
  const double em_x = em * dpi_x / static_cast<double>(dpi_y);
  const double scale_y = em / units_per_em;
  pixels_per_unit_x_ = em_x / units_per_em;
  ascent_ = static_cast<int>(std::lround(win_ascent * scale_y));
  descent_ = static_cast<int>(std::lround(win_descent * scale_y));
  underline_offset_ = -underline_position * scale_y;
  underline_thickness_ = std::max(1.0, underline_thickness * scale_y);
  strikeout_offset_ = -strikeout_position * scale_y;
  strikeout_thickness_ = std::max(1.0, strikeout_size * scale_y);

  cairo_matrix_t size;
  cairo_matrix_init_scale(&size, em_x, em);
  scaled_ = cairo_scaled_font_create(face, &size, &identity, options);
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(scaled_) != CAIRO_STATUS_SUCCESS) {
    throw EPrinter("Font " + spec.Face + " cannot be used: " +
                   cairo_status_to_string(cairo_scaled_font_status(scaled_)));
  }
}

CairoFont::~CairoFont() { cairo_scaled_font_destroy(scaled_); }

void CairoFont::Load(unsigned char byte) {
  Glyph glyph;
  const char32_t code_point = code_points_[byte];
  FT_Face ft = cairo_ft_scaled_font_lock_face(scaled_);
  if (ft != nullptr) {
    glyph.Index = code_point != 0 ? FT_Get_Char_Index(ft, code_point) : 0;
    FT_Fixed advance = 0;
    if (FT_Get_Advance(ft, glyph.Index, FT_LOAD_NO_SCALE, &advance) == 0) {
      glyph.Advance = static_cast<int>(std::lround(static_cast<double>(advance) * pixels_per_unit_x_));
    }
    cairo_ft_scaled_font_unlock_face(scaled_);
  }
  glyphs_[byte] = glyph;
  known_[byte] = true;
}

TTextExtent CairoFont::Measure(std::string_view text) {
  TTextExtent extent{0, ascent_ + descent_};
  for (char c : text) extent.Width += GlyphOf(static_cast<unsigned char>(c)).Advance;
  return extent;
}

// fontconfig loads its configuration on the first look-up, so a run that prints nothing pays nothing.
FontLibrary::FontLibrary() = default;

FontLibrary::~FontLibrary() {
  fonts_.clear();
  for (auto& [key, face] : faces_) cairo_font_face_destroy(face);
}

const std::vector<std::string>& FontLibrary::FaceNames() {
  if (face_names_) return *face_names_;
  std::vector<std::string> names;
  for (const char* face : kOfficeFaces) {
    if (ResolvesByName(face)) names.emplace_back(face);
  }
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  std::vector<std::string> installed;
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      const std::string family = FamilyOf(set->fonts[i]);
      if (!family.empty()) installed.push_back(family);
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(installed.begin(), installed.end());
  for (auto& family : installed) {
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return SameTextIgnoringCase(n, family); });
    if (!known) names.push_back(std::move(family));
  }
  face_names_ = std::move(names);
  return *face_names_;
}

cairo_font_face_t* FontLibrary::Face(const std::string& family, bool bold, bool italic, std::uint8_t charset) {
  const char* lang = LanguageOfCharset(charset);
  const auto key = std::make_tuple(family, bold, italic, lang ? static_cast<int>(charset) : -1);
  auto found = faces_.find(key);
  if (found != faces_.end()) return found->second;

  FcPattern* match = MatchFace(family, bold, italic, charset);
  if (match == nullptr) throw EPrinter("No font can be found for " + family);
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  unsigned int synthesize = 0;
  if (bold && weight < FC_WEIGHT_DEMIBOLD) synthesize |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (italic && slant == FC_SLANT_ROMAN) synthesize |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  if (synthesize != 0) cairo_ft_font_face_set_synthesize(face, synthesize);
  faces_.emplace(key, face);
  return face;
}

CairoFont& FontLibrary::Realize(const TFontSpec& spec, int dpi_x, int dpi_y) {
  // Fonts are few (one per distinct font state of a run), so a linear search is the fast path.
  for (auto& font : fonts_) {
    if (font->Spec() == spec && font->Resolution() == std::make_pair(dpi_x, dpi_y)) return *font;
  }
  cairo_font_face_t* face = Face(spec.Face, spec.Bold, spec.Italic, spec.Charset);
  fonts_.push_back(std::make_unique<CairoFont>(face, spec, dpi_x, dpi_y));
  return *fonts_.back();
}

}  // namespace prynda
