// The Proprinter dialect on the recording fake (600 dpi; a 10-cpi cell 60 px, a 12-cpi cell 50 px
// with the 8 pt pitch font's glyphs 40 px wide; a line of 1/6 inch 100 px): every command takes
// exactly its bytes, and the commands whose meaning is not FX mode's do what the printer does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

class ProprinterTest : public EngineFixture {
 protected:
  ProprinterTest() { job.Prynda.Emulation = EmulationKind::Ibm; }

  void RenderFresh(const std::string& input) {
    system.Documents.clear();
    Render(input);
  }
  const RecordedText& Text(const std::string& c) const {
    for (const RecordedText& text : Pages().at(0).Texts) {
      if (text.Text == c) return text;
    }
    throw std::logic_error("no text " + c);
  }
};

TEST_F(ProprinterTest, EveryCommandTakesExactlyItsBytes) {
  // Between A and B; argument and data bytes would print (X, Y, Z) or act (LF, FF) if left over.
  const std::vector<std::string> sequences = {
      Esc(':'), Esc('A', 'X'), Esc('2'), Esc('4'), Esc('5', '1'), Esc('5', 0), Esc('X', 0, 0), Esc('R'),
      Esc('\\', 0, 0), Esc('^', 0), Esc('6') + Esc('7'), Esc('_', 'X'), Esc('P', '0'), Esc('I', 'X'),
      Esc('[', 'K', 3, 0, 'X', '\n', 'Z'), Esc('[', '@', 4, 0, 0, 0, 0, 0), Esc('[', 'T', 4, 0, 0, 0, 3, 82),
      Esc('[', '\\', 4, 0, 0, 0, 0, 216), Esc('[', 'g', 3, 0, 'X', '\x0c', 'Y'), Esc('[', 'I', 1, 0, 'X'),
      Esc('%', 'G') + Esc('%', 'H'), Esc('%', '5', 0), Esc('%', '9', 'X'), Esc('=', 2, 0, 'X', 'Y'), Esc(']'),
      Esc('j'), Esc('Q', 'X'), Esc('d', 'X', 'Y'), Esc('W', 0), Esc('K', 1, 0, 'X'), Esc('-', 0),
      "\x0e\x14\x0f\x12"s,
  };
  for (const std::string& sequence : sequences) {
    SCOPED_TRACE(::testing::PrintToString(sequence));
    RenderFresh("A" + sequence + "B");
    EXPECT_EQ(PageTexts(), std::vector<std::string>{"AB"});
  }
}

TEST_F(ProprinterTest, CommandsThatAreNotFxModes) {
  struct Case {
    const char* what;
    std::string input;
    std::vector<std::string> texts;
    std::string glyph;  // whose place is checked
    int x, y;
    bool italic = false;
  };
  const std::vector<Case> cases = {
      {"ESC : is 12 cpi", "A" + Esc(':') + "BC", {"ABC"}, "C", 110 + 5, 19},  // on the 10-cpi baseline
      {"DC2 ends it", "A" + Esc(':') + "\x12" "BC", {"ABC"}, "C", 120 + 5, 0},
      {"ESC A n is applied by ESC 2", Esc('A', 24) + Esc('2') + "A\nB", {"AB"}, "B", 5, 200},
      {"ESC A n alone only stores", Esc('A', 24) + "A\nB", {"AB"}, "B", 5, 100},
      {"ESC 2 without ESC A: 1/6 inch", Esc('0') + Esc('2') + "A\nB", {"AB"}, "B", 5, 100},
      {"ESC 4 is top of form, not italic", Esc('4') + "AB", {"AB"}, "B", 65, 0},
      {"ESC % G is italic", Esc('%', 'G') + "AB", {"AB"}, "B", 65, 0, true},
      {"ESC 5 1: CR feeds a line", Esc('5', 1) + "A\rB", {"AB"}, "B", 5, 100},
      {"ESC 5 0: CR only", Esc('5', 1) + Esc('5', '0') + "A\rB", {"AB"}, "B", 5, 0},
      {"ESC X sets both margins", "A" + Esc('X', 10, 60) + "\rB", {"AB"}, "B", 600 + 5, 0},
      {"ESC \\ prints the chart", "A" + Esc('\\', 2, 0) + "\x03\x0c" "B", {"A♥♀B"}, "B", 180 + 5, 0},
      {"ESC ^ prints one", "A" + Esc('^', 4) + "B", {"A♦B"}, "♦", 60 + 5, 0},
      {"ESC [ T 850", Esc('[', 'T', 4, 0, 0, 0, 3, 82) + "\x9d", {"Ø"}, "Ø", 5, 0},
      {"ESC [ T Mazowia", Esc('[', 'T', 4, 0, 0, 0, 33, 126) + "\x86", {"ą"}, "ą", 5, 0},
      {"ESC [ T unknown keeps PC852", Esc('[', 'T', 4, 0, 0, 0, 9, 9) + "\x9d", {"Ł"}, "Ł", 5, 0},
      {"ESC [ @ double width", "A" + Esc('[', '@', 4, 0, 0, 0, 0x22, 2) + "BC", {"ABC"}, "C", 180 + 10, 0},
      {"ESC [ @ double line feed", Esc('[', '@', 3, 0, 0, 0, 0x20) + "A\nB", {"AB"}, "B", 5, 200},
      {"and back", Esc('[', '@', 3, 0, 0, 0, 0x20) + Esc('[', '@', 3, 0, 0, 0, 0x10) + "A\nB", {"AB"}, "B", 5, 100},
      {"ESC [ \\ 1/180: ESC J", Esc('[', '\\', 4, 0, 0, 0, 0, 180) + "A" + Esc('J', 90) + "\rB", {"AB"}, "B", 5, 300},
      {"ESC @ restores 1/216", Esc('[', '\\', 4, 0, 0, 0, 0, 180) + Esc('@') + "A" + Esc('J', 108) + "\rB", {"AB"}, "B",
       5, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RenderFresh(c.input);
    EXPECT_EQ(PageTexts(), c.texts);
    const RecordedText& glyph = Text(c.glyph);
    EXPECT_EQ(glyph.X, c.x);
    EXPECT_EQ(glyph.Y, c.y);
    EXPECT_EQ(glyph.Font.Italic, c.italic);
  }
}

TEST_F(ProprinterTest, OverlineRunsOverCharactersAndBlanks) {
  // A line a dot row (1/72 inch) thick at the top of each cell printed; one that wraps starts anew.
  Render("A" + Esc('_', 1) + "B C" + Esc('_', 0) + "D");
  std::vector<std::string> fills;
  for (const RecordedFill& fill : Pages().at(0).Fills) {
    fills.push_back(std::to_string(fill.X) + "," + std::to_string(fill.Y) + " " + std::to_string(fill.Width) + "x" +
                    std::to_string(fill.Height));
  }
  EXPECT_EQ(fills, (std::vector<std::string>{"60,0 60x8", "120,0 60x8", "180,0 60x8"}));
}

}  // namespace
}  // namespace prynda::testing
