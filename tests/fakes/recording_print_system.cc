#include "fakes/recording_print_system.h"

#include <algorithm>
#include <cmath>

#include "device/document_order.h"
#include "device/font.h"
#include "device/printer_error.h"
#include "platform/name_list.h"
#include "printers/pass_on/pass_on.h"
#include "printers/pdf/page_form.h"

namespace prynda::testing {

namespace {

std::string Utf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class RecordingContext final : public PrintContext {
 public:
  RecordingContext(RecordingPrintSystem& system, const FakePrinter& printer, const TDeviceSettings& settings,
                   TContextKind kind)
      : system_(system), printer_(printer.Name), settings_(settings), order_(kind),
        caps_(CapsOf(printer, settings.Orientation)), fonts_(printer.Fonts) {
    ++system_.OpenContexts;
  }
  ~RecordingContext() override { --system_.OpenContexts; }

  TDeviceCaps Caps() override {
    system_.Hit("Caps");
    return caps_;
  }
  std::vector<std::string> FontFaces() override {
    system_.Hit("FontFaces");
    return fonts_;
  }
  int RealizeFont(const TFontSpec& spec) override {
    system_.Hit("RealizeFont");
    for (std::size_t i = 0; i < realized_.size(); ++i) {
      if (realized_[i] == spec) return static_cast<int>(i);
    }
    realized_.push_back(spec);
    return static_cast<int>(realized_.size() - 1);
  }
  TTextExtent MeasureText(int font, std::string_view text) override {
    system_.Hit("MeasureText");
    return Extent(font, text.size());
  }
  TTextExtent MeasureUnicode(int font, std::u32string_view text) override {
    system_.Hit("MeasureUnicode");
    TTextExtent extent = Extent(font, text.size());
    for (const char32_t c : text) {
      if (system_.NarrowGlyphs.find(c) != std::u32string::npos) extent.Width -= Extent(font, 1).Width / 2;
    }
    return extent;
  }
  bool HasGlyph(int font, char32_t c) override {
    system_.Hit("HasGlyph");
    FontAt(font);
    return system_.MissingGlyphs.find(c) == std::u32string::npos;
  }
  void StartDoc(const TDocInfo& info) override {
    order_.Run(DocumentCall::StartDoc, [&] {
      system_.Hit("StartDoc");
      RecordedDocument document;
      document.Printer = printer_;
      document.Name = info.DocumentName;
      document.Source = info.SourcePath;
      document.Settings = settings_;
      document.Settings.Form = nullptr;
      if (settings_.Form) {
        document.FormPath = settings_.Form->Path();
        document.FormPages = settings_.Form->PageCount();
      }
      system_.Documents.push_back(std::move(document));
      document_ = system_.Documents.size() - 1;
    });
  }
  void StartPage() override {
    order_.Run(DocumentCall::StartPage, [&] {
      system_.Hit("StartPage");
      RecordedDocument& document = Document();
      document.Pages.emplace_back();
      if (settings_.Form) document.Pages.back().FormPage = settings_.Form->PageOfSheet(document.Pages.size() - 1);
    });
  }
  void EndPage() override {
    order_.Run(DocumentCall::EndPage, [&] { system_.Hit("EndPage"); });
  }
  void EndDoc() override {
    order_.Run(DocumentCall::EndDoc, [&] {
      system_.Hit("EndDoc");
      Document().Finished = true;
    });
  }
  void AbortDoc() override {
    order_.Run(DocumentCall::AbortDoc, [&] {
      system_.Hit("AbortDoc");
      Document().Aborted = true;
    });
  }
  void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
               std::string_view text) override {
    order_.Run(DocumentCall::Draw, [&] {
      system_.Hit("TextOut");
      Record(x, y, font, color, background, std::string(text), false);
    });
  }
  void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                      std::u32string_view text) override {
    order_.Run(DocumentCall::Draw, [&] {
      system_.Hit("TextOutUnicode");
      Record(x, y, font, color, background, Utf8(text), true);
    });
  }
  void FillRect(int x, int y, int width, int height, TRgb color) override {
    order_.Run(DocumentCall::Draw, [&] {
      system_.Hit("FillRect");
      Page().Fills.push_back(RecordedFill{x, y, width, height, color});
    });
  }
  void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) override {
    order_.Run(DocumentCall::Draw, [&] {
      system_.Hit("Polyline");
      Page().Lines.push_back(RecordedLine{std::vector<TPoint>(points, points + count), width, color});
    });
  }
  void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) override {
    order_.Run(DocumentCall::Draw, [&] {
      system_.Hit("ImageMask");
      RecordedImage recorded{x, y, width, height, {}, color};
      for (int row = 0; row < image.Height; ++row) {
        std::string dots;
        for (int column = 0; column < image.Width; ++column) {
          const std::uint8_t byte = image.Bits[static_cast<std::size_t>(row * image.Stride + column / 8)];
          dots += (byte >> (7 - column % 8)) & 1 ? '#' : '.';
        }
        recorded.Dots.push_back(std::move(dots));
      }
      Page().Images.push_back(std::move(recorded));
    });
  }
  void DrawImage(int x, int y, int width, int height, const TImage& image) override {
    order_.Run(DocumentCall::Draw, [&] {
      system_.Hit("DrawImage");
      Page().Pictures.push_back(
          RecordedPicture{x, y, width, height, image.Width, image.Height, image.Channels, PictureChecksum(image)});
    });
  }

 private:
  void Record(int x, int y, int font, TRgb color, std::optional<TRgb> background, std::string text, bool unicode) {
    RecordedText recorded;
    recorded.X = x;
    recorded.Y = y;
    recorded.Text = std::move(text);
    recorded.Unicode = unicode;
    recorded.Font = FontAt(font);
    recorded.Size = -MulDiv(recorded.Font.Height, 72, caps_.LogPixelsY);
    recorded.Color = color;
    recorded.Opaque = background.has_value();
    Page().Texts.push_back(std::move(recorded));
  }
  const TFontSpec& FontAt(int font) const {
    if (font < 0 || static_cast<std::size_t>(font) >= realized_.size()) throw EPrinter("Unknown font handle");
    return realized_[static_cast<std::size_t>(font)];
  }
  TTextExtent Extent(int font, std::size_t characters) const {
    const TFontSpec& spec = FontAt(font);
    const int em = spec.Height < 0 ? -spec.Height : spec.Height * 5 / 6;
    const int advance = static_cast<int>(std::lround(0.6 * em * spec.WidthPercent / 100.0));
    return TTextExtent{advance * static_cast<int>(characters), em + em / 5};
  }
  RecordedDocument& Document() { return system_.Documents.at(document_); }
  RecordedPage& Page() { return Document().Pages.back(); }

  RecordingPrintSystem& system_;
  std::string printer_;
  TDeviceSettings settings_;
  DocumentOrder order_;
  TDeviceCaps caps_;
  std::vector<std::string> fonts_;
  std::vector<TFontSpec> realized_;
  std::size_t document_ = 0;
};

}  // namespace

std::uint32_t PictureChecksum(const TImage& image) {
  std::uint32_t hash = 2166136261u;
  const std::size_t row = static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Channels);
  for (int y = 0; y < image.Height; ++y) {
    const std::uint8_t* dots = image.Pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Stride);
    for (std::size_t i = 0; i < row; ++i) hash = (hash ^ dots[i]) * 16777619u;
  }
  return hash;
}

TDeviceCaps CapsOf(const FakePrinter& printer, TPrinterOrientation orientation) {
  TDeviceCaps caps;
  caps.LogPixelsX = printer.DpiX;
  caps.LogPixelsY = printer.DpiY;
  caps.PhysicalWidth = printer.Width;
  caps.PhysicalHeight = printer.Height;
  if (orientation == TPrinterOrientation::Landscape) {
    std::swap(caps.PhysicalWidth, caps.PhysicalHeight);
    std::swap(caps.LogPixelsX, caps.LogPixelsY);
  }
  caps.PhysicalOffsetX = printer.Margin;
  caps.PhysicalOffsetY = printer.Margin;
  caps.HorzRes = caps.PhysicalWidth - 2 * printer.Margin;
  caps.VertRes = caps.PhysicalHeight - 2 * printer.Margin;
  return caps;
}

RecordingPrintSystem::RecordingPrintSystem() : Printers{FakePrinter{"Fake Printer"}}, Default("Fake Printer") {}

void RecordingPrintSystem::FailOn(const std::string& call, const std::string& message, int nth) {
  failures_[call].emplace_back(nth, message);
}

void RecordingPrintSystem::FailOn(TContextKind kind, const std::string& message, int nth) {
  FailOn(kind == TContextKind::Device ? "CreateContext(Device)" : "CreateContext(Information)", message, nth);
}

void RecordingPrintSystem::Hit(std::string_view call) {
  Calls.push_back(call);
  FailIfDue(call);
}

void RecordingPrintSystem::FailIfDue(std::string_view call) {
  if (failures_.empty()) return;
  auto found = failures_.find(call);
  if (found == failures_.end()) return;
  for (auto it = found->second.begin(); it != found->second.end(); ++it) {
    if (--it->first == 0) {
      const std::string message = it->second;
      found->second.erase(it);
      throw EPrinter(message);
    }
  }
}

int RecordingPrintSystem::CallCount(std::string_view call) const {
  int count = 0;
  for (const auto& made : Calls) count += made == call;
  return count;
}

int RecordingPrintSystem::ContextCount(TContextKind kind) const {
  int count = 0;
  for (TContextKind made : Contexts) count += made == kind;
  return count;
}

FakePrinter* RecordingPrintSystem::Find(const std::string& name) {
  for (auto& printer : Printers) {
    if (SameTextIgnoringCase(printer.Name, name)) return &printer;
  }
  return nullptr;
}

std::vector<std::string> RecordingPrintSystem::PrinterNames() {
  Hit("PrinterNames");
  std::vector<std::string> names;
  for (const auto& printer : Printers) names.push_back(printer.Name);
  return names;
}

std::string RecordingPrintSystem::DefaultPrinter() {
  Hit("DefaultPrinter");
  return Default;
}

std::optional<TDeviceSettings> RecordingPrintSystem::DeviceSettings(const std::string& printer) {
  Hit("DeviceSettings");
  FakePrinter* found = Find(printer);
  return found ? found->Settings : std::nullopt;
}

std::unique_ptr<PrintContext> RecordingPrintSystem::CreateContext(const std::string& printer,
                                                                  const TDeviceSettings& settings,
                                                                  TContextKind kind) {
  Contexts.push_back(kind);
  Hit("CreateContext");
  FailIfDue(kind == TContextKind::Device ? "CreateContext(Device)" : "CreateContext(Information)");
  FakePrinter* found = Find(printer);
  if (found == nullptr || !found->Valid) return nullptr;
  return std::make_unique<RecordingContext>(*this, *found, settings, kind);
}

TPassOnResult RecordingPrintSystem::PassOn(const std::string& printer, const TDeviceSettings& settings,
                                           const TDocInfo& info, TDocumentFormat format, const std::string& path,
                                           std::uint64_t offset) {
  Hit("PassOn");
  FakePrinter* found = Find(printer);
  if (found == nullptr) return TPassOnResult::UnknownPrinter;
  if (std::find(found->Unsupported.begin(), found->Unsupported.end(), format) != found->Unsupported.end()) {
    return TPassOnResult::Unsupported;
  }
  RecordedPassOn passed{found->Name, format, {}, settings.Copies, info.DocumentName, info.SourcePath};
  ReadDocument(path, offset, [&](const unsigned char* data, std::size_t size) {
    passed.Bytes.append(reinterpret_cast<const char*>(data), size);
  });
  PassedOn.push_back(std::move(passed));
  return TPassOnResult::Printed;
}

TRgb RecordingPrintSystem::SystemColor(int index) {
  Hit("SystemColor");
  return index == 8 ? 0x000000 : 0xFFFFFF;
}

void RecordingPrintSystem::Beep() {
  Hit("Beep");
  ++Beeps;
}

}  // namespace prynda::testing
