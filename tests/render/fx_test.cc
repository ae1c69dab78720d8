// FX mode (Epson ESC/P) on the recording fake at 600 dpi, 6816 px of printable height: every
// command takes exactly its bytes, and what each command group does to positions, fonts and pages.
//
// Fake metrics: Font10 10 pt, 50 px wide glyphs, 99 px high; the 8 pt pitch fonts 40 wide, 80 high;
// FontEM 12 pt, 60 wide, 120 high; FontAK 6 pt, 30 wide, 60 high; a glyph 0.6 em wide times the
// width percent. A character is drawn centred in its cell: x = cell start + (cell - glyph) / 2.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

class FxTest : public EngineFixture {
 protected:
  FxTest() { job.Prynda.Emulation = EmulationKind::Fx; }

  // A character drawn, by its UTF-8.
  const RecordedText& Text(const std::string& c, std::size_t page = 0) const {
    for (const RecordedText& text : Pages().at(page).Texts) {
      if (text.Text == c) return text;
    }
    throw std::logic_error("no text " + c);
  }
  const RecordedText& Text(char c, std::size_t page = 0) const { return Text(std::string(1, c), page); }
  std::string Style(char c) const {
    const TFontSpec& f = Text(c).Font;
    return std::string(f.Bold ? "b" : "") + (f.Italic ? "i" : "") + (f.Underline ? "u" : "") + (f.StrikeOut ? "s" : "");
  }
  // Where a glyph `width` px wide is drawn in the cell that starts at `cell_x`, `cell` px wide.
  static int Centred(double cell_x, double cell, int width) {
    return static_cast<int>(std::nearbyint(cell_x + (cell - width) / 2.0));
  }
  void RenderFresh(const std::string& input) {
    system.Documents.clear();
    Render(input);
  }
};

TEST_F(FxTest, EveryCommandTakesExactlyItsBytes) {
  // Each sequence stands between A and B; argument and image bytes that would print (X, Y, Z) or
  // act (LF, FF, ESC) must do neither.
  const std::vector<std::string> sequences = {
      // printer control
      Esc('@'), Esc('<'), Esc('U', 1), Esc('s', 0), Esc('8'), Esc('9'), Esc('\x19', 'X'), Esc('='), Esc('>'),
      Esc('#'), Esc('i', 'X'), Esc('a', 'X'), Esc('c', 'X', 'Y'), Esc('X', 'X', 'Y', 'Z'), Esc('q', 'X'), Esc('r', 1),
      Esc('h', 'X'), Esc('_', 'X'),
      "\0\a\x11\x13\x18\x7f\x1c\x1f"s,
      // print modes
      Esc('E') + Esc('F'), Esc('G') + Esc('H'), Esc('4') + Esc('5'), Esc('-', '1'), Esc('W', 0), Esc('w', 0),
      Esc('!', 0), Esc('M') + Esc('g') + Esc('P'), Esc('p', 0), Esc('S', 0) + Esc('T'), Esc('x', 1), Esc('k', 'X'),
      Esc('\x0e') + Esc('\x0f') + "\x12\x14", Esc('(', '-', 3, 0, 1, 1, 0),
      // lines and forms
      Esc('0'), Esc('1'), Esc('2'), Esc('3', 'X'), Esc('A', 'X'), Esc('+', 'X'), Esc('J', 0), Esc('j', 0),
      Esc('C', 'X'), Esc('C', 0, 'X'), Esc('N', 'X'), Esc('O'), Esc('B', 'X', 'Y', 'Z', 0), Esc('B', 'Y', 'X'),
      Esc('b', 1, 'X', 'Y', 0), Esc('/', 'X'), Esc('(', 'C', 2, 0, 'X', 'Y'), Esc('(', 'c', 4, 0, 'X', 0, 'Y', 0),
      Esc('(', 'V', 2, 0, 0, 0), Esc('(', 'v', 2, 0, 0, 0), Esc('(', 'U', 1, 0, 10),
      // horizontal motion
      Esc('$', 0, 0), Esc('\\', 0, 0), Esc('l', 0), Esc('Q', 'X'), Esc('D', 'X', 'Y', 0), Esc('D', 'Y', 'X'),
      Esc('e', 0, 'X'), Esc('f', 0, 0), Esc(' ', 'X'),
      // bit images: their data is made of bytes that would print or act
      Esc('K', 2, 0) + "X\n", Esc('L', 3, 0) + "\x0c\x1b\x0d", Esc('Y', 1, 0) + "Z", Esc('Z', 1, 0) + "Z",
      Esc('*', 0, 2, 0) + "XY", Esc('*', 39, 1, 0) + "X\x1bZ", Esc('*', 72, 1, 0) + "XYZXYZ", Esc('^', 0, 1, 0) + "XY",
      Esc('?', 'K', 33) + Esc('K', 1, 0) + "XYZ", Esc('.', 0, 20, 20, 2, 9, 0) + "XYZ\x0c",
      Esc('.', 1, 20, 20, 2, 16, 0) + "\x01XY\xffZ", Esc('.', 2, 20, 20, 2, 16, 0),
      // character tables
      Esc('t', 'X'), Esc('R', 'X'), Esc('6') + Esc('7'), Esc('&', 0, 'X', 'X') + "XXXXXXXXXXXX",
      Esc('&', 0, 'Y', 'X'), Esc(':', 0, 'X', 0), Esc('%', 'X'), Esc('I', 'X'), Esc('m', 'X'),
      Esc('(', 't', 3, 0, 0, 'X', 'Y'),
      // graphics mode and its raster lines; ESC @ leaves it (characters print again)
      Esc('(', 'G', 1, 0, 1) + Esc('i', 0, 1, 2, 2, 0, 2, 0) + "\x01X\x0c\xfd\x0a" + Esc('@'),
      Esc('(', 'G', 1, 0, '1') + Esc('i', 1, 0, 1, 1, 0, 1, 0) + "\x0c" + Esc('.', 0, 10, 10, 1, 8, 0) + "\x0c" + Esc('@'),
      Esc('(', 'G', 1, 0, 1) + Esc('i', 2, 0, 9) + Esc('@'),  // b out of range: the command ends there
      Esc('(', 'G', 1, 0, 1) + Esc('.', 2, 10, 10, 1, 0, 0) + "\x22\x01\x0c\x0a\x31\x03\x02\x0c\x0a\x0d\xe3"s + Esc('@'),
      Esc('(', 'D', 4, 0, 0x10, 0x0e, 'X', 'Y'), Esc('(', 'r', 2, 0, 1, 'X'), Esc('(', 'e', 2, 0, 0, 'X'),
      Esc('(', 'i', 1, 0, 'X'), Esc('(', 'K', 2, 0, 0, 'X'), Esc('(', 'm', 1, 0, 'X'), Esc('(', 's', 1, 0, 'X'),
      Esc('(', 'S', 8, 0, 'X', 'Y', 'Z', 'X', 'Y', 'Z', 'X', 'Y'), Esc('(', '$', 4, 0, 'X', 0, 0, 0),
      Esc('(', '/', 4, 0, 'X', 0, 0, 0), Esc('(', '\\', 4, 0, 'X', 0, 'Y', 0), Esc('(', 'C', 4, 0, 'X', 'Y', 0, 0),
      Esc('(', 'c', 8, 0, 'X', 0, 0, 0, 'Y', 0, 0, 0), Esc('(', 'V', 4, 0, 0, 0, 0, 0), Esc('(', 'v', 4, 0, 0, 0, 0, 0),
      Esc('(', 'U', 5, 0, 'X', 'Y', 'Z', 0x40, 0x0b),
      // remote mode up to ESC NUL NUL NUL, whatever its commands' bytes; the job language's lines
      Esc('(', 'R', 8, 0, 0, 'R', 'E', 'M', 'O', 'T', 'E', '1') + "LD\0\0JS\x04\0X\x0c\x1b\0IR\x02\0\0\x03\x1b\0\0\0"s,
      Esc('(', 'R', 3, 0, 'X', 'Y', 'Z'), "\x1b\x01@EJL 1284.4\n@EJL X\n"s,
      // unknown: ESC and its byte
      Esc('y'), Esc('(', 'z', 3, 0, 'X', '\x0c', 'Z'),
  };
  for (const std::string& sequence : sequences) {
    SCOPED_TRACE(::testing::PrintToString(sequence));
    RenderFresh("A" + sequence + "B");
    EXPECT_EQ(PageTexts(), std::vector<std::string>{"AB"});
  }
  // 24-pin user-defined characters: a0 a1 a2 and a1 columns of three bytes.
  job.Prynda.Pins = 24;
  RenderFresh("A" + Esc('&', 0, 'X', 'X', 0, 2, 0) + "XYZXYZ" + "B");
  EXPECT_EQ(PageTexts(), std::vector<std::string>{"AB"});
  // A count past the end of the file takes the rest.
  RenderFresh("A" + Esc('K', 0xff, 0xff) + "B\nC");
  EXPECT_EQ(PageTexts(), std::vector<std::string>{"A"});
}

TEST_F(FxTest, ControlCodes) {
  Render("A\nB\rC\x0b" "D\x08" "E\tF" "\xfa\x80\n\x0c" "G");
  EXPECT_EQ(Text('B').X, 5);  // LF returns the carriage
  EXPECT_EQ(Text('B').Y, 100);
  EXPECT_EQ(Text('C').X, 5);  // CR overprints
  EXPECT_EQ(Text('D').Y, 200);  // VT without tabs is a line feed
  EXPECT_EQ(Text('E').X, 5);    // BS took back D's column
  EXPECT_EQ(Text('F').X, 480 + 5);  // default tabs every 8 columns of 10 cpi
  EXPECT_EQ(Text("˙").X, 540 + 5);  // the prefix byte of our own dialect is a character here (PC852)
  EXPECT_EQ(Text("Ç").X, 600 + 5);
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"ABCDEF˙Ç", "G"}));
  EXPECT_EQ(Text('G', 1).Y, 0);

  // NUL takes no room whatever the settings say; BEL beeps.
  job.Settings.IgnoreNull = false;
  RenderFresh("A\0\a\aB"s);
  EXPECT_EQ(Text('B').X, 65);
  EXPECT_EQ(system.Beeps, 2);
}

TEST_F(FxTest, PrintModesChooseTheFontAndTheCell) {
  struct Case {
    std::string modes;
    int size;
    std::string style;
    double cell;    // of the character after X
    int y = 0;      // of X
    int glyph = 0;  // its width; 0: the width of the size's font at 100 %
  };
  const double condensed = 600000.0 / 17125;
  const std::vector<Case> cases = {
      {"", 10, "", 60},
      {Esc('E'), 10, "b", 60},
      {Esc('G'), 10, "b", 60},
      {Esc('4'), 10, "i", 60},
      {Esc('-', 1), 10, "u", 60},
      {Esc('(', '-', 3, 0, 1, 2, 1), 10, "s", 60},
      {Esc('!', 0xC9), 8, "biu", 50, 19},      // elite, bold, italic, underline at once
      {Esc('M'), 8, "", 50, 19},
      {Esc('g'), 8, "", 40, 19},
      {"\x0f", 8, "", condensed, 19},          // SI: 17.125 from 10 cpi
      {Esc('M') + "\x0f", 8, "", 30, 19},       // 20 from 12
      {Esc('g') + "\x0f", 8, "", 40, 19},       // not condensed at 15
      {"\x0f\x12", 10, "", 60},                 // DC2 ends it
      {Esc('p', 1) + Esc('M'), 10, "", 50},     // proportional: the pica font, X's own 50 px advance
      // Double width, height and both scale the pitch's letter: 200 %, twice the em at 50 %, both.
      {Esc('W', 1), 10, "", 120, 0, 100},
      {"\x0f" + Esc('W', 1), 8, "", 600000.0 / 8562, 19, 80},
      {Esc('w', 1), 20, "", 60, 0, 50},         // double height hangs from the top of the line
      {Esc('w', 1) + "\x0e", 20, "", 120, 0, 100},
      // ESC X: 21 points (em 175 px) in the pica cell, on the bottom of the line (99 - 210); 10 points
      // at 360/24 cpi; proportional; superscript at 2/3 of 21 points (em 117) at 5 cpi; ESC M ends it.
      {Esc('X', 0, 42, 0), 21, "", 60, -111, 105},
      {Esc('X', 24, 20, 0), 10, "", 40},
      {Esc('X', 1, 0, 0), 10, "", 50},
      {Esc('X', 72, 42, 0) + Esc('S', 0), 14, "", 120, 0, 70},
      {Esc('X', 72, 42, 0) + Esc('M'), 8, "", 50, 19},
      // ESC c: cells of 30/360 inch with the letter as it was, until SI (or any pitch command)
      {Esc('M') + Esc('c', 30, 0), 8, "", 50, 19},
      {Esc('c', 30, 0), 10, "", 50},
      {Esc('c', 30, 0) + "\x0f", 8, "", condensed, 19},
      {Esc('c', 30, 0) + Esc('W', 1), 10, "", 120, 0, 100},
      {Esc('p', 1) + Esc('c', 36, 0), 10, "", 60},  // ESC c fixes the cell of proportional print too
      {Esc('c', 30, 0) + Esc(' ', 0), 10, "", 60},   // ESC SP ends it
      {Esc('c', 30, 0) + Esc('w', 1), 20, "", 50, 0, 50},  // double height keeps it
      {Esc('S', 0), 6, "", 60},                 // superscript at the top
      {Esc('S', 1), 6, "", 60, 39},             // subscript at the bottom
      {Esc('S', 1) + Esc('T'), 10, "", 60},
      {Esc('E') + Esc('W', 1) + Esc('@'), 10, "", 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.modes));
    RenderFresh(c.modes + "XY");
    EXPECT_EQ(Text('X').Size, c.size);
    EXPECT_EQ(Style('X'), c.style);
    EXPECT_EQ(Text('X').Y, c.y);
    const int glyph = c.glyph != 0 ? c.glyph : c.size == 12 ? 60 : c.size == 10 ? 50 : c.size == 8 ? 40 : 30;
    EXPECT_EQ(Text('Y').X, Centred(c.cell, c.cell, glyph));
  }
}

TEST_F(FxTest, DoubleWidthForOneLine) {
  // SO and ESC SO widen the rest of the line; LF, CR (9-pin), DC4 and ESC W 0 end it.
  Render("\x0e" "AB\n" "C\x0e" "D\r" "E" + Esc('\x0e') + "F\x14" "G\x0e" + Esc('W', 0) + "H");
  EXPECT_EQ(Text('B').X, Centred(120, 120, 100));
  EXPECT_EQ(Text('C').Font.WidthPercent, 100);
  EXPECT_EQ(Text('E').Font.WidthPercent, 100);
  EXPECT_EQ(Text('F').Font.WidthPercent, 200);
  EXPECT_EQ(Text('G').X, 60 + 120 + 5);
  EXPECT_EQ(Text('H').Font.WidthPercent, 100);
  // On 24-pin printers a carriage return keeps it.
  job.Prynda.Pins = 24;
  RenderFresh("\x0e" "A\rB");
  EXPECT_EQ(Text('B').Font.WidthPercent, 200);
  // The same letter after a font switch has the width of the new font.
  RenderFresh("A\x0e" "A");
  EXPECT_EQ(Pages()[0].Texts.at(1).X, Centred(60, 120, 100));
}

TEST_F(FxTest, LineSpacingIsExactAcrossLines) {
  struct Case {
    bool pins9;
    std::string spacing;
    int y;  // of the 37th line
  };
  const std::vector<Case> cases = {
      {true, "", 3600},                   // 1/6 inch
      {true, Esc('0'), 2700},             // 1/8
      {true, Esc('1'), 2100},             // 7/72: 58.33 px a line, no drift
      {true, Esc('3', 1), 100},           // 1/216: 2.78 px a line, 36 of them one sixth
      {true, Esc('A', 1), 300},           // 1/72
      {false, Esc('3', 1), 120},          // 1/180 on 24-pin printers
      {false, Esc('A', 1), 360},          // 1/60
      {true, Esc('+', 10), 600},          // 1/36
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.spacing));
    job.Prynda.Pins = c.pins9 ? 9 : 24;
    RenderFresh(c.spacing + std::string(36, '\n') + "X");
    EXPECT_EQ(Text('X').Y, c.y);
  }
  // ESC J feeds without returning the carriage; ESC j goes back, never above the sheet.
  job.Prynda.Pins = 9;
  RenderFresh("A" + Esc('J', 108) + "B" + Esc('j', 54) + "C" + Esc('j', 255) + "D");
  EXPECT_EQ(Text('B').Y, 300);
  EXPECT_EQ(Text('B').X, 65);
  EXPECT_EQ(Text('C').Y, 150);
  EXPECT_EQ(Text('D').Y, 0);
}

TEST_F(FxTest, FormLengthBreaksSheetsAsFanfoldDoes) {
  struct Case {
    std::string form;
    int lines;  // of "X\n"
    std::vector<std::size_t> per_page;
  };
  const std::vector<Case> cases = {
      {"", 70, {68, 2}},                               // the power-on form: 6816 px, 68 lines of 100
      {Esc('C', 3), 7, {3, 3, 1}},                     // three lines
      {Esc('C', 0, 1), 7, {6, 1}},                     // one inch
      {Esc('C', 4) + Esc('N', 1), 7, {3, 3, 1}},       // the last line skipped over the perforation
      {Esc('C', 4) + Esc('N', 1) + Esc('O'), 7, {4, 3}},
      {Esc('N', 1) + Esc('C', 4), 7, {4, 3}},          // a new length cancels the skip
      {Esc('C', 0, 23) + Esc('C', 200), 70, {68, 2}},  // out of range: ignored
      {Esc('(', 'C', 2, 0, 0x68, 0x01), 7, {6, 1}},    // 360/360 inch
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.form));
    std::string input = c.form;
    for (int i = 0; i < c.lines; ++i) input += "X\n";
    RenderFresh(input);
    std::vector<std::size_t> per_page;
    for (const RecordedPage& page : Pages()) per_page.push_back(page.Texts.size());
    EXPECT_EQ(per_page, c.per_page);
    EXPECT_EQ(Pages().back().Texts.front().Y, 0);
  }
}

TEST_F(FxTest, ASheetIsPrintedOnlyWhenSomethingIsOnIt) {
  struct Case {
    std::string input;
    std::size_t pages;
  };
  std::string skips = Esc('C', 1);  // a form of one line, then lines skipped by the thousand
  for (int i = 0; i < 20; ++i) skips += Esc('f', 1, 255);
  const std::vector<Case> cases = {
      {"A\x0c", 1},
      {"A\x0c\r\n   \n" + Esc('2') + Esc('@'), 1},  // feeds, blanks and commands after the last form feed
      {"A\x0c\x0c" "B", 3},                          // a form feed puts out a blank sheet
      {"\x0c" "B", 2},                                // the first one too
      {"A\x0c" + Esc('K', 1, 0) + "\x01", 2},          // an image is something
      {"A\x0c" + std::string(140, '\n') + "B", 2},     // forms that pass by empty are not pages
      {std::string(140, '\n') + "B", 1},
      {"A" + skips + "B", 2},
      {"A" + Esc('N', 60) + std::string(600, '\n') + Esc('B', 2, 0) + "\x0b\x0b\x0b" "B", 2},  // skips, tabs
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.input.substr(0, 24)));
    RenderFresh(c.input);
    EXPECT_EQ(Pages().size(), c.pages);
  }
  RenderFresh("A\x0c" + std::string(140, '\n') + "B");
  EXPECT_EQ(Text('B', 1).Y, 400);  // 140 lines after the form feed: 68 + 68 + 4, on the sheet after A's
}

TEST_F(FxTest, AFormLongerThanTheSheetIsToldOnce) {
  std::string input = Esc('C', 0, 22);  // 13200 px
  for (int i = 0; i < 140; ++i) input += "X\n";
  job.Settings.ShowMessages = false;
  Render(input);
  EXPECT_EQ(Pages().size(), 2u);
  EXPECT_EQ(Pages()[0].Texts.size(), 70u);  // of the form's 132 lines, those on the sheet (to 6900 px)
  EXPECT_EQ(Output(), "Formularz dłuższy niż strona drukarki: wiersze 69–132 formularza nie mieszczą się na niej "
                      "(/FIT zmniejszy wydruk)\n");
}

TEST_F(FxTest, VerticalTabs) {
  Render(Esc('B', 3, 5, 0) + "A\x0b" "B\x0b" "C\x0b" "D" + Esc('B', 0) + "E\x0b" "F");
  EXPECT_EQ(Text('B').Y, 300);
  EXPECT_EQ(Text('C').Y, 500);
  EXPECT_EQ(Text('D', 1).Y, 0);  // no stop below: the next form
  EXPECT_EQ(Text('F', 1).Y, 0);  // all stops cleared: VT returns the carriage only
  EXPECT_EQ(Text('F', 1).X, 5);
}

TEST_F(FxTest, HorizontalPositionsMarginsAndTabs) {
  struct Case {
    std::string input;
    int x;  // of B
    int y = 0;
  };
  const double condensed = 600000.0 / 17125;
  const std::vector<Case> cases = {
      {Esc('$', 60, 0) + "B", 600 + 5},                     // 1/60 inch from the left margin
      {Esc('$', 0xe1, 1) + "B", 5},                          // 481/60 inch: past the right margin, ignored
      {"AAAA" + Esc('\\', 0x88, 0xff) + "B", 240 + 5},     // -120/120 inch: before the margin, ignored
      {"AAAA" + Esc('\\', 0xe8, 0xff) + "B", 240 - 120 + 5},     // -24/120 inch
      {Esc('l', 10) + "B", 600 + 5},                         // left margin, 10 columns of 10 cpi
      {Esc('M') + Esc('l', 10) + Esc('P') + "\rB", 500 + 5},  // ... counted in the pitch in force then
      {Esc('l', 10) + "\nB", 600 + 5, 100},
      {Esc('D', 5, 10, 0) + "\t\tB", 600 + 5},                // tab stops in columns
      {Esc('l', 5) + Esc('D', 5, 0) + "\tB", 600 + 5},        // ... from the left margin
      {Esc('D', 5, 0) + "\t\tB", 300 + 5},                    // no stop further right: HT ignored
      {Esc('Q', 3) + "AAAB", 5, 100},                          // past the right margin: next line
      {std::string(80, 'A') + "B", 5, 100},                    // the 8-inch line of the FX
      {"\x0f" + std::string(137, 'A') + "B", Centred(0, condensed, 40), 119},  // 137 condensed columns fit in it
      {"\x0f" + std::string(136, 'A') + "B", Centred(136 * condensed, condensed, 40), 19},
      {Esc(' ', 12) + "AB", 60 + 60 + 5},                      // 12/120 inch after every character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.input));
    RenderFresh(c.input);
    EXPECT_EQ(Text('B').X, c.x);
    EXPECT_EQ(Text('B').Y, c.y);
  }
}

TEST_F(FxTest, BitImagesAtEveryDensity) {
  // Two columns of dots, the top pin in the top bit: a diagonal's ends. At 600 dpi a dot is 10 px
  // across at 60 dpi, 5 at 120, 2.5 at 240, 3 1/3 at 180; down 8 1/3 px at 72 (9-pin), 10 at 60
  // (eight dots on 24 pins), 3 1/3 at 180. The image starts after A, 60 px right.
  const std::vector<std::string> eight = {"#.", "..", "..", "..", "..", "..", "..", ".#"};
  struct Case {
    std::string Input;
    bool Pins24;
    int Width, Height;
    std::vector<std::string> Dots;
  };
  std::vector<std::string> nine = eight;
  nine.push_back("##");
  std::vector<std::string> twenty_four(24, "..");
  twenty_four[0] = "#.";
  twenty_four[23] = ".#";
  const std::vector<Case> cases = {
      {Esc('K', 2, 0) + "\x80\x01", false, 20, 67, eight},
      {Esc('L', 2, 0) + "\x80\x01", false, 10, 67, eight},
      {Esc('Y', 2, 0) + "\x80\x01", false, 10, 67, eight},
      {Esc('Z', 2, 0) + "\x80\x01", false, 5, 67, eight},
      {Esc('*', 4, 2, 0) + "\x80\x01", false, 15, 67, eight},  // 80 dpi: 7.5 px a dot
      {Esc('*', 0, 2, 0) + "\x80\x01", true, 20, 80, eight},
      {Esc('^', 0, 2, 0) + "\x80\x80\x01\x80", false, 20, 75, nine},
      {Esc('*', 39, 2, 0) + "\x80\0\0\0\0\x01"s, true, 7, 80, twenty_four},
      {Esc('?', 'K', 3) + Esc('K', 2, 0) + "\x80\x01", false, 5, 67, eight},
      // Raster rows of 16 dots, 1/360 inch apart: a run of two 0xAA bytes, then two bytes as they are.
      {Esc('.', 1, 10, 10, 2, 16, 0) + "\xff\xaa\x01\x0f\xf0", true, 27, 3,
       {"#.#.#.#.#.#.#.#.", "....########...."}},
      // Cut short by the end of the file: the columns there are.
      {Esc('K', 4, 0) + "\x80\x01", false, 20, 67, eight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Input));
    job.Prynda.Pins = c.Pins24 ? 24 : 9;
    RenderFresh("A" + c.Input);
    ASSERT_EQ(Pages().at(0).Images.size(), 1u);
    const RecordedImage& image = Pages()[0].Images[0];
    EXPECT_EQ(image.X, 60);
    EXPECT_EQ(image.Y, 0);
    EXPECT_EQ(image.Width, c.Width);
    EXPECT_EQ(image.Height, c.Height);
    EXPECT_EQ(image.Dots, c.Dots);
  }
}

TEST_F(FxTest, BandsFedByTheirHeightMeetEdgeToEdge) {
  // 8-dot bands fed 24/216 inch (66 2/3 px) apart: edges at 0, 67, 133, 200.
  std::string input = Esc('3', 24);
  for (int band = 0; band < 3; ++band) input += Esc('K', 1, 0) + "\xff\r\n";
  Render(input);
  const auto& images = Pages().at(0).Images;
  ASSERT_EQ(images.size(), 3u);
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int top = static_cast<int>(std::lround(i * 200 / 3.0));
    const int bottom = static_cast<int>(std::lround((i + 1) * 200 / 3.0));
    EXPECT_EQ(images[i].Y, top);
    EXPECT_EQ(images[i].Y + images[i].Height, bottom);
  }
}

TEST_F(FxTest, BitImagesMoveThePrintPositionByTheirWidth) {
  Render("A" + Esc('K', 60, 0) + std::string(60, '\0') + "B" + Esc('*', 39, 90, 0) + std::string(270, '\0') + "C");
  EXPECT_EQ(Text('B').X, 60 + 600 + 5);        // 60 columns at 60 dpi: an inch
  EXPECT_EQ(Text('C').X, 120 + 900 + 5);       // 90 columns at 180 dpi: half an inch
}

TEST_F(FxTest, DataAsCharactersPrintsControlBytes) {
  Render("A" + Esc('(', '^', 2, 0) + "\x0c\x0d" + "B");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A♀♪B"}));  // the PC's pictures
  EXPECT_EQ(Text('B').X, 180 + 5);
}

TEST_F(FxTest, CharacterTablesAndCountriesSwitchMidLine) {
  struct Case {
    CodePageId Table;  // the job's
    std::string Input;
    std::string Printed;
  };
  const std::vector<Case> cases = {
      // ESC R: twelve places of ASCII per country; an unknown country changes nothing.
      {CodePageId::Pc852, "#@[~" + Esc('R', 2) + "#@[~" + Esc('R', 3) + "#@" + Esc('R', 99) + "#" + Esc('R', 0) + "#",
       "#@[~#§Äß£@£#"},
      // The job's table in slots 1 to 3; ESC t 0 the italic table (ASCII again, and so ESC R's characters).
      {CodePageId::Pc850, "\x81\xe1" + Esc('t', '0') + "\xc1" + Esc('R', 2) + "\xc0" + Esc('t', 3) + "\x81", "üßA§ü"},
      {CodePageId::Pc866, "\x80\xef\xf0", "АяЁ"},
      {CodePageId::Kamenicky, "\x80\x87\xa9", "Ččř"},
      {CodePageId::Mazovia, "\x86\x92\x9e", "ąłś"},
      {CodePageId::Windows1250, "\xb9\x9c\xe8\x81", "ąśč"},  // 0x81: no character there, a blank
      {CodePageId::Iso8859_2, "\xb1\xb6\xe8", "ąśč"},
      // ESC ( t puts a registered table into a slot; one the registry lacks leaves it.
      {CodePageId::Pc852, Esc('(', 't', 3, 0, 2, 14, 0) + "\x80" + Esc('t', 2) + "\x80" +
                              Esc('(', 't', 3, 0, 2, 99, 0) + "\x80" + Esc('(', 't', 3, 0, '2', 1, 0) + "\x80",
       "ÇААÇ"},
      // Mazowia (27 0) assigned and selected: the Polish letters, where PC852 has others.
      {CodePageId::Pc852, Esc('(', 't', 3, 0, 1, 27, 0) + "\x86\x8d\x91\x92\xa4\xa2\x9e\xa6\xa7",
       "ąćęłńóśźż"},
      {CodePageId::Pc437, Esc('(', 't', 3, 0, 3, 27, 0) + "\x86" + Esc('t', '3') + "\x86\xa1\xdb", "åąŻ"},
      // The West European tables: PC858's euro where PC850 has ı; Latin 9's where Latin 1 has ¤.
      {CodePageId::Pc852, Esc('(', 't', 3, 0, 1, 44, 0) + "\xd5" + Esc('(', 't', 3, 0, 1, 3, 0) + "\xd5" +
                              Esc('(', 't', 3, 0, 1, 29, 16) + "\xa4\xe9\x80" + Esc('(', 't', 3, 0, 1, 29, 15) + "\xa4\xa6",
       "€ı¤é€Š"},
      // Letters where PC437 draws lines print as letters; PC437's lines in any DOS table.
      {CodePageId::Pc852, "\xb5\xc6\xd0\xc4", "ÁĂđ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Input));
    job.Prynda.CodePage = c.Table;
    RenderFresh(c.Input);
    EXPECT_EQ(PageTexts(), std::vector<std::string>{c.Printed});
  }
  EXPECT_EQ(Pages()[0].Lines.size(), 1u);  // the ─ of the last case
  // The italic table slants its upper half whatever the print mode; its 0x80-0x9F are control
  // codes (0x8A a line feed) until ESC 6.
  job.Prynda.CodePage = CodePageId::Pc437;
  RenderFresh(Esc('t', 0) + "A\xc1\x8a" "B" + Esc('6') + "\x8a" "C");
  EXPECT_EQ(Text('A').Font.Italic, false);
  EXPECT_EQ(Pages()[0].Texts.at(1).Font.Italic, true);
  EXPECT_EQ(Text('B').Y, 100);
  EXPECT_EQ(Text('C').X, Text('B').X + 60);
}

TEST_F(FxTest, UnknownTablesAndDownloadedCharactersAreNamedOnceAtTheEnd) {
  job.Prynda.CodePage = CodePageId::Pc852;
  job.Settings.ShowMessages = false;
  const std::string unknown = Esc('(', 't', 3, 0, 1, 99, 0);
  Render(unknown + "\xa5" + Esc('&', 0, 'A', 'A') + std::string(12, '\0') + "A" + unknown + Esc('&', 0, 'B', 'A') +
         Esc('(', 't', 3, 0, 1, 12, 1) + Esc('(', 't', 3, 0, 9, 98, 0) + "\xa5");
  EXPECT_EQ(PageTexts(), std::vector<std::string>{"ąAą"});  // the slot keeps PC852; ESC & draws nothing
  EXPECT_EQ(Output(),
            "Tablicy znaków 99 0 (ESC ( t) nie znam, drukuję w poprzedniej\n"
            "Znaki ładowane do drukarki (ESC &) pominięto, drukuję w ich miejscu znaki tablicy\n"
            "Tablicy znaków 12 1 (ESC ( t) nie znam, drukuję w poprzedniej\n");  // slot 9: no such slot
}

TEST_F(FxTest, ShadesAndBlocksFillTheirCells) {
  // PC437's blocks at 10 cpi on lines of 7/72 inch: cells of 60 x 58 1/3 px, in 100, 25, 50, 75 %
  // of black; a second line starts where the first ends.
  job.Prynda.CodePage = CodePageId::Pc437;
  Render(Esc('1') + "\xdb\xdf\xdc\xdd\xde\xb0\xb1\xb2\n\xdb\xdb");
  std::vector<std::string> fills;
  for (const RecordedFill& f : Pages().at(0).Fills) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d %dx%d %06X", f.X, f.Y, f.Width, f.Height, f.Color);
    fills.push_back(text);
  }
  EXPECT_EQ(fills, (std::vector<std::string>{"0,0 60x58 000000", "60,0 60x29 000000", "120,29 60x29 000000",
                                             "180,0 30x58 000000", "270,0 30x58 000000", "300,0 60x58 BFBFBF",
                                             "360,0 60x58 7F7F7F", "420,0 60x58 404040", "0,58 60x59 000000",
                                             "60,58 60x59 000000"}));
  EXPECT_TRUE(Pages()[0].Texts.empty());
}

TEST_F(FxTest, ACharacterNoFaceHasIsSubstitutedAndNamedOnce) {
  job.Prynda.CodePage = CodePageId::Pc866;
  job.Settings.ShowMessages = false;
  system.MissingGlyphs = U"ЖЯ";
  Render("\x86\x9f\x86" "A");
  EXPECT_EQ(PageTexts(), std::vector<std::string>{"\uFFFD\uFFFD\uFFFDA"});
  EXPECT_EQ(Output(), "Znaków nie ma w żadnej czcionce, drukuję zamiast nich \uFFFD: U+0416, U+042F\n");
  system.MissingGlyphs = U"Ж\uFFFD";
  RenderFresh("\x86");
  EXPECT_EQ(PageTexts(), std::vector<std::string>{"?"});
}

TEST_F(FxTest, TheOwnDialectReturnsTheCarriageOnlyWhenAsked) {
  job.Prynda.Emulation = EmulationKind::Own;
  Render("A\nB");
  EXPECT_EQ(Text('B').X, 65);
  job.Prynda.AutoCR = true;
  RenderFresh("A\nB\xfa" "E\n" "C");
  EXPECT_EQ(Text('B').X, 5);
  EXPECT_EQ(Text('C').X, 30);     // the start of the line, in the cell of expanded print:
  EXPECT_EQ(Text('C').Size, 12);  // the prefix commands still act
}

}  // namespace
}  // namespace prynda::testing
