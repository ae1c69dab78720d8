// An inkjet job end to end: Ghostscript's stcolor device makes a colour raster job of a page of
// rectangles, the built program prints it in FX mode on "Prynda PDF", and the page is read back
// with poppler-utils - one sheet, each rectangle where the page has it and in its colour, nothing
// else on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

constexpr int kDpi = 30;  // of the page read back: an inch is 30 pixels

struct Rgb {
  int R, G, B;
};

// A page rendered as pixels.
class Pixmap {
 public:
  explicit Pixmap(const std::string& ppm) {
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int depth = 0;
    in >> magic >> width_ >> height_ >> depth;
    in.get();
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
    if (magic != "P6" || bytes_.size() < static_cast<std::size_t>(width_ * height_ * 3)) width_ = height_ = 0;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + 3 * (static_cast<std::size_t>(y) * width_ + x);
    return {p[0], p[1], p[2]};
  }
  bool Inked(int x, int y) const {
    const Rgb c = At(x, y);
    return c.R < 250 || c.G < 250 || c.B < 250;
  }

 private:
  int width_ = 0, height_ = 0;
  std::string bytes_;
};

TEST(InkjetPrintTest, AStcolorJobPrintsItsRectanglesInTheirColours) {
  // Rectangles of 2 x 1 inch, 3 inches apart, in the colours the three inks and black make.
  struct Rectangle {
    int Column, Row;  // of the grid of 3-inch steps
    std::string Color;
    Rgb Expected;  // 1 where the colour's channel is full
  };
  const std::vector<Rectangle> rectangles = {
      {0, 0, "1 0 0", {1, 0, 0}}, {1, 0, "0 0 1", {0, 0, 1}}, {0, 1, "0 0 0", {0, 0, 0}},
      {1, 1, "1 1 0", {1, 1, 0}}, {0, 2, "0 1 1", {0, 1, 1}}, {1, 2, "0 1 0", {0, 1, 0}},
  };
  TempDir dir;
  std::string page = "%!PS\n<< /PageSize [612 792] >> setpagedevice\n";
  for (const Rectangle& r : rectangles) {
    page += r.Color + " setrgbcolor " + std::to_string(72 + 216 * r.Column) + " " + std::to_string(648 - 216 * r.Row) +
            " 144 72 rectfill\n";
  }
  page += "showpage\n";
  const std::string ps = dir.Write("page.ps", page);
  const std::string job = dir.File("job.prn");
  Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -r90 -sDEVICE=stcolor -sOutputFile='" + job + "' '" + ps + "' 2>&1");
  const std::string pdf = dir.File("job.pdf");
  const ProgramRun run = RunPrynda({.Args = {job, "/FX", "180"}, .Env = {{"PRYNDA_PDF", pdf}}});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;

  EXPECT_EQ(PdfPageCount(pdf), 1);
  std::string text = Shell("pdftotext '" + pdf + "' -");
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); }),
             text.end());
  EXPECT_EQ(text, "");

  Shell("pdftoppm -r " + std::to_string(kDpi) + " -singlefile '" + pdf + "' '" + dir.File("page") + "'");
  const Pixmap pixels(dir.File("page.ppm"));
  ASSERT_GT(pixels.Width(), 0);
  // The first rectangle's top-left corner: the first inked pixel from the top, then from the left.
  int top = -1, left = pixels.Width();
  for (int y = 0; y < pixels.Height() && top < 0; ++y) {
    for (int x = 0; x < pixels.Width(); ++x) {
      if (pixels.Inked(x, y)) top = y;
    }
  }
  ASSERT_GE(top, 0) << "nothing printed";
  for (int x = 0; x < pixels.Width(); ++x) {
    if (pixels.Inked(x, top + 5)) left = std::min(left, x);
  }
  // Each rectangle: its colour on average over its inside, and ink nowhere outside the rectangles.
  int inked_outside = 0;
  std::vector<Rgb> sums(rectangles.size(), Rgb{0, 0, 0});
  std::vector<int> counts(rectangles.size(), 0);
  for (int y = 0; y < pixels.Height(); ++y) {
    for (int x = 0; x < pixels.Width(); ++x) {
      bool inside = false;
      for (std::size_t i = 0; i < rectangles.size(); ++i) {
        const int rx = x - left - 3 * kDpi * rectangles[i].Column;
        const int ry = y - top - 3 * kDpi * rectangles[i].Row;
        if (rx < -1 || rx > 2 * kDpi || ry < -1 || ry > kDpi) continue;
        inside = true;
        if (rx < 2 || rx > 2 * kDpi - 3 || ry < 2 || ry > kDpi - 3) continue;  // the edge: half a pixel either way
        const Rgb c = pixels.At(x, y);
        sums[i] = {sums[i].R + c.R, sums[i].G + c.G, sums[i].B + c.B};
        ++counts[i];
      }
      if (!inside && pixels.Inked(x, y)) ++inked_outside;
    }
  }
  EXPECT_EQ(inked_outside, 0);
  for (std::size_t i = 0; i < rectangles.size(); ++i) {
    SCOPED_TRACE(rectangles[i].Color);
    ASSERT_GT(counts[i], 0);
    const Rgb mean{sums[i].R / counts[i], sums[i].G / counts[i], sums[i].B / counts[i]};
    const Rgb& expected = rectangles[i].Expected;
    // The inks' colour: its channels full, the others well below them (the device spreads some
    // colours' dots, so paper shows between them); black dark in all three.
    const int channels[] = {mean.R, mean.G, mean.B};
    const int wanted[] = {expected.R, expected.G, expected.B};
    int lowest_high = 255;
    for (int c = 0; c < 3; ++c) {
      if (wanted[c]) lowest_high = std::min(lowest_high, channels[c]);
    }
    const int low = (expected.R | expected.G | expected.B) != 0 ? lowest_high - 80 : 60;
    for (int c = 0; c < 3; ++c) {
      if (wanted[c]) {
        EXPECT_GE(channels[c], 200) << mean.R << " " << mean.G << " " << mean.B;
      } else {
        EXPECT_LE(channels[c], low) << mean.R << " " << mean.G << " " << mean.B;
      }
    }
  }
}

}  // namespace
}  // namespace prynda::testing
