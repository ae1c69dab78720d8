// Inkjet jobs in FX mode on the recording fake at 600 dpi: graphics mode, remote mode, raster lines
// in inks, and what reaches the fake - images, their colours and places, the pages.
//
// Units are 1/60 inch (ESC ( U 1 0 60, ESC . 60 60, ESC ( D 3600 60 60): a dot is a cell of 10 x 10
// px, so a run of rows starting at column c and row r lies at (10 c, 10 r).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "render/escp/fx.h"
#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

// ESC ( c and its data, counted.
std::string Paren(char command, const std::string& data) {
  return "\x1b("s + command + static_cast<char>(data.size() & 0xFF) + static_cast<char>(data.size() >> 8) + data;
}
// Remote mode around its commands: two letters, a count and the bytes.
std::string Remote(const std::string& commands) {
  return Paren('R', "\0REMOTE1"s) + commands + "\x1b\0\0\0"s;
}
const std::string kGraphics = Esc('@') + Paren('G', "\x01") + Paren('U', "\x3c");  // units of 1/60 inch
// ESC . c 60 60 m nL nH and its data.
std::string Raster(char compression, int rows, int dots, const std::string& data) {
  return Esc('.', compression, 60, 60, rows, dots & 0xFF, dots >> 8) + data;
}
// ESC i r c b nL nH mL mH and its data, the dots 1/60 inch apart.
std::string Lines(int ink, int compression, int bits, int bytes, int lines, const std::string& data) {
  return Paren('D', "\x10\x0e\x3c\x3c") + Esc('i', ink, compression, bits, bytes, 0, lines, 0) + data;
}

const std::map<TRgb, std::string> kColors = {
    {0x000000, "black"},      {0xFFFF00, "cyan"},          {0xFF00FF, "magenta"}, {0x00FFFF, "yellow"},
    {0xFF0000, "blue"},       {0x0000FF, "red"},           {0x00FF00, "green"},   {0xFFFF80, "light cyan"},
    {0xFF80FF, "light magenta"}, {0x808080, "light black"},
};

class Escp2RasterTest : public EngineFixture {
 protected:
  Escp2RasterTest() {
    job.Prynda.Emulation = EmulationKind::Fx;
    job.Prynda.Pins = 24;
  }

  // Every image of every page as "page: x,y wxh colour rows", rows of dots joined by '/'.
  std::vector<std::string> Images() const {
    std::vector<std::string> images;
    for (std::size_t page = 0; page < Pages().size(); ++page) {
      for (const RecordedImage& image : Pages()[page].Images) {
        std::string dots;
        for (const std::string& row : image.Dots) dots += (dots.empty() ? "" : "/") + row;
        const auto color = kColors.find(image.Color);
        images.push_back(std::to_string(page + 1) + ": " + std::to_string(image.X) + "," + std::to_string(image.Y) +
                         " " + std::to_string(image.Width) + "x" + std::to_string(image.Height) + " " +
                         (color == kColors.end() ? std::to_string(image.Color) : color->second) + " " + dots);
      }
    }
    return images;
  }
};

TEST_F(Escp2RasterTest, JobsPrintTheirDotsInTheirInksOnTheirSheets) {
  struct Case {
    std::string name;
    std::string input;
    std::vector<std::string> images;
    std::size_t pages = 1;
  };
  const std::vector<Case> cases = {
      {"remote mode, then a line in cyan and in magenta: where both fall, blue",
       Remote("LD\0\0JS\x04\0\0\0\0\0SN\x01\0\0"s) + kGraphics + Esc('r', 2) + Raster(0, 1, 16, "\xf0\x0f") + "\r" +
           Esc('r', 1) + Raster(0, 1, 16, "\xff\x00"s) + "\r\x0c",
       {"1: 0,0 160x10 cyan ............####", "1: 0,0 160x10 magenta ....####........",
        "1: 0,0 160x10 blue ####............"}},
      {"ESC i: two-bit dots run-length coded in light cyan, then plain dots in yellow after them",
       kGraphics + Lines(0x12, 1, 2, 2, 2, "\x01\x40\x03\x01\x40\x03"s) + Lines(0x04, 0, 1, 1, 1, "\x81"),
       {"1: 0,0 160x20 yellow ........#......#/................",
        "1: 0,0 160x20 light cyan #......#......../#......#........"}},
      {"ESC i: a colour it does not name keeps the ink; a line longer than the sheet is cropped",
       kGraphics + Esc('r', 1) + Lines(0x33, 0, 1, 100, 1, std::string(100, '\xff')),
       {"1: 0,0 4760x10 magenta " + std::string(476, '#')}},
      {"positions: ESC ( V, ESC ( $, ESC ( v, ESC $, ESC ( \\, ESC \\ in the units of ESC ( U",
       kGraphics + Paren('V', "\x02\x00"s) + Paren('$', "\x03\0\0\0"s) + Raster(0, 1, 8, "\x80") +
           Paren('v', "\x01\x00"s) + Esc('$', 1, 0) + Raster(0, 1, 8, "\x80") + Paren('v', "\x01\x00"s) + "\r" +
           Paren('\\', "\x1e\x00\x02\x00"s) + Esc('\\', 1, 0) + Raster(0, 1, 8, "\x80"),
       {"1: 10,20 50x30 black ..#../#..../....#"}},
      {"two sheets by a form feed; remote mode, the job language and text at the end print nothing",
       "\x1b\x01@EJL 1284.4\n@EJL     \n"s + kGraphics + Raster(1, 1, 8, "\x00\x0f"s) + "\r\x0c" +
           Raster(0, 1, 8, "\xf0") + "\r\x0c" + Esc('@') + Remote("LD\0\0JE\x01\0\0"s),
       {"1: 40,0 40x10 black ####", "2: 0,0 40x10 black ####"},
       2},
      {"graphics mode drops characters; line feeds past the form stay on the sheet",
       kGraphics + "Tekst\x0b\x0e" + Paren('C', "\x3c\x00"s) + Esc('+', 60) + std::string(30, '\n') +
           Raster(0, 1, 8, "\x80") + "\x0c",
       {"1: 0,3000 10x10 black #"}},
      {"a move far below the sheet stops an inch below it: nothing lands on it, and ESC @ leaves it there",
       kGraphics + Paren('V', "\xff\xff\xff\x7f"s) + Raster(0, 1, 8, "\x80") + Esc('@') + "Tekst",
       {}},
      {"TIFF mode: rows of runs in inks, moves across in dots and bytes, down in the unit; up to <EXIT>",
       kGraphics + Esc('.', 2, 60, 60, 1, 0, 0) + "\x82\x22\x00\xf0\x48\x81\x22\x00\xff\x61\xe4\x41\x91\x12"s +
           "\x31\x02\x00\x80\xe2\x0c\xe3\r\x0c"s,
       {"1: 0,0 90x20 magenta ....####./.........", "1: 0,0 90x20 blue ####...../.........",
        "1: 0,0 90x20 light cyan ........./........#"}},
      {"ESC . outside graphics mode: the dots as they are, in the colour of ESC r",
       Esc('r', 6) + Esc('.', 0, 60, 60, 1, 8, 0) + "\x81",
       {"1: 0,0 80x10 green #......#"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    system.Documents.clear();
    Render(c.input);
    EXPECT_EQ(Images(), c.images);
    EXPECT_EQ(Pages().size(), c.pages);
    for (const RecordedPage& page : Pages()) EXPECT_TRUE(page.Texts.empty());
  }
}

TEST(CommandLengthTest, TellsTheBytesOfWhatTheRowsDoNotCount) {
  struct Case {
    std::string bytes;
    bool graphics;
    std::size_t length;
  };
  const std::vector<Case> cases = {
      {Esc('i', 0, 0, 1, 2, 0, 3, 0) + "123456" + "X", true, 15},
      {Esc('i', 0, 1, 2, 4, 0, 2, 0) + "\xfd\x00\x03\x01\x02\x03\x04X"s, true, 16},  // 4 + 4 in runs
      {Esc('i', 0, 0, 9) + "X", true, 5},                                         // b out of range: ends at b
      {Esc('i', 0) + "X", false, 0},                                              // immediate print: its row's
      {Esc('.', 1, 10, 10, 2, 16, 0) + "\xff\x00\x01\xaa\xbbX"s, false, 13},
      {Esc('.', 2, 10, 10, 1, 0, 0) + "\x22\x00\xf0\x31\x02\x00\x80\xe3X"s, true, 16},  // TIFF mode to <EXIT>
      {Esc('.', 2, 10, 10, 1, 0, 0) + "\x22"s, false, 8},
      {Remote("LD\0\0JS\x02\0\x1b\0"s) + "X", false, 27},                         // counted bytes may be ESC NUL
      {Paren('R', "\0REMOTX"s) + "LD", false, 12},                                // not remote mode: its count
      {"\x1b\x01@EJL 1284.4\n@EJL  \n\x1b@"s, false, 21},
      {"\x1b\x01@EJX"s, false, 2},
      {Esc('i', 0, 0, 1, 0xff, 0xff, 0xff, 0x7f) + "12", true, 11},                // cut short: all there is
      {Esc('E'), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    const auto* data = reinterpret_cast<const std::uint8_t*>(c.bytes.data());
    EXPECT_EQ(escp::CommandLength({data, c.bytes.size()}, c.graphics), c.length);
  }
}

}  // namespace
}  // namespace prynda::testing
