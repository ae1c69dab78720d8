// Bar codes and QR codes laid out in device pixels: a code's data checked as the dot-matrix printer
// checks it, encoded by the symbol library, and given back as filled rectangles and the lines of
// its human-readable characters, or as the console line that says why it is not drawn.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/render_state.h"

namespace prynda::codes {

// In the order of the printer's type numbers 0-7.
enum class Symbology : std::uint8_t { Ean13, Ean8, Interleaved2Of5, UpcA, UpcE, Code39, Code128, Postnet };
inline constexpr int kSymbologies = 8;
std::string_view SymbologyName(Symbology kind);

struct BarCodeRequest {
  Symbology Kind = Symbology::Ean13;
  std::string_view Data;      // the bytes as the job sent them (Code 128: the set letter first)
  bool ComputeCheck = false;  // the check digit is computed and added; else the data ends with it
  bool Readable = true;       // the human-readable characters under the bars
  bool FlagUnder = false;     // EAN-13, UPC-A: the first digit under the bars, not left of them
};

// Device pixels.
struct BarGeometry {
  double ModuleX = 0;      // the narrow element's width
  double ModuleY = 0;      // the same length down the page (the characters' size follows it)
  double SpaceAdjust = 0;  // added to every space between bars
  double BarLength = 0;    // the bars' height; POSTNET's are fixed:
  double TallBar = 0;
  double ShortBar = 0;
};

// Relative to the code's top-left corner, in device pixels.
struct Box {
  double X = 0, Y = 0, Width = 0, Height = 0;
};
enum class Align : std::uint8_t { Centre, Left, Right };
struct Caption {
  std::string Text;  // ASCII
  double X = 0;      // where Align puts it
  double Baseline = 0;
  double Size = 0;   // the font's em
  Align Anchor = Align::Centre;
};

struct CodeDrawing {
  std::vector<Box> Bars;
  std::vector<Caption> Captions;
  double Width = 0;
  double Height = 0;
  std::string Refused;  // a whole console line (Polish) where the code is not drawn; empty where it is
};

CodeDrawing LayOutBarCode(const BarCodeRequest& request, const BarGeometry& geometry);

inline constexpr int kQuietZoneModules = 4;
inline constexpr std::size_t kMostQrBytes = 1000;
// `text` (UTF-8, at most kMostQrBytes) as a QR code at error correction M, its quiet zone of
// kQuietZoneModules inside the drawing: the top-left corner of the drawing is that of the quiet zone.
CodeDrawing LayOutQrCode(std::string_view text, double module_x, double module_y);

// The drawing with its top-left corner at (left, top) on the canvas, in the font's colour; each
// edge rounded to the pixel from there, so the bars keep their widths and do not drift. The
// characters are drawn in OCR-B where the printer has it, else in the canvas font's face; the
// canvas font is as it was afterwards.
void PaintCode(TRenderState& state, const CodeDrawing& drawing, double left, double top);

}  // namespace prynda::codes
