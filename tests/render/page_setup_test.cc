// The page a job asks for, on the recording fake (A4 at 600 dpi, 100 px margins, a printable area
// of 4760 x 6816 px; the fake keeps its own sheet whatever is asked). Text is 10 pt Courier New,
// 0.6 em wide glyphs centred in their cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

class PageSetupTest : public EngineFixture {};

TEST_F(PageSetupTest, FitOffsetsAndPaperBelowTheRenderer) {
  struct Case {
    const char* What;
    PryndaSettings Page;
    std::string Drawn;    // "B@x,y" of the second line's B
    int Size;             // points of its font as the device draws it
    std::string Console;
  };
  auto page = [](auto change) {
    PryndaSettings settings;
    change(settings);
    return settings;
  };
  const std::vector<Case> cases = {
      // A 60 px cell, 50 px glyphs, lines 100 px apart: B at 5, one line down.
      {"nothing asked", {}, "B@5,100", 10, ""},
      // 16 inches into 4760 px: 297 dots an inch. A cell of 29.7 px, a glyph of 25 (0.6 x 41 px),
      // lines of 297 / 6 = 49 px, drawn 4.92 pt high at the device's 600 dpi.
      {"a 160-column form fitted", page([](PryndaSettings& p) { p.FormWidth = 160, p.Fit = true; }), "B@2,49", 5, ""},
      {"a form not asked to fit", page([](PryndaSettings& p) { p.FormWidth = 160; }), "B@5,100", 10, ""},
      // 10 mm is 236.2 px, -2.5 mm -59.1 px.
      {"offsets", page([](PryndaSettings& p) { p.OffsetXMm = 10, p.OffsetYMm = -2.5; }), "B@241,41", 10, ""},
      {"a sheet the printer does not have", page([](PryndaSettings& p) { p.Paper = PaperByName("Letter"); }),
       "B@5,100", 10, "Drukarka nie ma papieru Letter: drukuję na jej własnym (210 x 297 mm)\n"},
      {"the sheet it has", page([](PryndaSettings& p) { p.Paper = PaperByName("A4"); }), "B@5,100", 10, ""},
  };
  job.Settings.ShowMessages = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    system.Documents.clear();
    out.str("");
    job.Prynda = c.Page;
    Render("A\r\nB");
    EXPECT_EQ(Drawn(0).back(), c.Drawn);
    EXPECT_EQ(Pages()[0].Texts.back().Size, c.Size);
    EXPECT_EQ(Output(), c.Console);
    EXPECT_EQ(printer.PageOrientation(), TPrinterOrientation::Portrait) << "left as it was found";
  }
}

TEST_F(PageSetupTest, FxModeTurnsTheSheetForAWideFormAndTakesItsLength) {
  job.Prynda.Emulation = EmulationKind::Fx;
  job.Prynda.Orientation = OrientationChoice::Auto;
  job.Prynda.FormWidth = 136;  // 13.6 inches across, longer than the sheet's 11.36
  Render("A\r\nB");
  EXPECT_EQ(Document().Settings.Orientation, TPrinterOrientation::Landscape);
  EXPECT_EQ(Drawn(0).back(), "B@5,100");

  // A form of 3 lines: the fourth line begins the next sheet.
  system.Documents.clear();
  job.Prynda.Orientation = OrientationChoice::File;
  job.Prynda.FormLength = 3;
  Render("A\r\nB\r\nC\r\nD");
  EXPECT_EQ(Document().Settings.Orientation, TPrinterOrientation::Portrait);
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"ABC", "D"}));
}

}  // namespace
}  // namespace prynda::testing
