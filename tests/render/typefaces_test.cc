// FX mode's typefaces (ESC k), proportional advances (ESC p, ESC ! 2) and the ribbon's colours
// (ESC r) on the recording fake at 600 dpi. The fake offers "Courier New", "Arial" and "Times New
// Roman"; its 10-point glyphs are 50 px wide, a narrow one (NarrowGlyphs) 25.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

class TypefacesTest : public EngineFixture {
 protected:
  TypefacesTest() { job.Prynda.Emulation = EmulationKind::Fx; }

  // The first text drawn whose UTF-8 is `c`.
  const RecordedText& Text(const std::string& c) const {
    for (const RecordedText& text : Pages().at(0).Texts) {
      if (text.Text == c) return text;
    }
    throw std::logic_error("no text " + c);
  }
  void RenderFresh(const std::string& input) {
    system.Documents.clear();
    Render(input);
  }
};

TEST_F(TypefacesTest, EscKPicksTheFamilysFaceUntilEscAt) {
  const std::string own = job.Font(JobFont::Cpi10).Name();
  job.Prynda.TypefaceFaces["FaceOcrB"] = "Arial";  // a site's face for a family
  struct Case {
    std::string Commands;
    std::string Face;  // of X
  };
  const std::vector<Case> cases = {
      {"", own},
      {Esc('k', 1), "Arial"},
      {Esc('k', 0), "Times New Roman"},
      {Esc('k', 1) + Esc('@'), own},
      {Esc('k', 1) + Esc('k', 12), "Arial"},              // a number not in the list keeps the face
      {Esc('k', 1) + Esc('x', 0) + Esc('M'), "Arial"},    // draft and the pitch keep it too
      {Esc('k', 2) + Esc('S', 0), "Courier New"},         // so does the small font of superscript
      {Esc('k', 4), own},                                 // Script's face is not on this printer
      {Esc('k', 5), "Arial"},
      {Esc('p', 1), "Times New Roman"},                   // proportional: Roman's face
      {Esc('k', 1) + Esc('p', 1), "Arial"},
      {Esc('!', 2) + Esc('p', 0), own},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Commands));
    RenderFresh(c.Commands + "X");
    EXPECT_EQ(Text("X").Font.Face, c.Face);
  }
  EXPECT_NE(Output().find("Krój pisma Script: brak czcionki Z003, drukuję czcionką zadania"), std::string::npos)
      << Output();
}

TEST_F(TypefacesTest, ProportionalCharactersAdvanceByTheirOwnWidth) {
  system.NarrowGlyphs = U"i";
  struct Case {
    std::string Input;  // X is measured
    int X, Y;
  };
  const std::vector<Case> cases = {
      {"iiiiX", 245, 0},                                      // fixed pitch: 60 px cells, X centred
      {Esc('p', 1) + "iiiiX", 100, 0},                        // 4 x 25, drawn at the position
      {Esc('p', 1) + "MMMMX", 200, 0},                        // 4 x 50
      {Esc('!', 2) + "iiX", 50, 0},
      {Esc('p', 1) + Esc(' ', 2) + "iiX", 70, 0},             // ESC SP: 2/120 inch after each
      {Esc('p', 1) + Esc('Q', 2) + "MMX", 0, 100},            // 100 + 50 passes 2 pica columns
      {Esc('p', 1) + Esc('Q', 3) + "MMX", 100, 0},            // and ends within 3
      {Esc('p', 1) + "ii\tX", 480, 0},                        // tabs stay in pica columns
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Input));
    RenderFresh(c.Input);
    EXPECT_EQ(Text("X").X, c.X);
    EXPECT_EQ(Text("X").Y, c.Y);
  }
}

TEST_F(TypefacesTest, EscRColoursTextLinesAndImages) {
  job.Font(JobFont::Cpi10).SetColor(0x123456);  // the settings' colour of the job's font
  struct Case {
    std::string Commands;
    TRgb Color;  // 0x00BBGGRR
  };
  const std::vector<Case> cases = {
      {"", 0x123456},
      {Esc('r', 1), 0xFF00FF},                  // magenta
      {Esc('r', 2), 0xFFFF00},                  // cyan
      {Esc('r', 3), 0xFF0000},                  // violet: cyan over magenta
      {Esc('r', 4), 0x00FFFF},                  // yellow
      {Esc('r', 5), 0x0000FF},                  // orange: magenta over yellow
      {Esc('r', 6), 0x00FF00},                  // green
      {Esc('r', 1) + Esc('r', 7), 0xFF00FF},    // no such colour: kept
      {Esc('r', 1) + Esc('r', 0), 0x123456},    // black is the job's colour again
      {Esc('r', 1) + Esc('@'), 0x123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Commands));
    // X, a box-drawing line (PC437 196), a bit image of one column.
    RenderFresh(c.Commands + "X\xc4" + Esc('K', 1, 0) + "\xff");
    const RecordedPage& page = Pages().at(0);
    EXPECT_EQ(Text("X").Color, c.Color);
    ASSERT_EQ(page.Lines.size(), 1u);
    EXPECT_EQ(page.Lines[0].Color, c.Color == 0x123456 ? 0 : c.Color);  // lines are black without ESC r
    ASSERT_EQ(page.Images.size(), 1u);
    EXPECT_EQ(page.Images[0].Color, c.Color);
  }
}

}  // namespace
}  // namespace prynda::testing
