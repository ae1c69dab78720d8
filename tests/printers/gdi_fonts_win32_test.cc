// The fonts the Windows backend makes (run under Wine): a font's width percent stretches GDI's
// glyphs and advances (lfWidth from the face's average width) as it does the PDF writer's.
#include <gtest/gtest.h>

#include <memory>

#include "printers/gdi/gdi_print_system.h"

namespace prynda {
namespace {

TEST(GdiFontsTest, AWidthPercentScalesTheAdvances) {
  std::unique_ptr<PrintContext> context = ScreenInformationContext();
  ASSERT_NE(context, nullptr);
  const auto measure = [&](int percent) {
    return context->MeasureUnicode(
        context->RealizeFont(TFontSpec{.Face = "Courier New", .Height = -100, .WidthPercent = percent}), U"MiMi");
  };
  const TTextExtent normal = measure(100);
  ASSERT_GT(normal.Width, 0);
  // GDI rounds the average width to a pixel: within 2 % of twice and half as wide, as tall.
  EXPECT_NEAR(measure(200).Width, 2.0 * normal.Width, 0.02 * normal.Width);
  EXPECT_NEAR(measure(50).Width, normal.Width / 2.0, 0.02 * normal.Width);
  EXPECT_EQ(measure(200).Height, normal.Height);
}

}  // namespace
}  // namespace prynda
