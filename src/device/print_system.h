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

class PageForm;  // printers/pdf/page_form.h

enum class TPrinterOrientation { Portrait, Landscape };

// A printer's own settings for the next document (the spooler's device mode).
struct TDeviceSettings {
  TPrinterOrientation Orientation = TPrinterOrientation::Portrait;
  std::int16_t Copies = 1;
  // The sheet asked for; nullopt: the printer's own. A printer that has no such sheet uses its
  // own; its caps tell which it took.
  std::optional<TPaperSize> Paper;
  // The form printed under every page, the paper it is printed on; nullptr: plain paper. A device
  // context draws page n of it (PageForm::PageOfSheet) under page n of its document, before the
  // page's own drawing, stretched over the whole physical sheet wherever the printable area lies;
  // one that cannot draw the form's kind raises EPrinter at StartDoc.
  std::shared_ptr<const PageForm> Form;
};

// A device's resolution, sheet and printable area, in device pixels. The printable area (HorzRes
// x VertRes) starts at (PhysicalOffsetX, PhysicalOffsetY) on the physical page; the canvas origin
// is its top-left corner.
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

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

// A logical font as the device is asked to realise it. Height follows the platform's rule: a
// negative value is the character height (em size) in device pixels, a positive one the cell
// height, 0 a default size. WidthPercent stretches the glyphs across: their shapes and advances
// at that percent of the face's own width at this height (200: double width, 50: half).
struct TFontSpec {
  std::string Face;
  int Height = 0;
  std::uint8_t Charset = 1;
  TFontPitch Pitch = TFontPitch::fpDefault;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  int WidthPercent = 100;

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

// A picture of opaque dots: Width x Height, row by row from the top, each row Stride bytes with
// Channels bytes a dot (1: grey, 3: red, green, blue), 8 bits each.
struct TImage {
  int Width = 0;
  int Height = 0;
  int Channels = 3;
  int Stride = 0;
  const std::uint8_t* Pixels = nullptr;
};

// How long a program that a printer runs on the document (Ghostscript) may take on the clock when
// nothing else says: the key ProgramTime.
inline constexpr int kDefaultProgramSeconds = 120;

struct TDocInfo {
  std::string DocumentName;  // the title the spooler shows
  std::string SourcePath;    // the file being printed; a printer that writes files names its output after it
  int ProgramSeconds = kDefaultProgramSeconds;  // a program run on the document is ended after as many seconds
};

enum class TContextKind { Information, Device };

// A document that needs no drawing, in the form it is handed to the printer: PDF, PostScript, a
// printer language (PCL and the like) that the printer reads itself, passed on byte for byte, or
// pages of dots in the raster formats of driverless printing (PWG raster, Apple raster).
enum class TDocumentFormat { Pdf, PostScript, Raw, PwgRaster, AppleRaster };

// Whether a document of `format` is a page description that a PDF can be made of (Ghostscript
// makes one of PostScript).
constexpr bool IsPageDescription(TDocumentFormat format) {
  return format == TDocumentFormat::Pdf || format == TDocumentFormat::PostScript;
}
constexpr bool IsRaster(TDocumentFormat format) {
  return format == TDocumentFormat::PwgRaster || format == TDocumentFormat::AppleRaster;
}

// What became of a document handed on: printed (given to the spooler, or written); the printer
// cannot take that format here (nothing is printed); or no printer of that name is known.
enum class TPassOnResult { Printed, Unsupported, UnknownPrinter };

// A context on one printer, of one kind. Both kinds answer questions (caps, faces, fonts,
// measuring) at any time of their life; a device context also takes one document:
//
//   StartDoc (StartPage drawing... EndPage)* EndDoc, or AbortDoc at any point after StartDoc.
//
// A document or drawing call out of that order, or on an information context, raises EPrinter.
// Any call may raise EPrinter when the platform fails; once a call of the document has raised,
// AbortDoc is the only one left. Font handles come from this context's RealizeFont and stay valid
// for its life; a call given any other raises EPrinter.
class PrintContext {
 public:
  virtual ~PrintContext() = default;

  // Questions: either kind, in a page or outside one.

  // The device's resolution, sheet and printable area.
  virtual TDeviceCaps Caps() = 0;
  // The faces the device offers by name, in the platform's order.
  virtual std::vector<std::string> FontFaces() = 0;
  // A handle of the font the device makes for `spec` (its nearest face), the same one for an
  // equal spec; EPrinter when the platform can make none.
  virtual int RealizeFont(const TFontSpec& spec) = 0;
  // The text's width and the font's cell height, the bytes read in the font's charset.
  virtual TTextExtent MeasureText(int font, std::string_view text) = 0;
  // Text given as Unicode rather than in the font's charset. A character that the font's face
  // lacks comes from another installed fixed-pitch face that has it, where the platform finds one.
  virtual TTextExtent MeasureUnicode(int font, std::u32string_view text) = 0;
  // Whether the font, or a face it takes characters from, has a glyph for `c`.
  virtual bool HasGlyph(int font, char32_t c) = 0;

  // The document: device contexts only.

  // Begins the context's only document; EPrinter on an information context or a second time.
  virtual void StartDoc(const TDocInfo& info) = 0;
  // Opens a page of the begun document; EPrinter before StartDoc, after its end or in a page.
  virtual void StartPage() = 0;
  // Ends the open page, which then goes to the device; EPrinter outside a page.
  virtual void EndPage() = 0;
  // Ends the document, handing it on to be printed; EPrinter in a page or without a document.
  virtual void EndDoc() = 0;
  // Cancels the begun document, its open page too: nothing of it is printed. Once, at any point
  // after StartDoc until EndDoc succeeds (after a failed call too); EPrinter elsewhere.
  virtual void AbortDoc() = 0;

  // Drawing: a device context, between StartPage and EndPage only; EPrinter elsewhere.

  // Text with the top-left corner of its cell at (x, y); background == nullopt leaves it untouched.
  virtual void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                       std::string_view text) = 0;
  // The same, the text given as Unicode (see MeasureUnicode).
  virtual void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                              std::u32string_view text) = 0;
  // The rectangle filled with `color`. Rectangles that share an edge meet without a gap or a seam.
  virtual void FillRect(int x, int y, int width, int height, TRgb color) = 0;
  // Straight segments through the points; width 0 is the thinnest line the device draws.
  virtual void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) = 0;
  // The image's dots in `color`, the image stretched over (x, y, width, height); where a bit is
  // clear the page stays as it was. Each dot covers its own cell, without blur or gap.
  virtual void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) = 0;
  // The picture stretched over (x, y, width, height), covering what lies under it. The context
  // keeps what it needs of the dots before it returns.
  virtual void DrawImage(int x, int y, int width, int height, const TImage& image) = 0;
};

// The system's printers. A printer that is missing is an answer (an empty list, "", nullopt,
// nullptr, UnknownPrinter), not a failure; EPrinter is left for a platform that fails.
class PrintSystem {
 public:
  virtual ~PrintSystem() = default;

  // Installed printers in the system's order; empty when there are none or no spooler answers.
  virtual std::vector<std::string> PrinterNames() = 0;
  // The default printer's name; "" when there is none.
  virtual std::string DefaultPrinter() = 0;
  // The settings a printer of PrinterNames() gives a new document; nullopt when it has none to offer.
  virtual std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) = 0;
  // A new context of `kind` on the printer, made with `settings`; nullptr when none can be made
  // for it (a printer the system does not know, or one it cannot open).
  virtual std::unique_ptr<PrintContext> CreateContext(const std::string& printer,
                                                      const TDeviceSettings& settings,
                                                      TContextKind kind) = 0;
  // The document in the file at `path`, from byte `offset` to its end, handed to the printer as it
  // is: one job in `format` with the settings' copies and the title of `info` (a printer that
  // writes files names its output after info's source, never `path` itself), without the
  // settings' form: it is printed as it is. Unsupported when the printer cannot take that format
  // here, UnknownPrinter for one the system does not know.
  // EPrinter when the printer or the file fails (an offset past the end too), JobInterrupted
  // (platform/stop_requests.h) on a stop request meanwhile; after either nothing of it is printed
  // and no file of it is left.
  virtual TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                               TDocumentFormat format, const std::string& path, std::uint64_t offset) = 0;
  // A system colour by its index (8 = window text), as RGB.
  virtual TRgb SystemColor(int index) = 0;
  // The bell byte's beep.
  virtual void Beep() = 0;
};

}  // namespace prynda
