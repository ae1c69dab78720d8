// What every print context promises a caller that breaks the rules of print_system.h: an EPrinter,
// on the recording fake, on Prynda's PDF writer and on the cairo reference alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "device/printer_error.h"
#include "fakes/recording_print_system.h"
#include "printers/fonts/font_library.h"
#include "printers/pdf/pdf_pages.h"
#include "printers/pdf/pdf_sink.h"
#include "reference/cairo_pages.h"
#include "support/null_pdf_sink.h"

namespace prynda {
namespace {

struct Maker {
  const char* Name;
  std::function<std::unique_ptr<PrintContext>(TContextKind)> Make;
};

FontLibrary& Fonts() {
  static FontLibrary fonts;
  return fonts;
}

// A PDF-making context on an A4 sheet, with a sink for a device context.
template <typename Context>
std::unique_ptr<PrintContext> PdfContext(TContextKind kind) {
  std::unique_ptr<PdfSink> sink;
  if (kind == TContextKind::Device) sink = std::make_unique<testing::NullPdfSink>();
  return std::make_unique<Context>(Fonts(), A4Geometry(600, 100, TPrinterOrientation::Portrait), std::move(sink));
}

class PrintContextTest : public ::testing::TestWithParam<Maker> {};

using Call = std::function<void(PrintContext&, int font)>;

const std::map<std::string_view, Call>& Calls() {
  static const TPoint line[] = {{0, 0}, {10, 0}};
  static const std::uint8_t dot = 0x80;
  static const std::map<std::string_view, Call> calls = {
      {"StartDoc", [](PrintContext& c, int) { c.StartDoc(TDocInfo{"misuse", ""}); }},
      {"StartPage", [](PrintContext& c, int) { c.StartPage(); }},
      {"EndPage", [](PrintContext& c, int) { c.EndPage(); }},
      {"EndDoc", [](PrintContext& c, int) { c.EndDoc(); }},
      {"AbortDoc", [](PrintContext& c, int) { c.AbortDoc(); }},
      {"TextOut", [](PrintContext& c, int font) { c.TextOut(0, 0, font, 0, std::nullopt, "A"); }},
      {"TextOutUnicode", [](PrintContext& c, int font) { c.TextOutUnicode(0, 0, font, 0, 0xFFFFFF, U"Ą"); }},
      {"FillRect", [](PrintContext& c, int) { c.FillRect(0, 0, 10, 10, 0); }},
      {"Polyline", [](PrintContext& c, int) { c.Polyline(line, 2, 1, 0); }},
      {"ImageMask", [](PrintContext& c, int) { c.ImageMask(0, 0, 10, 10, TMonoImage{1, 1, 1, &dot}, 0); }},
      {"DrawImage", [](PrintContext& c, int) { c.DrawImage(0, 0, 10, 10, TImage{1, 1, 1, 1, &dot}); }},
      // A handle the context never gave.
      {"MeasureText?", [](PrintContext& c, int font) { c.MeasureText(font + 7, "A"); }},
      {"MeasureUnicode?", [](PrintContext& c, int font) { c.MeasureUnicode(font + 7, U"A"); }},
      {"HasGlyph?", [](PrintContext& c, int) { c.HasGlyph(-1, U'A'); }},
      {"TextOut?", [](PrintContext& c, int font) { c.TextOut(0, 0, font + 7, 0, std::nullopt, "A"); }},
      {"TextOutUnicode?", [](PrintContext& c, int) { c.TextOutUnicode(0, 0, -1, 0, std::nullopt, U"A"); }},
  };
  return calls;
}

TEST_P(PrintContextTest, EveryCallOutOfTurnRaisesEPrinter) {
  constexpr TContextKind kInformation = TContextKind::Information;
  constexpr TContextKind kDevice = TContextKind::Device;
  struct Case {
    TContextKind Kind;
    std::string Before;  // calls that are taken, in order; "!" after one: it is refused
    std::string_view Refused;
  };
  const std::vector<Case> cases = {
      {kInformation, "", "StartDoc"},
      {kInformation, "", "StartPage"},
      {kInformation, "", "AbortDoc"},
      {kInformation, "", "TextOut"},
      {kInformation, "", "DrawImage"},
      {kInformation, "", "MeasureText?"},
      {kInformation, "", "MeasureUnicode?"},
      {kInformation, "", "HasGlyph?"},
      // Before the document.
      {kDevice, "", "StartPage"},
      {kDevice, "", "EndPage"},
      {kDevice, "", "EndDoc"},
      {kDevice, "", "AbortDoc"},
      {kDevice, "", "FillRect"},
      // In the document, outside a page.
      {kDevice, "StartDoc", "StartDoc"},
      {kDevice, "StartDoc", "EndPage"},
      {kDevice, "StartDoc", "Polyline"},
      {kDevice, "StartDoc StartPage EndPage", "ImageMask"},
      {kDevice, "StartDoc", "DrawImage"},
      {kDevice, "StartDoc StartPage DrawImage EndPage EndDoc", "DrawImage"},
      {kDevice, "StartDoc StartPage EndPage", "EndPage"},
      // In a page.
      {kDevice, "StartDoc StartPage", "StartPage"},
      {kDevice, "StartDoc StartPage", "EndDoc"},
      {kDevice, "StartDoc StartPage", "StartDoc"},
      {kDevice, "StartDoc StartPage", "TextOut?"},
      {kDevice, "StartDoc StartPage", "TextOutUnicode?"},
      // After the document, whichever way it ended.
      {kDevice, "StartDoc StartPage EndPage EndDoc", "StartDoc"},
      {kDevice, "StartDoc StartPage EndPage EndDoc", "StartPage"},
      {kDevice, "StartDoc StartPage EndPage EndDoc", "AbortDoc"},
      {kDevice, "StartDoc StartPage AbortDoc", "TextOutUnicode"},
      {kDevice, "StartDoc StartPage AbortDoc", "EndPage"},
      {kDevice, "StartDoc AbortDoc", "AbortDoc"},
      // Once a call of the document has raised, only AbortDoc is left.
      {kDevice, "StartDoc StartPage EndDoc!", "TextOut"},
      {kDevice, "StartDoc StartPage EndDoc! AbortDoc", "StartPage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Before + " | " + std::string(c.Refused) + (c.Kind == kDevice ? " (device)" : " (information)"));
    std::unique_ptr<PrintContext> context = GetParam().Make(c.Kind);
    ASSERT_NE(context, nullptr);
    const int font = context->RealizeFont(TFontSpec{.Face = "Courier New", .Height = -100});
    std::istringstream before(c.Before);
    for (std::string name; before >> name;) {
      const bool refused = name.ends_with('!');
      if (refused) name.pop_back();
      if (refused) {
        EXPECT_THROW(Calls().at(name)(*context, font), EPrinter) << name;
      } else {
        EXPECT_NO_THROW(Calls().at(name)(*context, font)) << name;
      }
    }
    EXPECT_THROW(Calls().at(c.Refused)(*context, font), EPrinter);
  }
}

// A font's width percent stretches its glyphs' advances and nothing else: twice and half as wide,
// as tall.
TEST_P(PrintContextTest, AWidthPercentScalesTheAdvances) {
  std::unique_ptr<PrintContext> context = GetParam().Make(TContextKind::Information);
  const auto measure = [&](int percent) {
    return context->MeasureUnicode(
        context->RealizeFont(TFontSpec{.Face = "Courier New", .Height = -100, .WidthPercent = percent}), U"MiMi");
  };
  const TTextExtent normal = measure(100);
  EXPECT_EQ(measure(200).Width, 2 * normal.Width);
  EXPECT_EQ(measure(50).Width, normal.Width / 2);
  EXPECT_EQ(measure(200).Height, normal.Height);
}

INSTANTIATE_TEST_SUITE_P(
    EveryContext, PrintContextTest,
    ::testing::Values(Maker{"RecordingFake",
                            [](TContextKind kind) {
                              static testing::RecordingPrintSystem fake;
                              return fake.CreateContext("Fake Printer", TDeviceSettings{}, kind);
                            }},
                      Maker{"PdfWriter", PdfContext<PdfPageContext>}, Maker{"CairoReference", PdfContext<CairoPdfContext>}),
    [](const ::testing::TestParamInfo<Maker>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace prynda
