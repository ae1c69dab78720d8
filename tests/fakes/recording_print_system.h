// A print system for tests: printers as the test declares them, fixed simple metrics, and every
// document, page, text and line recorded as plain values, as is every document handed on. Any call can be told to fail. Its
// contexts hold the seam to its word: a call that print_system.h says raises EPrinter raises it
// here (out of the document's order, on an information context, with a font handle not given).
//
// Metrics: for a font of em size e pixels (Height -e), each byte (or character given as Unicode)
// is round(0.6 e w / 100) wide at a WidthPercent w, and the cell is e + e / 5 high; a positive Height h is a cell height,
// e = h * 5 / 6. Every font has every character but those the test lists in MissingGlyphs.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/print_system.h"

namespace prynda::testing {

struct RecordedText {
  int X = 0;
  int Y = 0;
  std::string Text;
  TFontSpec Font;
  int Size = 0;  // points, from the font's height at the context's vertical resolution
  TRgb Color = 0;
  bool Opaque = false;
  bool Unicode = false;  // given as Unicode: Text holds it in UTF-8
};

struct RecordedFill {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  TRgb Color = 0;
};

struct RecordedLine {
  std::vector<TPoint> Points;
  int Width = 0;
  TRgb Color = 0;
};

// An image as plain values: where it lands, and its dots as rows of '#' (set) and '.' (clear).
struct RecordedImage {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  std::vector<std::string> Dots;
  TRgb Color = 0;
};

// A picture as plain values: where it lands, its size and channels, and a checksum of its dots.
struct RecordedPicture {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  int Columns = 0;  // the picture's own dots
  int Rows = 0;
  int Channels = 0;
  std::uint32_t Checksum = 0;  // PictureChecksum of its dots
};

// FNV-1a over the dots row by row, without the rows' padding.
std::uint32_t PictureChecksum(const TImage& image);

struct RecordedPage {
  int FormPage = -1;  // the page of the settings' form under it; -1: none
  std::vector<RecordedText> Texts;
  std::vector<RecordedLine> Lines;
  std::vector<RecordedImage> Images;
  std::vector<RecordedPicture> Pictures;
  std::vector<RecordedFill> Fills;
};

struct RecordedDocument {
  std::string Printer;
  std::string Name;
  std::string Source;
  TDeviceSettings Settings;  // its Form left out: the two below say what it was
  std::string FormPath;      // the file of the form under its pages; "" for plain paper
  int FormPages = 0;
  std::vector<RecordedPage> Pages;
  bool Finished = false;
  bool Aborted = false;
};

// A document handed on as it is (PassOn).
struct RecordedPassOn {
  std::string Printer;
  TDocumentFormat Format = TDocumentFormat::Pdf;
  std::string Bytes;  // the file's bytes from the offset on
  int Copies = 1;
  std::string Title;
  std::string Source;
};

struct FakePrinter {
  std::string Name;
  std::vector<std::string> Fonts = {"Courier New", "Arial", "Times New Roman"};
  int DpiX = 600;
  int DpiY = 600;
  int Width = 4960;   // physical page in portrait, device pixels
  int Height = 7016;
  int Margin = 100;
  std::optional<TDeviceSettings> Settings = TDeviceSettings{};
  bool Valid = true;  // false: no context can be made
  std::vector<TDocumentFormat> Unsupported = {};  // formats its PassOn answers Unsupported for
};

TDeviceCaps CapsOf(const FakePrinter& printer, TPrinterOrientation orientation);

class RecordingPrintSystem final : public PrintSystem {
 public:
  RecordingPrintSystem();  // one printer, "Fake Printer", the default

  std::vector<FakePrinter> Printers;
  std::string Default;  // "" = the system has no default printer
  std::vector<RecordedDocument> Documents;
  std::vector<RecordedPassOn> PassedOn;
  std::vector<std::string_view> Calls;   // every call taken (not one refused), by the seam's names
  std::vector<TContextKind> Contexts;    // the kind of every context asked for, in order
  int Beeps = 0;
  int OpenContexts = 0;
  std::u32string MissingGlyphs;  // characters no face has
  std::u32string NarrowGlyphs;   // characters half as wide as the others, measured as Unicode

  // The `nth` next call (1 = the very next) named `call` raises EPrinter with `message`.
  void FailOn(const std::string& call, const std::string& message = "injected failure", int nth = 1);
  // The same for the `nth` next CreateContext of `kind` only.
  void FailOn(TContextKind kind, const std::string& message = "injected failure", int nth = 1);
  // Counts `call` in Calls, then raises when a failure is due for it.
  void Hit(std::string_view call);  // `call` is a string literal, kept as it is

  FakePrinter* Find(const std::string& name);
  const RecordedDocument& LastDocument() const { return Documents.back(); }
  int CallCount(std::string_view call) const;
  int ContextCount(TContextKind kind) const;

  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinter() override;
  std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) override;
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override;
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override;
  TRgb SystemColor(int index) override;
  void Beep() override;

 private:
  void FailIfDue(std::string_view call);

  std::map<std::string, std::vector<std::pair<int, std::string>>, std::less<>> failures_;
};

}  // namespace prynda::testing
