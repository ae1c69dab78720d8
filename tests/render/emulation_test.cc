// The printer emulation on the recording fake at 600 dpi: box-drawing characters as lines, escape
// sequences, the prefix commands and the pitch fonts with their attributes.
//
// Fake metrics (see the fake): Font10 is 10 pt = 83 px em, 50 px wide, 99 px high; the 8 pt pitch
// fonts 67 px em, 40 wide, 80 high; FontEM 12 pt, 60 wide, 120 high; FontAK 6 pt, 30 wide, 60 high.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/own/own.h"
#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_view_literals;

using Points = std::vector<TPoint>;

class EmulationTest : public EngineFixture {
 protected:
  const RecordedPage& Page(std::size_t n = 0) {
    const auto& pages = Pages();
    if (n >= pages.size()) throw std::logic_error("missing page");
    return pages[n];
  }
  std::vector<Points> Lines(std::size_t page = 0) {
    std::vector<Points> lines;
    for (const auto& line : Page(page).Lines) lines.push_back(line.Points);
    return lines;
  }
  // The first recorded text whose byte is `c`.
  const RecordedText& TextOf(char c, std::size_t page = 0) {
    for (const auto& text : Page(page).Texts) {
      if (text.Text == std::string(1, c)) return text;
    }
    throw std::logic_error(std::string("no text ") + c);
  }
};

// --- Box drawing -----------------------------------------------------------------------------

TEST_F(EmulationTest, BoxCharactersAreSegmentsOfTheirCell) {
  struct Case {
    std::string input;
    std::vector<Points> lines;
  };
  // 10 cpi, 6 lpi at 600 dpi: HalfW 31, HalfH 51.
  const std::vector<Case> cases = {
      {"\xc4", {{{0, 51}, {62, 51}}}},                                  // horizontal
      {"\xb3", {{{31, 0}, {31, 102}}}},                                 // vertical
      {"\xda", {{{31, 102}, {31, 51}}, {{31, 51}, {62, 51}}}},          // corner down and right
      {"\xc5", {{{31, 0}, {31, 102}}, {{0, 51}, {62, 51}}}},            // cross
      {"\xd9", {{{0, 51}, {31, 51}}, {{31, 0}, {31, 51}}}},             // corner left and up
      {"A\xc4", {{{60, 51}, {122, 51}}}},                               // one column on
      {"\r\n\xc4", {{{0, 151}, {62, 151}}}},                            // one line down
      {"\xfa\x35\xc4", {{{0, 51}, {36, 51}}}},                          // 17.125 cpi: HalfW 18
      {"\xfa\x45\xc4", {{{0, 51}, {122, 51}}}},                         // expanded 10 cpi: 5 cpi
      {"\xfa\x4f\xb3", {{{31, 0}, {31, 76}}}},                          // 1/8 inch lines: HalfH 38
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.input));
    system.Documents.clear();
    Render(c.input);
    EXPECT_EQ(Lines(), c.lines);
  }
}

TEST_F(EmulationTest, EveryBoxCodeDrawsLinesAndMovesOneColumn) {
  std::string all;
  for (int c = 179; c <= 218; ++c) all += static_cast<char>(c);
  all += "X";
  job.Settings.CodePage = CodePageId::Mazovia;  // Mazovia letters lie outside 179-218, so every byte is a line
  Render(all);
  EXPECT_TRUE(Page().Texts.size() == 1u);
  EXPECT_EQ(TextOf('X').X, 40 * 60 + 5);
  std::size_t lines = 0;
  for (const auto& line : Page().Lines) {
    EXPECT_EQ(line.Points.size(), 2u);
    EXPECT_EQ(line.Width, 1);
    ++lines;
  }
  EXPECT_EQ(lines, 4u + 36u * 2u);  // four straight characters, the rest two segments each
}

TEST_F(EmulationTest, SingleAndDoubleLinesDrawAlike) {
  for (auto [single, twin] : {std::pair{"\xc4", "\xcd"}, {"\xb3", "\xba"}, {"\xda", "\xc9"}}) {
    system.Documents.clear();
    Render(single);
    const auto expected = Lines();
    system.Documents.clear();
    Render(twin);
    EXPECT_EQ(Lines(), expected);
  }
}

TEST_F(EmulationTest, TranslatedLettersAreNeverLines) {
  // CP852: 0x88 is "ł" (0xB3 in the fonts), 0xBD/0xBE are "Ż"/"ż"; 0xB3 stays a vertical line.
  Render("\x88\xbd\xbe\xb3");
  ASSERT_EQ(Page().Texts.size(), 3u);
  EXPECT_EQ(Page().Texts[0].Text, "\xb3");
  EXPECT_EQ(Page().Texts[1].Text, "\xaf");
  EXPECT_EQ(Page().Texts[2].Text, "\xbf");
  EXPECT_EQ(Lines(), (std::vector<Points>{{{211, 0}, {211, 102}}}));
  // The same 0xBE in a Mazovia file is a box character.
  system.Documents.clear();
  job.Settings.CodePage = CodePageId::Mazovia;
  Render("\xbe");
  EXPECT_TRUE(Page().Texts.empty());
  EXPECT_EQ(Page().Lines.size(), 2u);
}

TEST_F(EmulationTest, FrameWidthAndEscQuoteFSetThePen) {
  job.Settings.FrameWidth = 3;
  Render("\xc4\x1b\"F\x05\xc4\x1b\"F\x00\xc4\x0c\xc4"sv);
  EXPECT_EQ(Page(0).Lines[0].Width, 3);
  EXPECT_EQ(Page(0).Lines[1].Width, 5);
  EXPECT_EQ(Page(0).Lines[2].Width, 3);  // 0 means the frame width of the job
  EXPECT_EQ(Page(1).Lines[0].Width, 3);  // the pen carries over to the next page
}

// --- Escape sequences --------------------------------------------------------------------------

TEST_F(EmulationTest, VerticalFeedsAreFractionsOfAnInch) {
  struct Case {
    bool scale216;
    std::string input;
    int y;
  };
  const std::vector<Case> cases = {
      {true, "\x1bJ\x24X", 100},   // 36/216 inch
      {true, "\x1bJ\x01X", 2},     // 600/216 truncated
      {false, "\x1bJ\x1eX", 100},  // 30/180 inch
      {true, "\x1bJ\x24\x1bj\x12X", 50},
      {true, "\x1bj\x24X", -100},  // above the printable area, with no limit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.input));
    system.Documents.clear();
    job.Settings.Scale216 = c.scale216;
    Render(c.input);
    EXPECT_EQ(TextOf('X').Y, c.y);
    EXPECT_EQ(TextOf('X').X, 5);
  }
}

TEST_F(EmulationTest, AbsolutePositionAndLeftMargin) {
  Render("\x1b$\x3c\x00" "A\t" "B\r\x1b$\x00\x01" "C\r\n" "\x1bl\x05" "D\x1bl\x00" "E"sv);
  EXPECT_EQ(TextOf('A').X, 605);            // one inch right of the margin
  EXPECT_EQ(TextOf('B').X, 600 + 60 * 8 + 5);  // HT still counts from column 2: to column 9
  EXPECT_EQ(TextOf('C').X, 2560 + 5);        // 256/60 inch
  EXPECT_EQ(TextOf('D').X, 300 + 5);         // ESC l 5: half an inch
  EXPECT_EQ(TextOf('E').X, 60 + 5);          // margin gone, column two
}

TEST_F(EmulationTest, SkippedSequencesConsumeTheirArguments) {
  // ESC ( takes six bytes whatever they are, ESC and the prefix byte included.
  Render("\x1b(\x1b\xfa\x1b\x0c\x0d\x0a" "A" "\x1b!\x41" "B" "\x1b" "E" "C" "\x1b@" "D");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"ABCD"}));
  EXPECT_EQ(TextOf('A').X, 5);
  EXPECT_EQ(TextOf('D').X, 3 * 60 + 5);
  EXPECT_EQ(TextOf('A').Y, 0);
}

TEST_F(EmulationTest, EveryEscapeTakesExactlyItsBytes) {
  // Each sequence stands between A and B; argument bytes that would print (X, Y, Z) or break the
  // page (FF) must do neither, and B must not be taken as one.
  struct Case {
    std::string sequence;
    std::vector<std::string> pages = {"AB"};
  };
  const std::vector<Case> cases = {
      {Esc('\x0c'), {"A", "B"}}, {Esc('$', 'X', 0)}, {Esc('J', 'X')}, {Esc('j', '\x0c')}, {Esc('l', '\x0c')},
      {Esc('"', 'F', 'X')}, {Esc('"', 'R', 'X', 'Y', 'Z')}, {Esc('"', 'r', 'X', 'Y', 'Z')},
      {Esc('"', 'S')}, {Esc('"', 't')}, {Esc('"', 'y')},  // the orientation acts only at the start
      // consumed with their bytes
      {Esc('!', 'X')}, {Esc('(', 'X', 'X', 'X', 'X', 'X', 'X')}, {Esc('-', 'X')}, {Esc('I', 'X')}, {Esc('R', 'X')},
      {Esc('S', 'X')}, {Esc('W', 'X')}, {Esc('_', 'X')}, {Esc('h', 'X')}, {Esc('p', 'X')}, {Esc('q', 'X')},
      {Esc('t', 'X')}, {Esc('x', 'X')}, {Esc('~', 'X')},
      {Esc('y')},  // unknown: ESC and its byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.sequence));
    system.Documents.clear();
    Render("A" + c.sequence + "B");
    EXPECT_EQ(PageTexts(), c.pages);
  }
  // Every row of the tables has its case above.
  auto has_case = [&](const std::string& start) {
    return std::ranges::any_of(cases, [&](const Case& c) { return c.sequence.starts_with(start); });
  };
  for (const own::EscCommand& row : own::EscCommands()) EXPECT_TRUE(has_case(Esc(row.Code))) << row.Code;
  for (const own::EscCommand& row : own::QuotedCommands()) EXPECT_TRUE(has_case(Esc('"', row.Code))) << row.Code;
}

TEST_F(EmulationTest, EscFormFeedAndEscJBreakPages) {
  Render("A\x1b\x0c" "B");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A", "B"}));
  system.Documents.clear();
  job.Settings.ForceFF = true;
  job.Settings.FFLines = true;  // ESC J tests the page height even in line-count mode
  // 6816 printable px: feeds of 255/216 inch (708 px) reach past it on the tenth.
  std::string feeds;
  for (int i = 0; i < 9; ++i) feeds += "\x1bJ\xff";
  Render("A" + feeds + "B\x1bJ\xff" "C");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"AB", "C"}));
  system.Documents.clear();
  job.Settings.ForceFF = false;
  Render("A" + feeds + "B\x1bJ\xff" "C");
  // One page; C lies below the sheet (7080 px down, the sheet ends at 6916), so it is not drawn.
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"AB"}));
}

TEST_F(EmulationTest, TextColourLastsUntilTheNextFontSwitch) {
  Render("\x1b\"R\x10\x20\x30" "A\r\n" "B\xfa\x34" "C\x1b\"r\x01\x00\x00\xfa\x31" "D"sv);
  EXPECT_EQ(TextOf('A').Color, 0x302010u);
  EXPECT_EQ(TextOf('B').Color, 0x302010u);  // across lines
  EXPECT_EQ(TextOf('C').Color, 0x000000u);  // the 12 cpi font brings its own colour
  EXPECT_EQ(TextOf('D').Color, 0x000000u);  // the reset sets black
}

TEST_F(EmulationTest, SequencesCutShortReadZeros) {
  for (const char* input : {"\x1b", "\x1bJ", "\x1b$\x05", "\x1b\"", "\x1b\"R\x10", "\xfa", "\x1b("}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(input)));
    system.Documents.clear();
    EXPECT_EQ(Render(input), TRenderOutcome::Completed);
    EXPECT_EQ(Pages().size(), 1u);
    EXPECT_TRUE(Page().Texts.empty());
  }
}

// --- Prefix commands, pitch and attributes -----------------------------------------------------

TEST_F(EmulationTest, LineSpacingCommands) {
  Render("A\n\xfaOB\n\xfaSC\n");
  EXPECT_EQ(TextOf('B').Y, 100);
  EXPECT_EQ(TextOf('C').Y, 175);
}

TEST_F(EmulationTest, ResetKeepsThePositionAndTheSecondFormBreaksThePage) {
  Render("\xfa\x35" "AB\xfa\x31" "C\t" "D\xfa\x32" "E");
  const double cell17 = 600000.0 / 17125;
  EXPECT_EQ(TextOf('C').X, static_cast<int>(std::nearbyint(2 * cell17 + 5)));  // x stays, 10 cpi again
  EXPECT_EQ(TextOf('C').Size, 10);
  // Column is 1 again after the reset, so HT from column 2 goes to column 9: seven 10-cpi cells.
  EXPECT_EQ(TextOf('D').X, static_cast<int>(std::nearbyint(2 * cell17 + 8 * 60 + 5)));
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"ABCD", "E"}));
}

TEST_F(EmulationTest, UnknownPrefixLettersAreConsumed) {
  Render("\xfaZ\xfa\x30\xfa\x37\xfas\xfaL\xfaP" "A");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(TextOf('A').X, 5);
}

TEST_F(EmulationTest, PitchFontsSitOnTheBaseFontsCellBottom) {
  struct Case {
    std::string command;
    int size;
    int width;     // cell width in px, to place the second character
    int shift;     // baseline shift: 99 - height of "X"
    int glyph;     // the fake's glyph width
  };
  const std::vector<Case> cases = {
      {"\xfa\x33", 10, 60, 0, 50},   {"\xfa\x34", 8, 50, 19, 40},     {"\xfa\x36", 8, 30, 19, 40},
      {"\xfa\x45", 12, 120, -21, 60}, {"\xfa\x41", 6, 60, 39, 30},    {"\xfa\x42", 6, 60, 0, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.command));
    system.Documents.clear();
    Render(c.command + "AB");
    EXPECT_EQ(TextOf('A').Size, c.size);
    EXPECT_EQ(TextOf('A').Y, c.shift);
    EXPECT_EQ(TextOf('B').X, static_cast<int>(std::nearbyint(c.width + (c.width - c.glyph) / 2.0)));
  }
}

TEST_F(EmulationTest, ExpandedModeRemembersThePitch) {
  struct Case {
    std::string input;
    int size;    // of the font after the sequence
    double cell;  // width of the column the last character moves through
  };
  const std::vector<Case> cases = {
      {"\xfa\x34\xfa\x45", 12, 100.0},                      // 12 cpi expanded: 6000
      {"\xfa\x34\xfa\x45\xfa\x65", 8, 50.0},               // back to 12 cpi
      {"\xfa\x35\xfa\x45", 12, 600000.0 / 8562},           // 17.125 halved down to 8562
      {"\xfa\x35\xfa\x45\xfa\x65", 8, 600000.0 / 17125},
      {"\xfa\x45\xfa\x45\xfa\x65", 10, 60.0},              // twice on, once off
      {"\xfa\x65", 10, 60.0},                              // off when not expanded: nothing
      {"\xfa\x45\xfa\x36\xfa\x65", 10, 60.0},              // a pitch inside expanded mode is forgotten
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.input));
    system.Documents.clear();
    Render(c.input + "AB");
    EXPECT_EQ(TextOf('B').Size, c.size);
    const int glyph = TextOf('B').Size == 12 ? 60 : TextOf('B').Size == 10 ? 50 : 40;
    EXPECT_EQ(TextOf('B').X, static_cast<int>(std::nearbyint(c.cell + (c.cell - glyph) / 2.0)));
  }
}

TEST_F(EmulationTest, AttributesSurviveFontSwitchesAndComeBackAfterAReset) {
  Render("\xfaG\xfa\x34" "A\xfaI\xfaI\xfai" "B\xfaU\xfa\x31" "C\xfa\x34" "D\xfag\xfau" "E\xfaN" "F\xfan" "G");
  auto style = [&](char c) {
    const TFontSpec& f = TextOf(c).Font;
    return std::string(f.Bold ? "b" : "") + (f.Italic ? "i" : "") + (f.Underline ? "u" : "");
  };
  EXPECT_EQ(style('A'), "b");
  EXPECT_EQ(TextOf('A').Size, 8);
  EXPECT_EQ(style('B'), "b");   // italic on twice, off once
  EXPECT_EQ(style('C'), "");    // the reset shows the base style ...
  EXPECT_EQ(style('D'), "bu");  // ... until the next switch lays the attributes on again
  EXPECT_EQ(style('E'), "");
  EXPECT_EQ(style('F'), "b");
  EXPECT_EQ(style('G'), "");
}

TEST_F(EmulationTest, SmallFontThenNormalFontKeepsThePitch) {
  Render("\xfa\x35\xfa\x41\xfa\x61" "AB");
  const double cell = 600000.0 / 17125;
  EXPECT_EQ(TextOf('B').Size, 10);
  EXPECT_EQ(TextOf('B').Y, 0);
  EXPECT_EQ(TextOf('B').X, static_cast<int>(std::nearbyint(cell + (cell - 50) / 2.0)));
}

TEST_F(EmulationTest, PrefixFormFeedsBreakPages) {
  Render("A\xfa" "FB\xfa" "fC");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A", "B", "C"}));
}

// A recognised job in our own dialect reads every byte through its code page, or as UTF-8: letters
// (also those whose bytes are box characters elsewhere) as text, box characters as lines, one
// column each.
TEST_F(EmulationTest, TextThroughTheCodePageOrAsUtf8) {
  struct Case {
    OwnText Text;
    CodePageId Table;
    std::string Input;
    std::string Drawn;  // the texts, in UTF-8
    std::size_t Lines;  // polylines
    int LastX;          // the last text's x: columns of 60 px from 5 (50-px glyphs centred)
  };
  const Case cases[] = {
      {OwnText::CodePage, CodePageId::Pc852, "P\xfdli\xe7 \xb5\xc4\xd4", "PřlišÁď", 1, 5 + 8 * 60},
      {OwnText::CodePage, CodePageId::Kamenicky, "\x80\x87\xc4", "Čč", 1, 65},
      {OwnText::CodePage, CodePageId::Pc866, "\x8c\xa8\xe0", "Мир", 0, 125},
      {OwnText::Utf8, CodePageId::Pc852, "\xef\xbb\xbf\xc5\xbb\xc3\xb3\xc5\x82w \xe2\x94\x80x", "Żółwx", 1, 5 + 6 * 60},
      {OwnText::Utf8, CodePageId::Pc852, "a\xc5" "b\xe2\x82\xac\xff\xc0\x80", "a\xef\xbf\xbd" "b€\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd",
       0, 5 + 6 * 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Input));
    system.Documents.clear();
    job.Prynda.Text = c.Text;
    job.Prynda.CodePage = c.Table;
    Render(c.Input);
    std::string drawn;
    for (const RecordedText& text : Page().Texts) drawn += text.Text;
    EXPECT_EQ(drawn, c.Drawn);
    EXPECT_EQ(Page().Lines.size(), c.Lines);
    ASSERT_FALSE(Page().Texts.empty());
    EXPECT_EQ(Page().Texts.back().X, c.LastX);
  }
}

// As in FX mode, a character no face has is drawn as the replacement character and named once.
TEST_F(EmulationTest, RecognisedTextSubstitutesACharacterNoFaceHas) {
  job.Settings.ShowMessages = false;
  job.Prynda.Text = OwnText::Utf8;
  system.MissingGlyphs = U"\u4E2D";
  Render("\xe4\xb8\xad" "A\xe4\xb8\xad");
  std::string drawn;
  for (const RecordedText& text : Page().Texts) drawn += text.Text;
  EXPECT_EQ(drawn, "\uFFFDA\uFFFD");
  EXPECT_EQ(Output(), "Znaków nie ma w żadnej czcionce, drukuję zamiast nich \uFFFD: U+4E2D\n");
}

}  // namespace
}  // namespace prynda::testing
