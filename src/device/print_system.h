// The platform seam: the only place where the operating system's printing shows.
//
// A PrintSystem lists printers, their device settings and opens contexts on them, in the manner of
// the spooler and the graphics device interface: an information context answers questions (caps,
// fonts, text measurement), a device context also takes one document of pages. Every length is a
// device pixel of the context. Failures are raised as EPrinter with a text that says what failed.
// Implemented by the CUPS, PDF-file and GDI backends and by the tests' recording fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/paper.h"

namespace prynda {

enum class TPrinterOrientation { Portrait, Landscape };

// A printer's own settings for the next document (the spooler's device mode).
struct TDeviceSettings {
  TPrinterOrientation Orientation = TPrinterOrientation::Portrait;
  std::int16_t Copies = 1;
  // The sheet asked for; nullopt: the printer's own. A printer that has no such sheet uses its
  // own; its caps tell which it took.
  std::optional<TPaperSize> Paper;
};

// What GetDeviceCaps answers, in device pixels. The printable area (HorzRes x VertRes) starts at
// (PhysicalOffsetX, PhysicalOffsetY) on the physical page; the canvas origin is its top-left corner.
struct TDeviceCaps {
  int LogPixelsX = 0;
  int LogPixelsY = 0;
  int HorzRes = 0;
  int VertRes = 0;
  int PhysicalWidth = 0;
  int PhysicalHeight = 0;
  int PhysicalOffsetX = 0;
  int PhysicalOffsetY = 0;
};

// GetDeviceCaps indexes that the object layer answers.
inline constexpr int kHorzRes = 8;
inline constexpr int kVertRes = 10;
inline constexpr int kLogPixelsX = 88;
inline constexpr int kLogPixelsY = 90;
inline constexpr int kPhysicalWidth = 110;
inline constexpr int kPhysicalHeight = 111;
inline constexpr int kPhysicalOffsetX = 112;
inline constexpr int kPhysicalOffsetY = 113;

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

// A logical font as the device is asked to realise it. Height follows the platform's rule: a
// negative value is the character height (em size) in device pixels, a positive one the cell
// height, 0 a default size.
struct TFontSpec {
  std::string Face;
  int Height = 0;
  std::uint8_t Charset = 1;
  TFontPitch Pitch = TFontPitch::fpDefault;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

struct TTextExtent {
  int Width = 0;
  int Height = 0;
};

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Colours reaching the device are resolved RGB values, 0x00BBGGRR.
using TRgb = std::uint32_t;

// A monochrome image: Width x Height dots, row by row from the top, each row Stride bytes with its
// leftmost dot in the top bit of its first byte. A set bit is a dot.
struct TMonoImage {
  int Width = 0;
  int Height = 0;
  int Stride = 0;
  const std::uint8_t* Bits = nullptr;
};

struct TDocInfo {
  std::string DocumentName;  // the title the spooler shows
  std::string SourcePath;    // the file being printed; a printer that writes files names its output after it
};

// A context on one printer. Font handles from RealizeFont stay valid for the context's life.
// Document calls follow StartDoc (StartPage ... EndPage)+ EndDoc, or AbortDoc at any point after
// StartDoc; drawing happens between StartPage and EndPage. Only device contexts take documents.
class PrintContext {
 public:
  virtual ~PrintContext() = default;

  virtual TDeviceCaps Caps() = 0;
  virtual std::vector<std::string> FontFaces() = 0;
  virtual int RealizeFont(const TFontSpec& spec) = 0;
  virtual TTextExtent MeasureText(int font, std::string_view text) = 0;
  // Text given as Unicode rather than in the font's charset. A character that the font's face
  // lacks comes from another installed fixed-pitch face that has it, where the platform finds one.
  virtual TTextExtent MeasureUnicode(int font, std::u32string_view text) = 0;
  // Whether the font, or a face it takes characters from, has a glyph for `c`.
  virtual bool HasGlyph(int font, char32_t c) = 0;

  virtual void StartDoc(const TDocInfo& info) = 0;
  virtual void StartPage() = 0;
  virtual void EndPage() = 0;
  virtual void EndDoc() = 0;
  virtual void AbortDoc() = 0;

  // Text with the top-left corner of its cell at (x, y); background == nullopt leaves it untouched.
  virtual void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                       std::string_view text) = 0;
  virtual void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                              std::u32string_view text) = 0;
  // The rectangle filled with `color`. Rectangles that share an edge meet without a gap or a seam.
  virtual void FillRect(int x, int y, int width, int height, TRgb color) = 0;
  // Straight segments through the points; width 0 is the thinnest line the device draws.
  virtual void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) = 0;
  // The image's dots in `color`, the image stretched over (x, y, width, height); where a bit is
  // clear the page stays as it was. Each dot covers its own cell, without blur or gap.
  virtual void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) = 0;
};

enum class TContextKind { Information, Device };

class PrintSystem {
 public:
  virtual ~PrintSystem() = default;

  // Installed printers in the system's order, and the default printer's name ("" when none).
  virtual std::vector<std::string> PrinterNames() = 0;
  virtual std::string DefaultPrinter() = 0;
  // The printer's own settings; nullopt when the printer has none to offer.
  virtual std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) = 0;
  // nullptr when no context can be made for that printer.
  virtual std::unique_ptr<PrintContext> CreateContext(const std::string& printer,
                                                      const TDeviceSettings& settings,
                                                      TContextKind kind) = 0;
  // A system colour by its index (8 = window text), as RGB.
  virtual TRgb SystemColor(int index) = 0;
  // The bell byte's beep.
  virtual void Beep() = 0;
};

}  // namespace prynda
