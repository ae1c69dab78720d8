// Bar codes and QR codes: the printer's rules through the layout of one code (data in, drawn or
// the console line), then ESC ( B in FX mode and 0xFA Q in our own dialect on the recording fake
// at 600 dpi. Skipped where the symbol library is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "jobcontrol/prynda_section.h"
#include "recognition/recognition.h"
#include "render/codes/bar_codes.h"
#include "support/bar_code_bytes.h"
#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;
using codes::Symbology;

// 1 px a module, no space adjustment.
constexpr codes::BarGeometry kModules{1, 1, 0, 50, 12, 5};

bool SymbolsDrawn() {
  return codes::LayOutBarCode({Symbology::Code39, "A"}, kModules).Refused.empty();
}

TEST(BarCodeLayoutTest, DrawnOrTheReason) {
  if (!SymbolsDrawn()) GTEST_SKIP() << "no libzint";
  struct Row {
    Symbology Kind;
    std::string Data;
    bool ComputeCheck;
    std::string Refused;  // after "Kodu kreskowego "; "" where drawn
  };
  const std::vector<Row> rows = {
      {Symbology::Ean13, "123456789012", true, ""},
      {Symbology::Ean13, "1234567890128", false, ""},
      {Symbology::Ean13, "1234567890123", false, "EAN-13 nie wydrukowano: zła cyfra kontrolna"},
      {Symbology::Ean13, "12345678901", false, "EAN-13 nie wydrukowano: 11 cyfr zamiast 13"},
      {Symbology::Ean13, "1234567890128", true, "EAN-13 nie wydrukowano: 13 cyfr zamiast 12"},
      {Symbology::Ean8, "1234567", true, ""},
      {Symbology::Ean8, "123456a", true, "EAN-8 nie wydrukowano: niedozwolony znak 'a'"},
      {Symbology::UpcA, "12345678901", true, ""},
      {Symbology::UpcE, "0123456", true, ""},
      {Symbology::UpcE, "01234500006", true, ""},  // the UPC-A form, written short
      {Symbology::UpcE, "01234500001", true, "UPC-E nie wydrukowano: numeru UPC-A 01234500001 nie da się skrócić do UPC-E"},
      {Symbology::UpcE, "123456", true, "UPC-E nie wydrukowano: 6 cyfr zamiast 11 lub 7"},
      {Symbology::UpcE, "2123456", true, "UPC-E nie wydrukowano: system numeracji 2 zamiast 0 lub 1"},
      {Symbology::Interleaved2Of5, "12345", true, ""},
      {Symbology::Interleaved2Of5, "1", false, "Interleaved 2 of 5 nie wydrukowano: 1 cyfra zamiast co najmniej 2"},
      {Symbology::Code39, "CODE-39 $%", false, ""},
      {Symbology::Code39, "Code", false, "Code 39 nie wydrukowano: niedozwolony znak 'o'"},
      {Symbology::Code128, "BHello", false, ""},
      {Symbology::Code128, "C12345", false, ""},
      {Symbology::Code128, "A\x01\x63" "12", false, ""},  // a control code, then set C
      {Symbology::Code128, "X12", false, "Code 128 nie wydrukowano: pierwszy znak 'X' zamiast A, B lub C (zestaw znaków)"},
      {Symbology::Code128, "B\x1f" "12", false, "Code 128 nie wydrukowano: kody funkcyjne FNC1-FNC4 nie są obsługiwane"},
      {Symbology::Code128, "Bab\x80", false, "Code 128 nie wydrukowano: niedozwolony znak 0x80 w zestawie B"},
      {Symbology::Code128, "B", false, "Code 128 nie wydrukowano: 1 znak zamiast co najmniej 2"},
      {Symbology::Postnet, "12345", true, ""},
      {Symbology::Postnet, "123455", false, ""},
      {Symbology::Postnet, "123457", false, "POSTNET nie wydrukowano: zła cyfra kontrolna"},
      {Symbology::Postnet, "1234", true, "POSTNET nie wydrukowano: 4 cyfry zamiast 5, 9 lub 11"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Data);
    const codes::CodeDrawing drawing = codes::LayOutBarCode({row.Kind, row.Data, row.ComputeCheck}, kModules);
    EXPECT_EQ(drawing.Refused, row.Refused.empty() ? "" : "Kodu kreskowego " + row.Refused);
    EXPECT_EQ(drawing.Bars.empty(), !row.Refused.empty());
  }
}

TEST(BarCodeLayoutTest, ModulesSpacesAndPostnetBars) {
  if (!SymbolsDrawn()) GTEST_SKIP() << "no libzint";
  // Code 39 "*A*": three characters of 5 bars and 4 spaces, 12 modules each, a space of one
  // module between them: 38 modules, 14 spaces. At 2 px a module and 1 px more every space:
  const codes::CodeDrawing code39 =
      codes::LayOutBarCode({Symbology::Code39, "A", false, false}, {2, 2, 1, 50, 0, 0});
  EXPECT_EQ(code39.Width, 38 * 2 + 14);
  EXPECT_EQ(code39.Bars.size(), 15u);
  EXPECT_EQ(code39.Height, 50);
  // POSTNET "12345" and its check digit: frame bars and 5 bars a digit, two of them tall, all
  // standing on one line.
  const codes::CodeDrawing postnet = codes::LayOutBarCode({Symbology::Postnet, "12345", true}, kModules);
  ASSERT_EQ(postnet.Bars.size(), 32u);
  EXPECT_EQ(std::count_if(postnet.Bars.begin(), postnet.Bars.end(), [](const codes::Box& b) { return b.Height == 12; }), 14);
  for (const codes::Box& bar : postnet.Bars) EXPECT_EQ(bar.Y + bar.Height, 12);
  EXPECT_TRUE(postnet.Captions.empty());
}

class CodesEngineTest : public EngineFixture {
 protected:
  std::vector<RecordedFill> Fills() const { return Pages().at(0).Fills; }
  // The console's lines about what was not drawn.
  std::vector<std::string> NotDrawnLines() const {
    std::vector<std::string> lines = OutputLines();
    std::erase_if(lines, [](const std::string& line) { return line.find("nie wydrukowano") == std::string::npos; });
    return lines;
  }
};

TEST_F(CodesEngineTest, FxBarCodeFromTheLineTopThePositionUnchanged) {
  if (!SymbolsDrawn()) GTEST_SKIP() << "no libzint";
  job.Prynda.Emulation = EmulationKind::Fx;
  job.Prynda.Pins = 24;
  // Code 39 "*A*" without characters at 10 cpi (60 px a column), after one line and one column:
  // modules of 3/180 in (10 px) and spaces 2/360 in (3.33 px) wider, bars of 90/180 in (300 px).
  Render("\r\nA" + BarCode(5, 3, 2, 90, 2, "A") + "B");
  const std::vector<RecordedFill> bars = Fills();
  ASSERT_EQ(bars.size(), 15u);
  EXPECT_EQ(bars.front().X, 60);
  EXPECT_EQ(bars.front().Y, 100);  // the top of the second line (1/6 in)
  EXPECT_EQ(bars.front().Height, 300);
  EXPECT_EQ(bars.back().X + bars.back().Width, 60 + 380 + 47);  // 38 modules, 14 spaces of 10/3 px: no drift
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"A@5,100", "B@65,100"}));
  EXPECT_TRUE(NotDrawnLines().empty());
}

TEST_F(CodesEngineTest, FxBarCodesThePrinterRefusesAreNamedOnce) {
  if (!SymbolsDrawn()) GTEST_SKIP() << "no libzint";
  job.Prynda.Emulation = EmulationKind::Fx;
  const std::string short_ean = BarCode(0, 2, 0, 45, 0, "12345678901");
  Render(short_ean + "A" + short_ean + BarCode(9, 2, 0, 45, 0, "1") + BarCode(5, 6, 0, 45, 0, "A") +
         Esc('$', 0xB0, 0x01) + BarCode(5, 2, 0, 45, 0, "ABC") + "B");
  EXPECT_TRUE(Pages().at(0).Fills.empty());
  EXPECT_EQ(PageTexts(), std::vector<std::string>{"AB"});
  EXPECT_EQ(NotDrawnLines(), (std::vector<std::string>{
                               "Kodu kreskowego EAN-13 nie wydrukowano: 11 cyfr zamiast 13",
                               "Kodu kreskowego nie wydrukowano: nieznany rodzaj 9",
                               "Kodu kreskowego Code 39 nie wydrukowano: szerokość modułu, odstępów lub długość kresek poza zakresem",
                               "Kodu kreskowego Code 39 nie wydrukowano: wychodzi poza prawy margines",
                           }));
}

TEST_F(CodesEngineTest, OwnQrCodeAtThePositionItsLineTaken) {
  if (!SymbolsDrawn()) GTEST_SKIP() << "no libzint";
  // A module of 0.5 mm at 600 dpi is 11.81 px; the quiet zone of 4 modules lies inside the code.
  Render("A\xFAQhttps://x\nB\xFAQ\r\xFAQ" + std::string(1001, 'x') + "\x00"s + "C");
  const std::vector<RecordedFill> modules = Fills();
  ASSERT_FALSE(modules.empty());
  EXPECT_EQ(modules.front().X, 60 + 47);
  EXPECT_EQ(modules.front().Y, 47);
  EXPECT_EQ(modules.front().Width, 83);  // the finder pattern's top row: 7 modules
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"A@5,0", "B@65,0", "C@125,0"}));
  EXPECT_EQ(NotDrawnLines(), (std::vector<std::string>{"Kodu QR nie wydrukowano: pusty tekst",
                                                     "Kodu QR nie wydrukowano: tekst dłuższy niż 1000 bajtów"}));
}

TEST_F(CodesEngineTest, QrModuleKeyAndRecognition) {
  // The key in millimetres, 0.1 to 10; anything else leaves 0.5.
  for (const auto& [value, mm] : std::vector<std::pair<std::string, double>>{
           {"0.33", 0.33}, {"2", 2}, {"0", 0.5}, {"11", 0.5}, {"1,5", 0.5}, {"", 0.5}}) {
    std::ofstream(Scratch("p.ini")) << "[Prynda]\nQrModule=" << value << "\n";
    PryndaSettings settings;
    ReadPryndaSection(TMemIniFile(Scratch("p.ini")), settings);
    EXPECT_EQ(settings.QrModuleMm, mm) << value;
  }
  // A job with a QR code is ours.
  const std::string job_bytes = "Faktura\r\n\xFAQhttps://example.pl/f/1?a=\x9F\r\nDalej\r\n";
  const Recognition recognised = Recognise(std::span(reinterpret_cast<const std::uint8_t*>(job_bytes.data()), job_bytes.size()));
  EXPECT_EQ(recognised.Language, JobLanguage::OwnDialect);
}

}  // namespace
}  // namespace prynda::testing
