#include "printers/gdi/gdi_print_system.h"

#include <windows.h>
// The seam's own StartDoc and TextOut, not the macros that pick GDI's A or W variants.
#undef StartDoc
#undef TextOut

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "device/document_order.h"
#include "device/printer_error.h"
#include "platform/platform.h"
#include "platform/stop_requests.h"
#include "printers/pass_on/pass_on.h"
#include "printers/pdf/page_form.h"
#include "printers/system_printers.h"

namespace prynda {

namespace {

// The printer's device mode (its own settings for the next document), or an empty buffer when
// the printer has none to give.
std::vector<char> DeviceMode(const std::string& printer) {
  std::vector<char> mode;
  HANDLE handle = nullptr;
  if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &handle, nullptr)) return mode;
  const LONG size = DocumentPropertiesA(nullptr, handle, const_cast<char*>(printer.c_str()), nullptr, nullptr, 0);
  if (size > 0) {
    mode.resize(static_cast<std::size_t>(size));
    if (DocumentPropertiesA(nullptr, handle, const_cast<char*>(printer.c_str()),
                            reinterpret_cast<DEVMODEA*>(mode.data()), nullptr, DM_OUT_BUFFER) != IDOK) {
      mode.clear();
    }
  }
  ClosePrinter(handle);
  return mode;
}

// UTF-16 of Unicode text, for GDI's wide-character calls.
std::wstring Wide(std::u32string_view text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char32_t c : text) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

// The spooler asks it from time to time whether to go on; nothing here cancels by this path.
BOOL CALLBACK KeepPrinting(HDC, int) { return TRUE; }

// The sheet asked for: the spooler's number for a named one, else its size in tenths of a
// millimetre. A driver without it keeps its own, which the context's caps then show.
void SetPaper(DEVMODEA& devmode, const TPaperSize& paper) {
  static const std::pair<const char*, short> kNumbers[] = {
      {"A4", DMPAPER_A4},         {"A3", DMPAPER_A3},       {"A5", DMPAPER_A5},
      {"Letter", DMPAPER_LETTER}, {"Legal", DMPAPER_LEGAL}, {"Fanfold12", DMPAPER_FANFOLD_STD_GERMAN},
      {"Fanfold14", DMPAPER_FANFOLD_US},
  };
  for (const auto& [name, number] : kNumbers) {
    if (paper.Name == name) {
      devmode.dmFields = (devmode.dmFields | DM_PAPERSIZE) & ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
      devmode.dmPaperSize = number;
      return;
    }
  }
  devmode.dmFields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
  devmode.dmPaperSize = DMPAPER_USER;
  devmode.dmPaperWidth = static_cast<short>(std::lround(paper.WidthMm * 10));
  devmode.dmPaperLength = static_cast<short>(std::lround(paper.HeightMm * 10));
}

[[noreturn]] void FailOn(const std::string& printer, const char* what) {
  throw EPrinter("Printing on " + printer + " failed: " + what + " (error " + std::to_string(GetLastError()) + ")");
}

// The bytes as they are, as one spooler job of the RAW datatype; the spooler makes the copies the
// job's device mode asks for.
void PassOnRaw(const std::string& printer, HANDLE handle, const TDocInfo& info, const std::string& path,
               std::uint64_t offset) {
  DOC_INFO_1A document{};
  document.pDocName = const_cast<char*>(info.DocumentName.c_str());
  document.pDatatype = const_cast<char*>("RAW");
  if (StartDocPrinterA(handle, 1, reinterpret_cast<BYTE*>(&document)) == 0) {
    FailOn(printer, "cannot start the document");
  }
  try {
    if (!StartPagePrinter(handle)) FailOn(printer, "cannot start the document");
    ReadDocument(path, offset, [&](const unsigned char* data, std::size_t size) {
      DWORD written = 0;
      if (!WritePrinter(handle, const_cast<unsigned char*>(data), static_cast<DWORD>(size), &written) ||
          written != size) {
        FailOn(printer, "cannot write the document");
      }
    });
    StopIfRequested();  // the last moment at which the job can still be cancelled
    if (!EndPagePrinter(handle) || !EndDocPrinter(handle)) FailOn(printer, "cannot end the document");
  } catch (...) {
    AbortPrinter(handle);
    throw;
  }
}

// A DIB's header with room for a palette of 256 colours.
struct BitmapHeader {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

class GdiContext final : public PrintContext {
 public:
  GdiContext(HDC dc, std::string printer, TContextKind kind, std::shared_ptr<const PageForm> form)
      : dc_(dc), printer_(std::move(printer)), form_(std::move(form)), order_(kind) {}
  ~GdiContext() override {
    if (in_document_) ::AbortDoc(dc_);
    SelectObject(dc_, GetStockObject(SYSTEM_FONT));
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    for (HFONT font : fonts_) DeleteObject(font);
    for (auto& [key, pen] : pens_) DeleteObject(pen);
    for (auto& [color, brush] : brushes_) DeleteObject(brush);
    DeleteDC(dc_);
  }

  TDeviceCaps Caps() override {
    return TDeviceCaps{GetDeviceCaps(dc_, LOGPIXELSX),      GetDeviceCaps(dc_, LOGPIXELSY),
                       GetDeviceCaps(dc_, HORZRES),         GetDeviceCaps(dc_, VERTRES),
                       GetDeviceCaps(dc_, PHYSICALWIDTH),   GetDeviceCaps(dc_, PHYSICALHEIGHT),
                       GetDeviceCaps(dc_, PHYSICALOFFSETX), GetDeviceCaps(dc_, PHYSICALOFFSETY)};
  }

  std::vector<std::string> FontFaces() override {
    std::vector<std::string> faces;
    EnumFontsA(
        dc_, nullptr,
        [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM list) -> int {
          reinterpret_cast<std::vector<std::string>*>(list)->emplace_back(font->lfFaceName);
          return 1;
        },
        reinterpret_cast<LPARAM>(&faces));
    return faces;
  }

  int RealizeFont(const TFontSpec& spec) override {
    for (std::size_t i = 0; i < specs_.size(); ++i) {
      if (specs_[i] == spec) return static_cast<int>(i);
    }
    LOGFONTA logical{};
    logical.lfHeight = spec.Height;
    logical.lfWeight = spec.Bold ? FW_BOLD : FW_NORMAL;
    logical.lfItalic = spec.Italic;
    logical.lfUnderline = spec.Underline;
    logical.lfStrikeOut = spec.StrikeOut;
    logical.lfCharSet = spec.Charset;
    logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logical.lfQuality = DEFAULT_QUALITY;
    logical.lfPitchAndFamily = spec.Pitch == TFontPitch::fpFixed      ? FIXED_PITCH
                               : spec.Pitch == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                                      : DEFAULT_PITCH;
    std::strncpy(logical.lfFaceName, spec.Face.c_str(), LF_FACESIZE - 1);
    if (spec.WidthPercent != 100) logical.lfWidth = ScaledWidth(logical, spec.WidthPercent);
    HFONT font = CreateFontIndirectA(&logical);
    if (font == nullptr) throw EPrinter("The font " + spec.Face + " cannot be made");
    specs_.push_back(spec);
    fonts_.push_back(font);
    return static_cast<int>(fonts_.size() - 1);
  }

  TTextExtent MeasureText(int font, std::string_view text) override {
    Select(font);
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return TTextExtent{size.cx, size.cy};
  }

  TTextExtent MeasureUnicode(int font, std::u32string_view text) override {
    Select(font);
    const std::wstring wide = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_, wide.data(), static_cast<int>(wide.size()), &size);
    return TTextExtent{size.cx, size.cy};
  }

  // The selected font's own glyphs; GDI draws a character the face lacks with its font linking
  // where Windows has set that up for the face.
  bool HasGlyph(int font, char32_t c) override {
    Select(font);
    const std::wstring wide = Wide(std::u32string_view(&c, 1));
    if (wide.size() != 1) return true;  // beyond the BMP GDI has no answer: let it try
    WORD glyph = 0;
    return GetGlyphIndicesW(dc_, wide.data(), 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR && glyph != 0xFFFF;
  }

  void StartDoc(const TDocInfo& info) override {
    order_.Run(DocumentCall::StartDoc, [&] {
      if (form_ && form_->Type() != PageForm::Kind::Png) {
        throw EPrinter("Printing on " + printer_ + " failed: a PDF form cannot be drawn on a Windows printer");
      }
      SetAbortProc(dc_, KeepPrinting);
      DOCINFOA document{};
      document.cbSize = sizeof document;
      document.lpszDocName = info.DocumentName.c_str();
      if (::StartDocA(dc_, &document) <= 0) Fail("cannot start the document");
      in_document_ = true;
    });
  }
  void StartPage() override {
    order_.Run(DocumentCall::StartPage, [&] {
      if (::StartPage(dc_) <= 0) Fail("cannot start a page");
      selected_font_ = -1;  // a new page has the context's defaults selected again
      selected_pen_ = nullptr;
      if (form_) DrawForm();
    });
  }
  void EndPage() override {
    order_.Run(DocumentCall::EndPage, [&] {
      if (::EndPage(dc_) <= 0) Fail("cannot end a page");
    });
  }
  void EndDoc() override {
    order_.Run(DocumentCall::EndDoc, [&] {
      in_document_ = false;
      if (::EndDoc(dc_) <= 0) Fail("cannot end the document");
    });
  }
  void AbortDoc() override {
    order_.Run(DocumentCall::AbortDoc, [&] {
      if (in_document_) ::AbortDoc(dc_);
      in_document_ = false;
    });
  }

  void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background, std::string_view text) override {
    order_.Run(DocumentCall::Draw, [&] {
      PrepareText(font, color, background);
      ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    });
  }

  void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                      std::u32string_view text) override {
    order_.Run(DocumentCall::Draw, [&] {
      PrepareText(font, color, background);
      const std::wstring wide = Wide(text);
      ExtTextOutW(dc_, x, y, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), nullptr);
    });
  }

  void FillRect(int x, int y, int width, int height, TRgb color) override {
    order_.Run(DocumentCall::Draw, [&] {
      HBRUSH& brush = brushes_[color];
      if (brush == nullptr) brush = CreateSolidBrush(color);
      const RECT rect{x, y, x + width, y + height};
      if (::FillRect(dc_, &rect, brush) == 0) Fail("cannot fill a rectangle");
    });
  }

  void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) override {
    order_.Run(DocumentCall::Draw, [&] {
      HPEN& pen = pens_[{width, color}];
      if (pen == nullptr) {
        LOGPEN logical{PS_SOLID, POINT{width, 0}, color};
        pen = CreatePenIndirect(&logical);
      }
      if (pen != selected_pen_) {
        SelectObject(dc_, pen);
        selected_pen_ = pen;
      }
      line_.clear();
      for (std::size_t i = 0; i < count; ++i) line_.push_back(POINT{points[i].X, points[i].Y});
      ::Polyline(dc_, line_.data(), static_cast<int>(line_.size()));
    });
  }

  void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) override {
    order_.Run(DocumentCall::Draw, [&] {
      // A 1-bit bitmap whose clear bits are white and set bits the colour, ANDed onto the page:
      // white leaves the page as it is, the colour inks it as a ribbon would.
      struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
      } info{};
      info.header.biSize = sizeof info.header;
      info.header.biWidth = image.Width;
      info.header.biHeight = -image.Height;  // rows from the top
      info.header.biPlanes = 1;
      info.header.biBitCount = 1;
      info.header.biCompression = BI_RGB;
      info.colors[0] = RGBQUAD{255, 255, 255, 0};
      info.colors[1] = RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0};
      // Bitmap rows start on four-byte boundaries.
      const std::size_t stride = ((static_cast<std::size_t>(image.Width) + 31) / 32) * 4;
      rows_.assign(stride * static_cast<std::size_t>(image.Height), 0);
      const std::size_t bytes = (static_cast<std::size_t>(image.Width) + 7) / 8;
      for (int row = 0; row < image.Height; ++row) {
        std::memcpy(rows_.data() + stride * static_cast<std::size_t>(row),
                    image.Bits + static_cast<std::size_t>(row) * static_cast<std::size_t>(image.Stride), bytes);
      }
      SetStretchBltMode(dc_, COLORONCOLOR);
      if (StretchDIBits(dc_, x, y, width, height, 0, 0, image.Width, image.Height, rows_.data(),
                        reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCAND) == 0) {
        Fail("cannot draw an image");
      }
    });
  }

  void DrawImage(int x, int y, int width, int height, const TImage& image) override {
    order_.Run(DocumentCall::Draw, [&] {
      MakeBitmap(image, picture_info_, rows_);
      DrawBitmap(x, y, width, height, picture_info_, rows_, "cannot draw a picture");
    });
  }

 private:
  // The picture form over the whole physical sheet, before anything else of the page: its origin
  // lies the physical offsets before the printable area's, and what falls in the margins the
  // printer cannot print is cut off there.
  void DrawForm() {
    if (form_rows_.empty()) MakeBitmap(form_->Picture().Image(), form_info_, form_rows_);
    DrawBitmap(-GetDeviceCaps(dc_, PHYSICALOFFSETX), -GetDeviceCaps(dc_, PHYSICALOFFSETY),
               GetDeviceCaps(dc_, PHYSICALWIDTH), GetDeviceCaps(dc_, PHYSICALHEIGHT), form_info_, form_rows_,
               "cannot draw the form");
  }

  // The picture as a bottom-up DIB: rows of blue, green and red, or of greys through a palette of
  // them, each row padded to four bytes.
  static void MakeBitmap(const TImage& image, BitmapHeader& info, std::vector<std::uint8_t>& rows) {
    const bool grey = image.Channels == 1;
    info = BitmapHeader{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = image.Width;
    info.header.biHeight = image.Height;
    info.header.biPlanes = 1;
    info.header.biBitCount = grey ? 8 : 24;
    info.header.biCompression = BI_RGB;
    if (grey) {
      info.header.biClrUsed = 256;
      for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<BYTE>(i);
        info.colors[i] = RGBQUAD{level, level, level, 0};
      }
    }
    const std::size_t width = static_cast<std::size_t>(image.Width);
    const std::size_t stride = (width * (grey ? 1 : 3) + 3) / 4 * 4;
    rows.assign(stride * static_cast<std::size_t>(image.Height), 0);
    for (int row = 0; row < image.Height; ++row) {
      std::uint8_t* out = rows.data() + stride * static_cast<std::size_t>(image.Height - 1 - row);
      const std::uint8_t* in = image.Pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(image.Stride);
      if (grey) {
        std::memcpy(out, in, width);
        continue;
      }
      for (std::size_t column = 0; column < width; ++column, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    }
  }

  // The bitmap stretched over (x, y, width, height) with the printer's halftoning.
  void DrawBitmap(int x, int y, int width, int height, const BitmapHeader& info, const std::vector<std::uint8_t>& rows,
                  const char* failure) {
    SetStretchBltMode(dc_, HALFTONE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
    if (StretchDIBits(dc_, x, y, width, height, 0, 0, info.header.biWidth, info.header.biHeight, rows.data(),
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY) == 0) {
      Fail(failure);
    }
  }

  void PrepareText(int font, TRgb color, std::optional<TRgb> background) {
    Select(font);
    SetTextColor(dc_, color);
    if (background) {
      SetBkMode(dc_, OPAQUE);
      SetBkColor(dc_, *background);
    } else {
      SetBkMode(dc_, TRANSPARENT);
    }
  }
  void Select(int font) {
    if (font < 0 || static_cast<std::size_t>(font) >= fonts_.size()) throw EPrinter("Unknown font handle");
    if (font == selected_font_) return;
    SelectObject(dc_, fonts_[static_cast<std::size_t>(font)]);
    selected_font_ = font;
  }
  [[noreturn]] void Fail(const char* what) { FailOn(printer_, what); }

  // The average character width of the font at its own width, scaled: GDI stretches a font's
  // glyphs and advances to the lfWidth it is given.
  int ScaledWidth(const LOGFONTA& logical, int percent) {
    HFONT natural = CreateFontIndirectA(&logical);
    if (natural == nullptr) return 0;
    HGDIOBJ previous = SelectObject(dc_, natural);
    TEXTMETRICA metrics{};
    const bool measured = GetTextMetricsA(dc_, &metrics) != 0;
    SelectObject(dc_, previous);
    DeleteObject(natural);
    if (!measured) return 0;
    return std::max(1, MulDiv(metrics.tmAveCharWidth, std::max(percent, 1), 100));
  }

  HDC dc_;
  std::string printer_;
  std::shared_ptr<const PageForm> form_;
  BitmapHeader form_info_{};
  std::vector<std::uint8_t> form_rows_;  // the picture form as a bitmap, made for the first page
  BitmapHeader picture_info_{};
  std::vector<TFontSpec> specs_;
  std::vector<HFONT> fonts_;
  std::map<std::pair<int, TRgb>, HPEN> pens_;
  std::map<TRgb, HBRUSH> brushes_;
  std::vector<POINT> line_;
  std::vector<std::uint8_t> rows_;
  int selected_font_ = -1;
  HPEN selected_pen_ = nullptr;
  DocumentOrder order_;
  bool in_document_ = false;  // the spooler holds a begun document
};

}  // namespace

std::vector<std::string> GdiPrintSystem::PrinterNames() {
  std::vector<std::string> names;
  DWORD needed = 0;
  DWORD count = 0;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  EnumPrintersA(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return names;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) return names;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pPrinterName != nullptr) names.emplace_back(printers[i].pPrinterName);
  }
  return names;
}

std::string GdiPrintSystem::DefaultPrinter() {
  char name[1024];
  DWORD size = sizeof name;
  if (GetDefaultPrinterA(name, &size) && size > 1) return std::string(name);
  // Older systems keep it in the profile: "name,driver,port".
  const DWORD length = GetProfileStringA("windows", "device", "", name, sizeof name);
  std::string device(name, length);
  return device.substr(0, device.find(','));
}

std::optional<TDeviceSettings> GdiPrintSystem::DeviceSettings(const std::string& printer) {
  const std::vector<char> mode = DeviceMode(printer);
  if (mode.empty()) return std::nullopt;
  const auto* devmode = reinterpret_cast<const DEVMODEA*>(mode.data());
  TDeviceSettings settings;
  settings.Orientation = devmode->dmOrientation == DMORIENT_LANDSCAPE ? TPrinterOrientation::Landscape
                                                                      : TPrinterOrientation::Portrait;
  settings.Copies = devmode->dmCopies > 0 ? devmode->dmCopies : 1;
  return settings;
}

std::unique_ptr<PrintContext> GdiPrintSystem::CreateContext(const std::string& printer,
                                                            const TDeviceSettings& settings, TContextKind kind) {
  std::vector<char> mode = DeviceMode(printer);
  DEVMODEA* devmode = nullptr;
  if (!mode.empty()) {
    devmode = reinterpret_cast<DEVMODEA*>(mode.data());
    devmode->dmFields |= DM_ORIENTATION | DM_COPIES;
    devmode->dmOrientation = settings.Orientation == TPrinterOrientation::Landscape ? DMORIENT_LANDSCAPE
                                                                                    : DMORIENT_PORTRAIT;
    devmode->dmCopies = settings.Copies;
    if (settings.Paper) SetPaper(*devmode, *settings.Paper);
  }
  HDC dc = kind == TContextKind::Device ? CreateDCA("WINSPOOL", printer.c_str(), nullptr, devmode)
                                        : CreateICA("WINSPOOL", printer.c_str(), nullptr, devmode);
  if (dc == nullptr) return nullptr;
  return std::make_unique<GdiContext>(dc, printer, kind, settings.Form);
}

std::unique_ptr<PrintContext> ScreenInformationContext() {
  HDC dc = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  if (dc == nullptr) return nullptr;
  return std::make_unique<GdiContext>(dc, "DISPLAY", TContextKind::Information, nullptr);
}

TPassOnResult GdiPrintSystem::PassOn(const std::string& printer, const TDeviceSettings& settings,
                                     const TDocInfo& info, TDocumentFormat format, const std::string& path,
                                     std::uint64_t offset) {
  std::vector<char> mode = DeviceMode(printer);
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
  if (!mode.empty()) {
    auto* devmode = reinterpret_cast<DEVMODEA*>(mode.data());
    devmode->dmFields |= DM_COPIES;
    devmode->dmCopies = settings.Copies;
    defaults.pDevMode = devmode;
  }
  HANDLE handle = nullptr;
  if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &handle, &defaults)) return TPassOnResult::UnknownPrinter;
  struct Closer {
    HANDLE handle;
    ~Closer() { ClosePrinter(handle); }
  } closer{handle};
  if (format == TDocumentFormat::Raw) {
    PassOnRaw(printer, handle, info, path, offset);
    return TPassOnResult::Printed;
  }
  if (!IsPageDescription(format)) return TPassOnResult::Unsupported;
  // PDF and PostScript: Ghostscript draws the pages on the printer through the spooler, with no
  // window of its own. A '%' in the printer's name is doubled, as Ghostscript reads its output name.
  const std::string program = GhostscriptProgram();
  if (program.empty()) return TPassOnResult::Unsupported;
  std::string name;
  for (const char c : printer) name += c == '%' ? "%%" : std::string(1, c);
  std::vector<std::string> args = {program, "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dQUIET", "-dNoCancel",
                                   "-sDEVICE=mswinpr2", "-sstdout=%stderr", "-sOutputFile=%printer%" + name};
  if (settings.Copies > 1) args.push_back("-dNumCopies=" + std::to_string(settings.Copies));
  args.push_back("-");
  const std::optional<ProgramResult> run = RunProgramOnDocument(args, path, offset, nullptr, BoxFor(info));
  if (!run) return TPassOnResult::Unsupported;
  if (run->ExitCode != 0) {
    throw EPrinter("Printing on " + printer + " failed: Ghostscript: " + GhostscriptFailure(*run));
  }
  return TPassOnResult::Printed;
}

TRgb GdiPrintSystem::SystemColor(int index) { return StandardSystemColor(index); }

void GdiPrintSystem::Beep() { ConsoleBeep(); }

std::unique_ptr<PrintSystem> SystemPrinters(std::shared_ptr<FontLibrary>) {
  return std::make_unique<GdiPrintSystem>();
}

}  // namespace prynda
