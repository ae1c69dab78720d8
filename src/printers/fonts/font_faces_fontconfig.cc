// Faces through fontconfig (the look-up) and FreeType (the face's tables and glyphs).
#include "printers/fonts/font_library.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "device/printer_error.h"
#include "platform/name_list.h"

namespace prynda {

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

// FreeType for the whole run; faces hold on to it, so it is never closed.
FT_Library FreeType() {
  static FT_Library library = [] {
    FT_Library created = nullptr;
    if (FT_Init_FreeType(&created) != 0) throw EPrinter("FreeType cannot be started");
    return created;
  }();
  return library;
}

std::vector<std::string> ListFontconfigFaces() {
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
  auto is_installed = [&](std::string_view family) {
    return std::any_of(installed.begin(), installed.end(),
                       [&](const std::string& known) { return SameTextIgnoringCase(known, family); });
  };

  // An office face is offered when it is installed, or when fontconfig's substitution puts an
  // installed family right after it as a strong or metric-compatible alias. One substitution of
  // all of them together: the configuration's rules are the costly part of a look-up.
  std::vector<bool> offered(std::size(kOfficeFaces), false);
  FcPattern* office = FcPatternCreate();
  for (const char* face : kOfficeFaces) {
    FcPatternAddString(office, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
  }
  FcConfigSubstitute(nullptr, office, FcMatchPattern);
  int current = -1;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(office, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
    if (value.type != FcTypeString || binding == FcValueBindingWeak) continue;
    const std::string_view family = reinterpret_cast<const char*>(value.u.s);
    const auto* named = std::find_if(std::begin(kOfficeFaces), std::end(kOfficeFaces),
                                     [&](const char* face) { return SameTextIgnoringCase(face, family); });
    if (named != std::end(kOfficeFaces) && binding == FcValueBindingStrong) current = static_cast<int>(named - kOfficeFaces);
    if (current >= 0 && is_installed(family)) offered[static_cast<std::size_t>(current)] = true;
  }
  FcPatternDestroy(office);

  std::vector<std::string> names;
  for (std::size_t i = 0; i < offered.size(); ++i) {
    if (offered[i]) names.emplace_back(kOfficeFaces[i]);
  }
  for (auto& family : installed) {
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return SameTextIgnoringCase(n, family); });
    if (!known) names.push_back(std::move(family));
  }
  return names;
}

// Where a font pattern's face lives, and the weight or slant it lacks of those asked for.
FaceLocation LocationOf(FcPattern* font, bool bold, bool italic) {
  FcChar8* file = nullptr;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  FcPatternGetString(font, FC_FILE, 0, &file);
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(font, FC_SLANT, 0, &slant);
  return FaceLocation{file != nullptr ? reinterpret_cast<const char*>(file) : "", index,
                      bold && weight < FC_WEIGHT_DEMIBOLD, italic && slant == FC_SLANT_ROMAN};
}

FaceLocation LocateFace(const std::string& family, bool bold, bool italic, std::uint8_t charset) {
  FcPattern* match = MatchFace(family, bold, italic, charset);
  if (match == nullptr) throw EPrinter("No font can be found for " + family);
  FaceLocation location = LocationOf(match, bold, italic);
  FcPatternDestroy(match);
  if (location.File.empty()) throw EPrinter("No font file can be found for " + family);
  return location;
}

// What steers fontconfig's answers besides its files: its version and environment variables.
std::string Setup() {
  std::string setup = "fontconfig " + std::to_string(FcGetVersion());
  for (const char* name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "HOME", "XDG_CONFIG_HOME",
                           "XDG_DATA_HOME", "FC_LANG", "LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    setup += ' ';
    setup += name;
    setup += '=';
    if (value != nullptr) setup += value;
  }
  return setup;
}

// Every file and folder the loaded configuration came from or looks in: its files and their
// folders (a file added beside them may be included), the font folders, and the places a user's
// own configuration and fonts would be, whether they exist yet or not.
std::vector<std::string> ConfigurationPaths() {
  std::vector<std::string> paths;
  auto take = [&](FcStrList* list, bool with_folders) {
    if (list == nullptr) return;
    while (FcChar8* entry = FcStrListNext(list)) {
      std::string path = reinterpret_cast<const char*>(entry);
      if (with_folders) paths.push_back(std::filesystem::path(path).parent_path().string());
      paths.push_back(std::move(path));
    }
    FcStrListDone(list);
  };
  take(FcConfigGetConfigFiles(nullptr), true);
  take(FcConfigGetConfigDirs(nullptr), false);
  take(FcConfigGetFontDirs(nullptr), false);
  const char* home = std::getenv("HOME");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::string home_path = home != nullptr ? home : "";
  const std::string config_path = config != nullptr && config[0] != '\0' ? config : home_path + "/.config";
  const std::string data_path = data != nullptr && data[0] != '\0' ? data : home_path + "/.local/share";
  for (const std::string& path :
       {config_path + "/fontconfig", config_path + "/fontconfig/conf.d", config_path + "/fontconfig/fonts.conf",
        data_path + "/fonts", home_path + "/.fonts", home_path + "/.fonts.conf", home_path + "/.fonts.conf.d"}) {
    paths.push_back(path);
  }
  return paths;
}

}  // namespace

FontFace::FontFace(std::string file, int index, bool synthetic_bold, bool synthetic_italic)
    : file_(std::move(file)), index_(index), synthetic_bold_(synthetic_bold), synthetic_italic_(synthetic_italic) {
  FT_Face face = nullptr;
  if (FT_New_Face(FreeType(), file_.c_str(), index_, &face) != 0) {
    throw EPrinter("The font file " + file_ + " cannot be read");
  }
  handle_ = face;
  units_per_em_ = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    win_ascent_ = os2->usWinAscent;
    win_descent_ = os2->usWinDescent;
    strikeout_position_ = os2->yStrikeoutPosition;
    strikeout_size_ = os2->yStrikeoutSize;
    if (os2->version >= 2) cap_height_ = os2->sCapHeight;
    serif_ = os2->panose[0] == 2 && os2->panose[1] >= 2 && os2->panose[1] <= 10;
  } else {
    win_ascent_ = face->ascender;
    win_descent_ = -face->descender;
  }
  if (win_ascent_ + win_descent_ <= 0) {
    win_ascent_ = units_per_em_ * 0.8;
    win_descent_ = units_per_em_ * 0.2;
  }
  if (strikeout_size_ <= 0) {
    strikeout_position_ = win_ascent_ * 0.3;
    strikeout_size_ = units_per_em_ / 20;
  }
  underline_position_ = face->underline_position;
  underline_thickness_ = face->underline_thickness > 0 ? face->underline_thickness : units_per_em_ / 20;
  if (cap_height_ <= 0) cap_height_ = win_ascent_ * 0.7;
  if (const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    italic_angle_ = post->italicAngle / 65536.0;
  }
  fixed_pitch_ = FT_IS_FIXED_WIDTH(face);
  bbox_ = {static_cast<double>(face->bbox.xMin), static_cast<double>(face->bbox.yMin),
           static_cast<double>(face->bbox.xMax), static_cast<double>(face->bbox.yMax)};
  if (const char* name = FT_Get_Postscript_Name(face)) postscript_name_ = name;
  if (postscript_name_.empty()) postscript_name_ = "Font";
}

FontFace::~FontFace() {
  if (handle_ != nullptr) FT_Done_Face(static_cast<FT_Face>(handle_));
}

std::uint32_t FontFace::GlyphIndex(char32_t code_point) const {
  return code_point != 0 ? FT_Get_Char_Index(static_cast<FT_Face>(handle_), code_point) : 0;
}

int FontFace::Advance(std::uint32_t glyph) const {
  FT_Fixed advance = 0;
  if (FT_Get_Advance(static_cast<FT_Face>(handle_), glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
  return static_cast<int>(advance);
}

std::string FontFace::Program() const {
  std::ifstream in(file_, std::ios::binary);
  std::string program((std::istreambuf_iterator<char>(in)), {});
  if (program.empty()) throw EPrinter("The font file " + file_ + " cannot be read");
  return program;
}

std::vector<std::string> FontLibrary::ListFaces() {
  FontCache* cache = Cache();
  if (cache != nullptr && cache->FaceNames()) return *cache->FaceNames();
  std::vector<std::string> names = ListFontconfigFaces();
  if (cache != nullptr) {
    if (!cache->Valid()) cache->Restart(ConfigurationPaths());
    cache->SetFaceNames(names);
  }
  return names;
}

FontCache* FontLibrary::Cache() {
  if (!cache_opened_) {
    cache_opened_ = true;
    std::string folder = FontCache::DefaultFolder();
    if (folder.empty()) return nullptr;  // no HOME: nowhere to keep answers
    cache_ = std::make_unique<FontCache>(std::move(folder), Setup());
    cache_->Load();
  }
  return cache_.get();
}

std::vector<FaceLocation> FontLibrary::FixedPitchFaces(bool bold, bool italic) {
  // Every scalable face, sorted the way fontconfig would choose one for "monospace" in this weight
  // and slant; of those, the first face of each fixed-pitch family.
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
  FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FcPatternDestroy(pattern);
  std::vector<FaceLocation> faces;
  std::vector<std::string> families;
  for (int i = 0; set != nullptr && i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    int spacing = FC_PROPORTIONAL;
    FcBool scalable = FcFalse;
    FcChar8* file = nullptr;
    if (FcPatternGetInteger(font, FC_SPACING, 0, &spacing) != FcResultMatch || spacing < FC_MONO) continue;
    if (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable) continue;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) continue;
    const std::string family = FamilyOf(font);
    if (std::find(families.begin(), families.end(), family) != families.end()) continue;
    families.push_back(family);
    faces.push_back(LocationOf(font, bold, italic));
  }
  if (set != nullptr) FcFontSetDestroy(set);
  return faces;
}

FontFace& FontLibrary::Match(const std::string& family, bool bold, bool italic, std::uint8_t charset) {
  const char* lang = LanguageOfCharset(charset);
  const auto key = std::make_tuple(family, bold, italic, lang ? static_cast<int>(charset) : -1);
  auto found = matches_.find(key);
  if (found != matches_.end()) return *found->second;

  const std::string language = lang != nullptr ? lang : "";
  FontCache* cache = Cache();
  const FaceLocation* cached = cache != nullptr ? cache->Find(family, bold, italic, language) : nullptr;
  FaceLocation location = cached != nullptr ? *cached : LocateFace(family, bold, italic, charset);
  if (cache != nullptr && cached == nullptr) {
    if (!cache->Valid()) cache->Restart(ConfigurationPaths());
    cache->Add(family, bold, italic, language, location);
  }
  FontFace& face = FaceAt(location);
  matches_.emplace(key, &face);
  return face;
}

}  // namespace prynda
