// Forwarding contexts and print systems: each passes every call on to the one it wraps, so that a
// subclass overrides only what it changes. A context wrapper owns its context; a system wrapper
// only refers to its system, which must outlive it.
#pragma once

#include <memory>
#include <utility>

#include "device/print_system.h"

namespace prynda {

class PrintContextWrapper : public PrintContext {
 public:
  explicit PrintContextWrapper(std::unique_ptr<PrintContext> target) : target_(std::move(target)) {}

  PrintContext& Target() { return *target_; }

  TDeviceCaps Caps() override { return target_->Caps(); }
  std::vector<std::string> FontFaces() override { return target_->FontFaces(); }
  int RealizeFont(const TFontSpec& spec) override { return target_->RealizeFont(spec); }
  TTextExtent MeasureText(int font, std::string_view text) override { return target_->MeasureText(font, text); }
  TTextExtent MeasureUnicode(int font, std::u32string_view text) override {
    return target_->MeasureUnicode(font, text);
  }
  bool HasGlyph(int font, char32_t c) override { return target_->HasGlyph(font, c); }

  void StartDoc(const TDocInfo& info) override { target_->StartDoc(info); }
  void StartPage() override { target_->StartPage(); }
  void EndPage() override { target_->EndPage(); }
  void EndDoc() override { target_->EndDoc(); }
  void AbortDoc() override { target_->AbortDoc(); }

  void TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background, std::string_view text) override {
    target_->TextOut(x, y, font, color, background, text);
  }
  void TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                      std::u32string_view text) override {
    target_->TextOutUnicode(x, y, font, color, background, text);
  }
  void FillRect(int x, int y, int width, int height, TRgb color) override {
    target_->FillRect(x, y, width, height, color);
  }
  void Polyline(const TPoint* points, std::size_t count, int width, TRgb color) override {
    target_->Polyline(points, count, width, color);
  }
  void ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) override {
    target_->ImageMask(x, y, width, height, image, color);
  }
  void DrawImage(int x, int y, int width, int height, const TImage& image) override {
    target_->DrawImage(x, y, width, height, image);
  }

 private:
  std::unique_ptr<PrintContext> target_;
};

class PrintSystemWrapper : public PrintSystem {
 public:
  explicit PrintSystemWrapper(PrintSystem& target) : target_(target) {}

  PrintSystem& Target() { return target_; }

  std::vector<std::string> PrinterNames() override { return target_.PrinterNames(); }
  std::string DefaultPrinter() override { return target_.DefaultPrinter(); }
  std::optional<TDeviceSettings> DeviceSettings(const std::string& printer) override {
    return target_.DeviceSettings(printer);
  }
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override {
    return target_.CreateContext(printer, settings, kind);
  }
  TPassOnResult PassOn(const std::string& printer, const TDeviceSettings& settings, const TDocInfo& info,
                       TDocumentFormat format, const std::string& path, std::uint64_t offset) override {
    return target_.PassOn(printer, settings, info, format, path, offset);
  }
  TRgb SystemColor(int index) override { return target_.SystemColor(index); }
  void Beep() override { target_.Beep(); }

 private:
  PrintSystem& target_;
};

}  // namespace prynda
