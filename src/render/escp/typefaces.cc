// Typefaces (ESC k) and the ribbon's colour (ESC r) on the canvas font. The families' faces are
// what fontconfig finds on Debian and, for the first three, what Windows has under the same names;
// a family whose face the printer does not offer prints in the job's own font, said once at the end.
#include "render/escp/typefaces.h"

#include <algorithm>
#include <iterator>

#include "render/escp/fx.h"

namespace prynda::escp {

namespace {

// The faces by package: Liberation (metric twins of the office faces), urw-base35 (Z003),
// courier-prime, ocr-b, ocr-a.
constexpr Typeface kTypefaces[] = {
    {0, "Roman", "FaceRoman", "Times New Roman"},
    {1, "Sans Serif", "FaceSansSerif", "Arial"},
    {2, "Courier", "FaceCourier", "Courier New"},
    {3, "Prestige", "FacePrestige", "Courier Prime"},
    {4, "Script", "FaceScript", "Z003"},
    {5, "OCR-B", "FaceOcrB", "OCR B"},
    {6, "OCR-A", "FaceOcrA", "OCRA"},
    {7, "Orator", "FaceOrator", "Courier Prime Sans"},
    {8, "Orator-S", "FaceOratorS", "Courier Prime Sans"},
    {9, "Script C", "FaceScriptC", "Z003"},
    {10, "Roman T", "FaceRomanT", "Times New Roman"},
    {11, "Sans Serif H", "FaceSansSerifH", "Arial"},
    {30, "SV Busaba", "FaceSvBusaba", "Arial"},
    {31, "SV Jittra", "FaceSvJittra", "Times New Roman"},
};
constexpr int kRoman = 0;  // the row proportional print takes before any ESC k

// The face row `index` prints in on this printer: the settings' or the built-in one, looked up
// in the printer's faces once a job; "" when the printer has not got it.
const std::string& FaceOf(Fx& fx, int index) {
  if (fx.Faces.empty()) fx.Faces.resize(std::size(kTypefaces));
  std::optional<std::string>& face = fx.Faces[static_cast<std::size_t>(index)];
  if (!face) {
    const Typeface& row = kTypefaces[index];
    const auto& named = fx.State.Job.Prynda.TypefaceFaces;
    const auto found = named.find(row.Key);
    std::string wanted(found != named.end() && !found->second.empty() ? found->second : std::string(row.Face));
    if (fx.State.Printer.FontNames().IndexOf(wanted) >= 0) {
      face = std::move(wanted);
    } else {
      fx.State.Unprinted.Note("Krój pisma " + std::string(row.Name) + ": brak czcionki " + wanted +
                              ", drukuję czcionką zadania");
      face.emplace();
    }
  }
  return *face;
}

}  // namespace

std::span<const Typeface> Typefaces() { return kTypefaces; }

void SelectTypeface(Fx& fx, std::uint8_t n) {
  const auto* row = std::find_if(std::begin(kTypefaces), std::end(kTypefaces),
                                 [n](const Typeface& t) { return t.Number == n; });
  if (row == std::end(kTypefaces)) return;  // a number the printer does not know keeps the face
  fx.Mode.Typeface = static_cast<std::int8_t>(row - kTypefaces);
  fx.FontStale = true;
}

void ApplyFaceAndColor(Fx& fx) {
  TCanvas& canvas = fx.State.Canvas;
  const int family = fx.Mode.Typeface >= 0 ? fx.Mode.Typeface : fx.Mode.Proportional ? kRoman : -1;
  if (family >= 0) {
    if (const std::string& face = FaceOf(fx, family); !face.empty()) {
      canvas.Font().SetName(face);
      canvas.Font().SetPitch(TFontPitch::fpDefault);
    }
  }
  // The ribbon's colour over the font's; box-drawing lines take it too.
  if (fx.Ink != 0) canvas.Font().SetColor(MixedColor(fx.Ink));
  canvas.Pen().SetColor(fx.Ink != 0 ? MixedColor(fx.Ink) : clBlack);
}

}  // namespace prynda::escp
