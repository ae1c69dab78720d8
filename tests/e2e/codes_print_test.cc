// Bar codes (FX mode's ESC ( B) and QR codes (our own dialect's 0xFA Q) printed by the built
// program on "Prynda PDF", rasterised by pdftoppm and read back by zbarimg, a reader that shares
// no code with the program. Skipped where zbarimg or libzint is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/bar_code_bytes.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

class CodesPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v zbarimg").empty()) GTEST_SKIP() << "no zbarimg (zbar-tools)";
  }
  // The job printed on "Prynda PDF" with the options, page 1 as a PNG at 300 dpi; "" where the
  // console says the codes cannot be drawn here.
  std::string PrintPng(const std::string& bytes, std::vector<std::string> options) {
    const std::string pdf = dir_.File("kody.pdf");
    options.insert(options.begin(), dir_.Write("kody.prn", bytes));
    const ProgramRun run = RunPrynda({.Args = options, .Env = {{"PRYNDA_PDF", pdf}}});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    console_ = run.Out;
    if (run.Out.find("libzint") != std::string::npos) return "";
    Shell("pdftoppm -png -gray -r 300 -f 1 -l 1 -singlefile '" + pdf + "' '" + dir_.File("kody") + "'");
    return dir_.File("kody.png");
  }
  // Every symbol zbarimg finds, as "type:data" (UPC-A and UPC-E by their own names).
  static std::set<std::string> Read(const std::string& png) {
    std::set<std::string> symbols;
    std::istringstream lines(Shell("zbarimg -q -Supca.enable -Supce.enable '" + png + "' 2>/dev/null"));
    for (std::string line; std::getline(lines, line);) symbols.insert(line);
    return symbols;
  }

  TempDir dir_;
  std::string console_;
};

TEST_F(CodesPrintTest, EveryBarCodeReadBack) {
  // 24 pins: modules of 3/180 in, bars of 72/180 in, a code every 3/4 inch down the page.
  const std::string next = "\r\x1bJ\x87";
  std::string job;
  job += BarCode(0, 3, 0, 72, 1, "590123412345") + next;  // EAN-13, the check digit computed
  job += BarCode(1, 3, 0, 72, 0, "96385074") + next;      // EAN-8 with its own
  job += BarCode(2, 3, 0, 72, 0, "1234567890") + next;    // Interleaved 2 of 5
  job += BarCode(3, 3, 1, 72, 1, "03600029145") + next;   // UPC-A, spaces 1/360 in wider
  job += BarCode(4, 3, 0, 72, 1, "0425261") + next;       // UPC-E
  job += BarCode(5, 3, 0, 72, 0, "PRYNDA-39") + next;     // Code 39
  job += BarCode(6, 3, 0, 72, 0, "BPrynda 128") + next;   // Code 128, set B
  job += BarCode(6, 3, 0, 72, 6, "C20260201") + next;     // Code 128, set C, no characters
  const std::string png = PrintPng(job, {"/FX", "180"});
  if (png.empty()) GTEST_SKIP() << console_;
  EXPECT_EQ(console_.find("nie wydrukowano"), std::string::npos) << console_;
  EXPECT_EQ(Read(png), (std::set<std::string>{"EAN-13:5901234123457", "EAN-8:96385074", "I2/5:1234567890",
                                              "UPC-A:036000291452", "UPC-E:04252614", "CODE-39:PRYNDA-39",
                                              "CODE-128:Prynda 128", "CODE-128:20260201"}));
}

TEST_F(CodesPrintTest, PostnetBarsCounted) {
  // "12345" and its check digit: 32 bars, counted along a line through the short bars' foot.
  const std::string png = PrintPng(BarCode(7, 3, 0, 72, 1, "12345"), {"/FX", "180"});
  if (png.empty()) GTEST_SKIP() << console_;
  // The page at 300 dpi as gray PGM rows, the printable area's corner 100 px (600 dpi) in.
  Shell("pdftoppm -gray -r 300 -f 1 -l 1 -singlefile '" + dir_.File("kody.pdf") + "' '" + dir_.File("p") + "'");
  std::ifstream in(dir_.File("p.pgm"), std::ios::binary);
  std::string magic;
  int width = 0, height = 0, max = 0;
  in >> magic >> width >> height >> max;
  in.get();
  std::vector<unsigned char> row(static_cast<std::size_t>(width));
  const int foot = 50 + 36;  // 0.125 in of bars from the line's top, less a pixel: 50 + 37.5 - 1.5
  in.seekg(static_cast<std::streamoff>(foot) * width, std::ios::cur);
  in.read(reinterpret_cast<char*>(row.data()), width);
  int bars = 0;
  for (std::size_t x = 1; x < row.size(); ++x) bars += row[x] < 128 && row[x - 1] >= 128;
  EXPECT_EQ(bars, 32);
}

TEST_F(CodesPrintTest, QrCodeOfAnInvoiceReadBack) {
  const std::string link = "https://qr-test.ksef.mf.gov.pl/invoice/1111111111/01-02-2026/UtQp9Gpc51y-u3xApZjIjgkpZ01js-J8KflSPW8WzIE";
  const std::string png = PrintPng("Faktura VAT 1/02/2026\r\n\xFAQ" + link + "\r\n\n\n\n\n\n\n1111111111-20260201-0100001AF629-AF\r\n", {});
  if (png.empty()) GTEST_SKIP() << console_;
  EXPECT_EQ(Read(png), std::set<std::string>{"QR-Code:" + link});
}

}  // namespace
}  // namespace prynda::testing
