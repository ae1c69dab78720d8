// Faces through GDI, for the PDF printer on Windows: the font mapper chooses the face, a memory
// device context holds it at its design size (so that metrics come in design units), and the
// font program comes from GetFontData.
#include "printers/fonts/font_library.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "device/printer_error.h"
#include "platform/name_list.h"

namespace prynda {

namespace {

HDC Context(void* handle) { return static_cast<HDC>(handle); }

HFONT MakeFont(const std::string& family, int height, bool bold, bool italic) {
  LOGFONTA logical{};
  logical.lfHeight = height;
  logical.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  logical.lfItalic = italic;
  logical.lfCharSet = DEFAULT_CHARSET;
  logical.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  std::strncpy(logical.lfFaceName, family.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectA(&logical);
}

}  // namespace

// On Windows `file` is the family and `index` its style: bit 0 bold, bit 1 italic. The font
// mapper embolden or slants by itself where a face lacks the style, so nothing is synthetic here.
FontFace::FontFace(std::string file, int index, bool synthetic_bold, bool synthetic_italic)
    : file_(std::move(file)), index_(index), synthetic_bold_(synthetic_bold), synthetic_italic_(synthetic_italic) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) throw EPrinter("No device context for the font " + file_);
  handle_ = dc;
  const bool bold = (index_ & 1) != 0;
  const bool italic = (index_ & 2) != 0;
  HFONT font = MakeFont(file_, -2048, bold, italic);
  SelectObject(dc, font);
  UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
  std::vector<char> buffer(size);
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
  if (size == 0 || GetOutlineTextMetricsA(dc, size, metrics) == 0) {
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
    throw EPrinter("The font " + file_ + " is not an outline font");
  }
  units_per_em_ = metrics->otmEMSquare > 0 ? metrics->otmEMSquare : 2048;
  if (units_per_em_ != 2048) {
    // Measure again at the design size, so that every metric is in design units.
    HFONT design = MakeFont(file_, -static_cast<int>(units_per_em_), bold, italic);
    SelectObject(dc, design);
    DeleteObject(font);
    font = design;
    size = GetOutlineTextMetricsA(dc, 0, nullptr);
    buffer.assign(size, 0);
    metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
    GetOutlineTextMetricsA(dc, size, metrics);
  }
  font_ = font;
  const TEXTMETRICA& text = metrics->otmTextMetrics;
  win_ascent_ = text.tmAscent;
  win_descent_ = text.tmDescent;
  underline_position_ = metrics->otmsUnderscorePosition;
  underline_thickness_ = metrics->otmsUnderscoreSize > 0 ? metrics->otmsUnderscoreSize : units_per_em_ / 20;
  strikeout_position_ = metrics->otmsStrikeoutPosition;
  strikeout_size_ = metrics->otmsStrikeoutSize > 0 ? static_cast<double>(metrics->otmsStrikeoutSize) : units_per_em_ / 20;
  cap_height_ = metrics->otmsCapEmHeight > 0 ? metrics->otmsCapEmHeight : win_ascent_ * 0.7;
  italic_angle_ = metrics->otmItalicAngle / 10.0;
  fixed_pitch_ = (text.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;  // the flag means the opposite
  serif_ = (text.tmPitchAndFamily & 0xF0) == FF_ROMAN;
  bbox_ = {static_cast<double>(metrics->otmrcFontBox.left), static_cast<double>(metrics->otmrcFontBox.bottom),
           static_cast<double>(metrics->otmrcFontBox.right), static_cast<double>(metrics->otmrcFontBox.top)};
  const char* face_name = buffer.data() + reinterpret_cast<std::uintptr_t>(metrics->otmpFaceName);
  for (const char* c = face_name; *c != '\0'; ++c) {
    if (*c != ' ') postscript_name_ += *c;
  }
  if (postscript_name_.empty()) postscript_name_ = "Font";
}

FontFace::~FontFace() {
  if (handle_ == nullptr) return;
  SelectObject(Context(handle_), GetStockObject(SYSTEM_FONT));
  if (font_ != nullptr) DeleteObject(static_cast<HFONT>(font_));
  DeleteDC(Context(handle_));
}

std::uint32_t FontFace::GlyphIndex(char32_t code_point) const {
  if (code_point == 0 || code_point > 0xFFFF) return 0;
  const wchar_t character = static_cast<wchar_t>(code_point);
  WORD glyph = 0;
  if (GetGlyphIndicesW(Context(handle_), &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR ||
      glyph == 0xFFFF) {
    return 0;
  }
  return glyph;
}

int FontFace::Advance(std::uint32_t glyph) const {
  ABC widths{};
  if (!GetCharABCWidthsI(Context(handle_), glyph, 1, nullptr, &widths)) return 0;
  return widths.abcA + static_cast<int>(widths.abcB) + widths.abcC;
}

std::string FontFace::Program() const {
  const DWORD size = GetFontData(Context(handle_), 0, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) throw EPrinter("The font " + file_ + " cannot be embedded");
  std::string program(size, '\0');
  GetFontData(Context(handle_), 0, 0, program.data(), size);
  return program;
}

std::vector<std::string> FontLibrary::ListFaces() {
  std::vector<std::string> faces;
  HDC screen = GetDC(nullptr);
  LOGFONTA all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(
      screen, &all,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM list) -> int {
        if (type & TRUETYPE_FONTTYPE) reinterpret_cast<std::vector<std::string>*>(list)->emplace_back(font->lfFaceName);
        return 1;
      },
      reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, screen);
  std::sort(faces.begin(), faces.end());
  std::vector<std::string> names;
  // The office faces documents name are offered also where the font mapper stands another
  // installed face in for them (as Wine does with their metric-compatible twins).
  HDC probe = CreateCompatibleDC(nullptr);
  for (const char* office : {"Courier New", "Arial", "Times New Roman"}) {
    const bool listed =
        std::any_of(faces.begin(), faces.end(), [&](const std::string& face) { return SameTextIgnoringCase(face, office); });
    if (listed || probe == nullptr) continue;
    HFONT font = MakeFont(office, -100, false, false);
    HGDIOBJ previous = SelectObject(probe, font);
    char mapped[LF_FACESIZE] = {};
    GetTextFaceA(probe, LF_FACESIZE, mapped);
    TEXTMETRICA metrics{};
    GetTextMetricsA(probe, &metrics);
    const bool fixed = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;  // the flag means the opposite
    SelectObject(probe, previous);
    DeleteObject(font);
    const bool stands_in = std::any_of(faces.begin(), faces.end(),
                                       [&](const std::string& face) { return SameTextIgnoringCase(face, mapped); });
    // A typewriter face must be stood in for by a fixed-pitch one.
    if (stands_in && (fixed || std::string_view(office) != "Courier New")) names.emplace_back(office);
  }
  if (probe != nullptr) DeleteDC(probe);
  for (auto& face : faces) {
    if (face.empty() || face[0] == '@') continue;  // vertical variants of East Asian faces
    const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameTextIgnoringCase(n, face); });
    if (!known) names.push_back(std::move(face));
  }
  return names;
}

std::vector<FaceLocation> FontLibrary::FixedPitchFaces(bool bold, bool italic) {
  // The fixed-pitch faces that Windows and the usual font packages install, where they are.
  std::vector<FaceLocation> faces;
  const std::vector<std::string>& installed = FaceNames();
  for (const char* family : {"Courier New", "Lucida Console", "Consolas", "Lucida Sans Typewriter",
                             "DejaVu Sans Mono", "Liberation Mono"}) {
    const bool listed = std::any_of(installed.begin(), installed.end(),
                                    [&](const std::string& face) { return SameTextIgnoringCase(face, family); });
    if (listed) faces.push_back(FaceLocation{family, (bold ? 1 : 0) | (italic ? 2 : 0), false, false});
  }
  return faces;
}

// GDI answers look-ups from the system's own font tables, faster than a file could.
FontCache* FontLibrary::Cache() { return nullptr; }

FontFace& FontLibrary::Match(const std::string& family, bool bold, bool italic, std::uint8_t) {
  const auto key = std::make_tuple(family, bold, italic, 0);
  auto found = matches_.find(key);
  if (found != matches_.end()) return *found->second;
  faces_.push_back(std::make_unique<FontFace>(family, (bold ? 1 : 0) | (italic ? 2 : 0), false, false));
  matches_.emplace(key, faces_.back().get());
  return *faces_.back();
}

}  // namespace prynda
