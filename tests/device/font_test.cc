// TFont's two views of one height (points and pixels), its resolution moves, CopyFrom and the
// version that tells the canvas when to realise the font again; MulDiv's rounding.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "device/font.h"

namespace prynda {
namespace {

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndFailsWithMinusOne) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {1, 1, 2, 1},     {-1, 1, 2, -1},   {1, -1, 2, -1},    {1, 1, -2, -1},   {-1, -1, 2, 1},
      {-1, 1, -2, 1},   {3, 1, 2, 2},     {-3, 1, 2, -2},    {5, 1, 4, 1},     {7, 1, 4, 2},
      {-5, 1, 4, -1},   {-7, 1, 4, -2},   {10, 96, 72, 13},  {-13, 72, 96, -10}, {-11, 72, 96, -8},
      {0, 5, 3, 0},     {7, 3, 0, -1},    {0, 0, 0, -1},
      // The product may exceed 32 bits as long as the result fits.
      {2000000000, 3, 4, 1500000000},   {INT_MAX, 1, 1, INT_MAX},
      {INT_MAX, 2, 1, -1},              {INT_MIN, 2, 1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
  }
}

TEST(FontTest, SizeAndHeightAtTheFontsResolution) {
  struct Case {
    int ppi, size, height;
  };
  // Size written -> Height; and the Height read back gives the Size.
  for (const Case& c : {Case{96, 10, -13}, Case{600, 10, -83}, Case{300, 12, -50}, Case{72, 9, -9}}) {
    TFont font;
    font.SetPixelsPerInch(c.ppi);
    font.SetSize(c.size);
    EXPECT_EQ(font.Height(), c.height) << c.ppi << " ppi, " << c.size << " pt";
    EXPECT_EQ(font.Size(), c.size) << c.ppi << " ppi, " << c.size << " pt";
  }
  TFont font;
  font.SetHeight(-11);
  EXPECT_EQ(font.Size(), 8);
}

TEST(FontTest, MovingToAnotherResolutionKeepsThePointSize) {
  TFont font;
  font.SetSize(10);
  ASSERT_EQ(font.Height(), -13);
  font.SetPixelsPerInch(600);
  EXPECT_EQ(font.PixelsPerInch(), 600);
  EXPECT_EQ(font.Height(), -83);
  EXPECT_EQ(font.Size(), 10);

  // A resolution that is no resolution is ignored.
  font.SetPixelsPerInch(0);
  font.SetPixelsPerInch(-300);
  EXPECT_EQ(font.PixelsPerInch(), 600);
  EXPECT_EQ(font.Height(), -83);
}

TEST(FontTest, NameIsKeptNonEmptyAndCutToThirtyOneCharacters) {
  TFont font;
  font.SetName("");
  EXPECT_EQ(font.Name(), "Arial");

  const std::string exact(kMaxFaceNameLength, 'a');
  font.SetName(exact);
  EXPECT_EQ(font.Name(), exact);

  font.SetName("Courier New Central European Extended Bold");
  EXPECT_EQ(font.Name(), "Courier New Central European Ex");
  EXPECT_EQ(font.Spec().Face, font.Name());
}

TEST(FontTest, CopyFromTakesEveryFieldAndCarriesThePointSizeAcrossResolutions) {
  TFont source;  // 96 ppi
  source.SetName("Courier New");
  source.SetSize(12);  // Height -16
  source.SetPitch(TFontPitch::fpFixed);
  source.SetStyle(fsBold | fsUnderline);
  source.SetCharset(238);
  source.SetColor(0x00123456);
  source.SetWidthPercent(200);

  TFont target;
  target.SetPixelsPerInch(600);
  target.CopyFrom(source);
  EXPECT_EQ(target.Name(), "Courier New");
  EXPECT_EQ(target.PixelsPerInch(), 600);
  EXPECT_EQ(target.Size(), 12);
  EXPECT_EQ(target.Height(), -100);
  EXPECT_EQ(target.Pitch(), TFontPitch::fpFixed);
  EXPECT_EQ(target.Style(), fsBold | fsUnderline);
  const TFontSpec spec = target.Spec();
  EXPECT_TRUE(spec.Bold && spec.Underline && !spec.Italic && !spec.StrikeOut);
  EXPECT_EQ(spec.Height, -100);
  EXPECT_EQ(spec.WidthPercent, 200);
  EXPECT_EQ(target.Charset(), 238);
  EXPECT_EQ(target.Color(), 0x00123456);

  // At the same resolution the height is taken exactly, even one that no whole point size gives.
  TFont same;
  source.SetHeight(-15);
  same.CopyFrom(source);
  EXPECT_EQ(same.Height(), -15);
}

TEST(FontTest, VersionChangesExactlyWhenTheRealisedFontChanges) {
  TFont font;
  std::uint64_t version = font.Version();
  auto changed = [&] {
    const bool result = font.Version() != version;
    version = font.Version();
    return result;
  };

  font.SetName("Arial");
  font.SetHeight(font.Height());
  font.SetCharset(1);
  font.SetPitch(TFontPitch::fpDefault);
  font.SetStyle(0);
  font.SetWidthPercent(100);
  font.SetColor(0x0000FF);  // colour goes with each text, not with the font
  font.SetName("");
  EXPECT_FALSE(changed());

  font.SetName("Courier New");
  EXPECT_TRUE(changed());
  font.SetSize(14);
  EXPECT_TRUE(changed());
  font.SetCharset(238);
  EXPECT_TRUE(changed());
  font.SetPitch(TFontPitch::fpFixed);
  EXPECT_TRUE(changed());
  font.SetStyle(fsBold);
  EXPECT_TRUE(changed());
  font.SetWidthPercent(50);
  EXPECT_TRUE(changed());
  font.SetPixelsPerInch(600);
  EXPECT_TRUE(changed());

  // Copying an equal font from another resolution realises nothing new.
  TFont screen;
  screen.CopyFrom(font);
  EXPECT_EQ(screen.Size(), 14);
  version = font.Version();
  font.CopyFrom(screen);
  EXPECT_EQ(font.Height(), -117);
  EXPECT_FALSE(changed());
}

}  // namespace
}  // namespace prynda
