// FX mode end to end: the built program prints samples and small files in Epson ESC/P on "Prynda
// PDF", read back with poppler-utils - one test per command group.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
constexpr double kPxPerPt = 600.0 / 72.0;
constexpr double kMarginPx = 100.0;

struct Word {
  double X, Y, Width;  // device px, from the printable area's top-left corner
  std::string Text;
};

std::vector<Word> Words(const std::string& pdf, int page) {
  const std::string bbox = Shell("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                 " '" + pdf + "' -");
  static const std::regex word(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)"[^>]*>([^<]*)<)re");
  std::vector<Word> words;
  for (auto it = std::sregex_iterator(bbox.begin(), bbox.end(), word); it != std::sregex_iterator(); ++it) {
    const double x = std::stod((*it)[1]) * kPxPerPt;
    words.push_back(Word{x - kMarginPx, std::stod((*it)[2]) * kPxPerPt - kMarginPx,
                         std::stod((*it)[3]) * kPxPerPt - x, (*it)[4]});
  }
  return words;
}

const Word& Find(const std::vector<Word>& words, const std::string& text) {
  const auto found = std::find_if(words.begin(), words.end(), [&](const Word& w) { return w.Text == text; });
  if (found == words.end()) throw std::runtime_error("no word " + text);
  return *found;
}

class FxPrintTest : public ::testing::Test {
 protected:
  // Prints a file (a sample's path, or bytes written here) with the options; returns the PDF.
  std::string Print(const std::string& file, std::vector<std::string> options = {"/FX"}) {
    const std::string pdf = dir_.File("out" + std::to_string(++printed_) + ".pdf");
    options.insert(options.begin(), file);
    const ProgramRun run = RunPrynda({.Args = options, .Env = {{"PRYNDA_PDF", pdf}}});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    return pdf;
  }
  std::string PrintBytes(const std::string& bytes) { return Print(dir_.Write("plik.prn", bytes)); }
  static std::string Sample(const std::string& name) { return (kExamples / name).string(); }

  TempDir dir_;
  int printed_ = 0;
};

TEST_F(FxPrintTest, ControlCodesLineFeedReturnsTheCarriage) {
  // The LF-only listing: in FX mode, and with /LF in our own dialect, its second line starts at the
  // left margin; without /LF it starts where the first line ended (42 columns on).
  for (const auto& [options, x] : std::vector<std::pair<std::vector<std::string>, double>>{
           {{"/FX"}, 5}, {{"/LF"}, 5}, {{}, 42 * 60 + 5}}) {
    SCOPED_TRACE(options.empty() ? "none" : options[0]);
    const std::string pdf = Print(Sample("wykaz-lf.txt"), options);
    EXPECT_EQ(PdfPageCount(pdf), 2);
    const std::vector<Word> words = Words(pdf, 1);
    EXPECT_NEAR(Find(words, "Wykaz").X, x, 1.0);
    EXPECT_NEAR(Find(words, "Wykaz").Y - Find(words, "WAGA").Y, 100, 1.0);
  }
}

TEST_F(FxPrintTest, PrintModesChooseFacesAndCells) {
  const std::string pdf = PrintBytes("\x1b@plain \x1b" "Ebold\x1b" "F \x1b" "4italic\x1b" "5\r\n"
                                     "\x0f" "condensed\x12\r\n\x1bW1wide\x1bW0\r\n\x1bMelite\r\n");
  const std::string fonts = Shell("pdffonts '" + pdf + "'");
  EXPECT_NE(fonts.find("LiberationMono-Bold "), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationMono-Italic "), std::string::npos) << fonts;
  const std::vector<Word> words = Words(pdf, 1);
  // Eight cells and the last glyph at 17.125 cpi with 8-point glyphs (40 px); cells of 5 cpi for
  // double width; four cells and a glyph at 12 cpi.
  EXPECT_NEAR(Find(words, "condensed").Width, 8 * 600000.0 / 17125 + 40, 1.0);
  EXPECT_NEAR(Find(words, "wide").Width, 3 * 120 + 100, 1.0);  // 5-cpi cells of letters twice as wide
  EXPECT_NEAR(Find(words, "elite").Width, 4 * 50 + 40, 1.0);
}

TEST_F(FxPrintTest, LinesAndFormsTheFormLengthBreaksTheSheet) {
  // The invoice sets a form of 36 lines and sends no form feed but its last byte.
  std::ifstream in(Sample("faktura-fx.txt"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes.find('\x0c'), bytes.size() - 1);
  const std::string pdf = Print(Sample("faktura-fx.txt"));
  ASSERT_EQ(PdfPageCount(pdf), 2);
  const std::vector<Word> first = Words(pdf, 1), second = Words(pdf, 2);
  for (const Word& word : first) EXPECT_LT(word.Y, 36 * 100) << word.Text;
  EXPECT_NEAR(second.front().Y, Find(first, "Sprzedawca:").Y - 200, 1.0);  // the top line, as line 3 is 200 px lower
}

TEST_F(FxPrintTest, HorizontalMarginsTabsAndPositions) {
  const std::vector<Word> words = Words(Print(Sample("zamowienie-fx.txt")), 1);
  const double margin = 6 * 60;  // ESC l 6
  EXPECT_NEAR(Find(words, "ZAMÓWIENIE").X, margin + 5, 1.0);
  EXPECT_NEAR(Find(words, "-18,").X, margin + 5, 1.0);  // past ESC Q 74: on at the start of the next line
  for (const auto& [word, column] : std::vector<std::pair<std::string, int>>{
           {"Towar", 6}, {"Ilość", 34}, {"J.m.", 46}, {"Cena", 58}}) {
    EXPECT_NEAR(Find(words, word).X, margin + column * 60 + 5, 1.0) << word;  // ESC D, from the margin
  }
  EXPECT_NEAR(Find(words, "2026-12-09").X, margin + 600 + 5, 1.0);            // ESC $ 60
  EXPECT_NEAR(Find(words, "Grażyna").X, margin + 18 * 60 + 600 + 5, 1.0);      // ESC \ 120 after 18 columns
}

TEST_F(FxPrintTest, BitImagesTakeTheirBytesAndTheirWidth) {
  std::string image;
  for (int i = 0; i < 60; ++i) image += static_cast<char>("AB\x0c\x1b\n"[i % 5]);
  const std::string pdf = PrintBytes("Nad\x1bK\x3c\x00"s + image + "Pod\x1b*\x27\x02\x00XYZXYZ\x1b.\x01\x14\x14\x01\x10\x00\xff\x0c" "Dalej"s);
  EXPECT_EQ(PdfPageCount(pdf), 1);
  const std::vector<Word> words = Words(pdf, 1);
  ASSERT_EQ(words.size(), 3u);
  EXPECT_NEAR(Find(words, "Pod").X, 3 * 60 + 600 + 5, 1.0);  // 60 columns at 60 dpi
  // Two columns at 180 dpi and sixteen dots at 20/3600 inch.
  EXPECT_NEAR(Find(words, "Dalej").X, 6 * 60 + 600 + 2 * 600 / 180.0 + 16 * 20 * 600 / 3600.0 + 5, 1.0);
}

// Gray pixels of page 1 rendered at `dpi`.
struct Raster {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Pixels;
  bool Dark(double x, double y) const {
    return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] < 128;
  }
};

// `crop`: pdftoppm's -x, -y, -W, -H, in pixels at `dpi`; the raster is then that part of the page.
Raster Rasterise(const std::string& pdf, int dpi, const std::string& crop = "") {
  Shell("pdftoppm -gray -r " + std::to_string(dpi) + " " + crop + " -f 1 -l 1 -singlefile '" + pdf + "' '" + pdf + "'");
  std::ifstream in(pdf + ".pgm", std::ios::binary);
  Raster raster;
  std::string magic;
  int max = 0;
  in >> magic >> raster.Width >> raster.Height >> max;
  in.get();
  raster.Pixels.resize(static_cast<std::size_t>(raster.Width) * static_cast<std::size_t>(raster.Height));
  in.read(reinterpret_cast<char*>(raster.Pixels.data()), static_cast<std::streamsize>(raster.Pixels.size()));
  return raster;
}

TEST_F(FxPrintTest, BitImagesEveryDotWhereTheArithmeticPutsIt) {
  // Patterns sent band by band as programs send them, each dot then looked for at the centre of
  // its cell on the page rendered at 720 dpi, a multiple of every density here. The printable area
  // starts 100 device pixels (120 at 720 dpi) from the sheet's edges.
  struct Pattern {
    const char* What;
    std::vector<std::string> Options;
    char Command;   // ESC K / L / Z, or '*' for ESC * m
    int Mode;       // for ESC *
    int Bytes;      // a column's bytes
    double Across;  // dots an inch
    double Down;
    int Columns, Bands;
    int Feed;       // ESC 3 n between the bands
    bool (*Dot)(int column, int row);
  };
  const std::vector<Pattern> patterns = {
      {"checkerboard at 60 x 72", {"/FX"}, 'K', 0, 1, 60, 72, 40, 3, 24,
       [](int c, int r) { return (c + r) % 2 == 0; }},
      {"diagonal at 120 x 72", {"/FX"}, 'L', 0, 1, 120, 72, 48, 3, 24, [](int c, int r) { return c / 2 == r; }},
      {"checkerboard at 240 x 72", {"/FX"}, 'Z', 0, 1, 240, 72, 60, 2, 24,
       [](int c, int r) { return (c / 2 + r) % 2 == 0; }},
      {"24-pin bands at 180 x 180", {"/FX", "180"}, '*', 39, 3, 180, 180, 60, 2, 24,
       [](int c, int r) { return c == r || c == 0 || (r + c) % 7 == 0; }},
  };
  for (const Pattern& p : patterns) {
    SCOPED_TRACE(p.What);
    const int rows = p.Bytes * 8;
    std::string file = "\x1b" "3"s + static_cast<char>(p.Feed);
    for (int band = 0; band < p.Bands; ++band) {
      file += p.Command == '*' ? "\x1b*"s + static_cast<char>(p.Mode) : "\x1b"s + p.Command;
      file += static_cast<char>(p.Columns);
      file += '\0';
      for (int c = 0; c < p.Columns; ++c) {
        for (int b = 0; b < p.Bytes; ++b) {
          int byte = 0;
          for (int bit = 0; bit < 8; ++bit) byte |= p.Dot(c, band * rows + b * 8 + bit) ? 0x80 >> bit : 0;
          file += static_cast<char>(byte);
        }
      }
      file += "\r\n";
    }
    const Raster page = Rasterise(Print(dir_.Write("obraz.prn", file), p.Options), 720);
    for (int r = 0; r < p.Bands * rows; ++r) {
      for (int c = 0; c < p.Columns; ++c) {
        const double x = 120 + (c + 0.5) * 720 / p.Across;
        const double y = 120 + (r + 0.5) * 720 / p.Down;
        ASSERT_EQ(page.Dark(x, y), p.Dot(c, r)) << "dot " << c << "," << r;
      }
    }
    // Where the bands meet, the last row of one and the first of the next each keep their own
    // dot cell: touching, not overlapping, no gap between.
    const double bottom = 120 + p.Bands * rows * 720 / p.Down;
    EXPECT_FALSE(page.Dark(120 + 0.5 * 720 / p.Across, bottom + 1)) << "nothing below the last band";
  }
}

// The characters of UTF-8 text that are written as text: without blanks (no-break space too) and
// without box-drawing characters and blocks, which are drawn as lines and filled cells.
std::u32string Written(const std::string& utf8) {
  std::u32string written;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
    i += length;
    const bool blank = c <= U' ' || c == U'\u00A0' || (c >= 0x80 && c < 0xA0);
    if (!blank && !(c >= 0x2500 && c < 0x25A0)) written += c;
  }
  return written;
}

TEST_F(FxPrintTest, EveryTableEveryUpperByteComesBackAsItsCharacter) {
  // Bytes 0x80-0xFF sixteen to a line, blanks between, read back line by line. The reference is
  // iconv's table, or ours where the C library has none: Kamenický and Mazovia are PC437 but for
  // the letters they put in 0x80-0xAF.
  struct Table {
    std::string Option;
    std::string Iconv;
    std::string Ours;  // 0x80-0xAF
  };
  const std::vector<Table> tables = {
      {"/CP=437", "CP437", ""}, {"/CP=850", "CP850", ""}, {"/CP=852", "CP852", ""}, {"/CP=866", "CP866", ""},
      {"/CP=1250", "CP1250", ""}, {"/CP=88592", "ISO-8859-2", ""},
      {"/CP=895", "CP437", "ČüéďäĎŤčěĚĹÍľĺÄÁÉžŽôöÓůÚýÖÜŠĽÝŘťáíóúňŇŮÔšřŕŔ¼§«»"},
      {"MAZ", "CP437", "ÇüéâäàąçêëèïîćÄĄĘęłôöĆûùŚÖÜ¢Ł¥śƒŹŻóÓńŃźż¿⌐¬½¼¡«»"},
  };
  std::string lines, upper;
  for (int b = 0x80; b < 0x100; ++b) {
    lines += static_cast<char>(b);
    lines += b % 16 == 15 ? "\r\n" : " ";
    upper += static_cast<char>(b);
  }
  const std::string file = dir_.Write("tabela.prn", lines);
  const std::string bytes = dir_.Write("gorna.bin", upper);
  const std::string rest = dir_.Write("reszta.bin", upper.substr(0x30));
  for (const Table& table : tables) {
    SCOPED_TRACE(table.Option);
    const std::string expected = table.Ours.empty() ? Shell("iconv -c -f " + table.Iconv + " -t UTF-8 '" + bytes + "'")
                                                    : table.Ours + Shell("iconv -f CP437 -t UTF-8 '" + rest + "'");
    const std::string pdf = Print(file, {"/FX", table.Option});
    EXPECT_EQ(Written(Shell("pdftotext -layout '" + pdf + "' -")), Written(expected));
  }
}

TEST_F(FxPrintTest, StretchedAndScaledLettersAsThePrinterPrintsThem) {
  // An H in each cell region, rendered at the printer's 600 dpi (the printable area from 100 px):
  // pica, double width (SO), pica again (DC4) on the first line; 21 and 10.5 points (ESC X) on the
  // fourth; double height (ESC w) and pica on the seventh. Each H measured by its ink.
  const std::string file = "H\x0eH\x14H\r\n\r\n\r\n"
                           "\x1bX\x00\x2a\x00H\x1bX\x00\x15\x00  H\r\n\r\n\r\n"
                           "\x1bP\x1bw1H\x1bw0  H\r\n"s;
  const Raster page = Rasterise(Print(dir_.Write("litery.prn", file)), 600);
  struct Ink {
    int Width, Height;
  };
  const auto ink = [&](int x0, int x1, int y0, int y1) {
    int left = x1, right = x0 - 1, top = y1, bottom = y0 - 1;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (!page.Dark(x, y)) continue;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    return Ink{right - left + 1, bottom - top + 1};
  };
  const Ink pica = ink(100, 160, 100, 200), wide = ink(160, 280, 100, 200), after = ink(280, 340, 100, 200);
  EXPECT_NEAR(wide.Width, 2.0 * pica.Width, 3);
  EXPECT_EQ(wide.Height, pica.Height);
  EXPECT_EQ(after.Width, pica.Width);
  const Ink big = ink(50, 220, 250, 520), small = ink(270, 350, 250, 520);
  EXPECT_NEAR(big.Height, 2.0 * small.Height, 3);
  EXPECT_NEAR(big.Width, 2.0 * small.Width, 3);
  const Ink tall = ink(100, 160, 650, 950), beside = ink(280, 340, 650, 950);
  EXPECT_NEAR(tall.Height, 2.0 * beside.Height, 3);
  EXPECT_NEAR(tall.Width, beside.Width, 2);
}

TEST_F(FxPrintTest, ABlockOfBlocksIsOneUniformBlackRectangle) {
  // Ten lines of ten █ at 10, 12 and 17.125 characters per inch (cells of 35.04 px), rendered at
  // twice the printer's 600 dpi: every pixel of the block is black, none grey or white along the
  // joins of cells and lines; every pixel around it is white. The block starts at the printable
  // area's corner, 100 px from the sheet's edges, and is 1000 px high (lines of 1/6 inch); the
  // rasteriser may shade a pixel either way along its outer edge.
  const std::vector<std::pair<std::string, double>> pitches = {{"", 60}, {"\x1bM", 50}, {"\x0f", 600 / 17.125}};
  for (const auto& [pitch, cell] : pitches) {
    SCOPED_TRACE(cell);
    std::string file = pitch;
    for (int line = 0; line < 10; ++line) file += std::string(10, '\xdb') + "\r\n";
    const int right = 2 * static_cast<int>(std::lround(10 * cell)) + 4;  // the block from (4, 4) on
    const Raster block = Rasterise(Print(dir_.Write("bloki.prn", file), {"/FX", "/CP=437"}), 1200,
                                   "-x 196 -y 196 -W " + std::to_string(right + 4) + " -H 2008");
    int wrong = 0;
    for (int y = 0; y < block.Height; ++y) {
      for (int x = 0; x < block.Width; ++x) {
        const int value = block.Pixels[static_cast<std::size_t>(y * block.Width + x)];
        const bool rim = (x >= 3 && x <= right && (y == 3 || y == 2004)) || (y >= 3 && y <= 2004 && (x == 3 || x == right));
        const bool inside = x > 3 && x < right && y > 3 && y < 2004;
        if (!rim && value != (inside ? 0 : 255)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(FxPrintTest, ACharacterTheFaceLacksComesFromAFixedPitchFace) {
  // The 10-cpi font set to a face of dingbats, which has no Cyrillic: the letters of a CP866 line
  // come from an installed fixed-pitch face, centred in their cells, and read back as written;
  // the dingbats' face draws nothing.
  TempDir config;
  fs::create_directory(config.File("prynda"));
  config.Write("prynda/prynda.ini", "[FormKelvra\\FontDialog_10_Font]\nName=D050000L\nSize=10\nCharset=238\n");
  const std::string pdf = dir_.File("cyrylica.pdf");
  const ProgramRun run = RunPrynda({.Args = {dir_.Write("sklad.prn", "\x91\xaa\xab\xa0\xa4 \xb9\xb9"), "/FX", "/CP=866"},
                                    .Env = {{"PRYNDA_PDF", pdf}, {"XDG_CONFIG_HOME", config.Path()}}});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Written(Shell("pdftotext '" + pdf + "' -")), U"Склад");
  const std::string fonts = Shell("pdffonts '" + pdf + "'");
  EXPECT_NE(fonts.find("Mono "), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find("D050000L"), std::string::npos) << fonts;
  const std::vector<Word> words = Words(pdf, 1);
  ASSERT_FALSE(words.empty());
  EXPECT_NEAR(words.front().X + words.front().Width / 2, 5 * 60 / 2.0, 1.0);  // five cells, each letter centred
}

TEST_F(FxPrintTest, TypefacesProportionalWidthsAndColour) {
  // ESC k 1 and ESC k 0 print in their families' faces, the job's own font before them; under
  // ESC p 1 twenty M's are far longer than twenty i's; after ESC r 1 the letters are magenta.
  const std::string pdf = PrintBytes("own \x1bk\x01sans \x1bk\x00roman\r\n\x1bp\x01"s + std::string(20, 'i') + "\r\n" +
                                     std::string(20, 'M') + "\r\n\x1br\x01" + std::string(40, '\xdb') + "\r\n");
  const std::string fonts = Shell("pdffonts '" + pdf + "'");
  for (const char* face : {"+LiberationMono ", "+LiberationSans ", "+LiberationSerif "}) {
    EXPECT_NE(fonts.find(face), std::string::npos) << face << fonts;
  }
  const std::vector<Word> words = Words(pdf, 1);
  EXPECT_GE(Find(words, std::string(20, 'M')).Width, 1.8 * Find(words, std::string(20, 'i')).Width);
  Shell("pdftoppm -r 50 -f 1 -l 1 -singlefile '" + pdf + "' '" + pdf + "'");
  std::ifstream in(pdf + ".ppm", std::ios::binary);
  std::string magic;
  int width = 0, height = 0, max = 0;
  in >> magic >> width >> height >> max;
  in.get();
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  std::size_t magenta = 0;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) magenta += rgb[i] > 200 && rgb[i + 1] < 60 && rgb[i + 2] > 200;
  EXPECT_GT(magenta, 40u * 5 * 8);  // forty blocks, each some 5 x 8 pixels at 50 dpi
}

TEST_F(FxPrintTest, CharacterTablesAreRememberedAndHighBytesPrint) {
  // CP852 keeps letters in 0x80-0x9F; a character definition takes its twelve bytes.
  const std::string pdf = PrintBytes("\x1bt\x01\x1bR\x02\x1b" "6\x86\x88\x9d\x1b" "7\x1b&\x00" "AA" "ZZZZZZZZZZZZ" "Koniec"s);
  std::string text = Shell("pdftotext '" + pdf + "' -");
  std::erase_if(text, [](char c) { return c == '\n' || c == '\f'; });
  EXPECT_EQ(text, "ćłŁKoniec");
}

}  // namespace
}  // namespace prynda::testing
