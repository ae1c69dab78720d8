// The forwarding wrappers: a subclass that changes one call still passes every other on, each to
// the same call of what it wraps (a slip between the calls that look alike compiles).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "device/print_system_wrapper.h"
#include "fakes/recording_print_system.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

TEST(PrintSystemWrapperTest, ASubclassChangesItsOwnCallAndForwardsTheRest) {
  struct Silent final : PrintSystemWrapper {
    using PrintSystemWrapper::PrintSystemWrapper;
    void Beep() override {}
  };
  struct PageCounter final : PrintContextWrapper {
    using PrintContextWrapper::PrintContextWrapper;
    void EndPage() override {
      PrintContextWrapper::EndPage();
      ++Pages;
    }
    int Pages = 0;
  };
  testing::RecordingPrintSystem fake;
  Silent system(fake);
  system.PrinterNames();
  system.DefaultPrinter();
  system.DeviceSettings("Fake Printer");
  system.SystemColor(8);
  system.Beep();
  const testing::TempDir dir;
  system.PassOn("Fake Printer", TDeviceSettings{}, TDocInfo{"passed", ""}, TDocumentFormat::Raw,
                dir.Write("passed.prn", "\x1b" "E"), 0);
  PageCounter context(system.CreateContext("Fake Printer", TDeviceSettings{}, TContextKind::Device));
  context.Caps();
  context.FontFaces();
  const int font = context.RealizeFont(TFontSpec{.Face = "Courier New", .Height = -100});
  context.MeasureText(font, "A");
  context.MeasureUnicode(font, U"A");
  context.HasGlyph(font, U'A');
  context.StartDoc(TDocInfo{"wrapped", ""});
  context.StartPage();
  const TPoint line[] = {{0, 0}, {10, 0}};
  const std::uint8_t dot = 0x80;
  context.TextOut(0, 0, font, 0, std::nullopt, "A");
  context.TextOutUnicode(0, 0, font, 0, std::nullopt, U"A");
  context.FillRect(0, 0, 10, 10, 0);
  context.Polyline(line, 2, 1, 0);
  context.ImageMask(0, 0, 10, 10, TMonoImage{1, 1, 1, &dot}, 0);
  context.DrawImage(0, 0, 10, 10, TImage{1, 1, 1, 1, &dot});
  context.EndPage();
  context.EndDoc();
  PrintContextWrapper aborted(system.CreateContext("Fake Printer", TDeviceSettings{}, TContextKind::Device));
  aborted.StartDoc(TDocInfo{"aborted", ""});
  aborted.AbortDoc();

  EXPECT_EQ(fake.Calls, (std::vector<std::string_view>{
                            "PrinterNames", "DefaultPrinter", "DeviceSettings", "SystemColor", "PassOn", "CreateContext",
                            "Caps", "FontFaces", "RealizeFont", "MeasureText", "MeasureUnicode", "HasGlyph",
                            "StartDoc", "StartPage", "TextOut", "TextOutUnicode", "FillRect", "Polyline",
                            "ImageMask", "DrawImage", "EndPage", "EndDoc", "CreateContext", "StartDoc", "AbortDoc"}));
  EXPECT_EQ(context.Pages, 1);
  EXPECT_TRUE(fake.Documents.at(0).Finished);
  EXPECT_TRUE(fake.Documents.at(1).Aborted);
  EXPECT_EQ(fake.PassedOn.at(0).Bytes, "\x1b" "E");
}

}  // namespace
}  // namespace prynda
