// Images of a page joined into pictures: which ones join, and every dot where it was placed.
#include "printers/pdf/pictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace prynda {
namespace {

// An image from rows of '#' and '.'.
struct Image {
  explicit Image(std::vector<std::string> rows) : Rows(std::move(rows)) {
    const int width = static_cast<int>(Rows[0].size());
    const int stride = (width + 7) / 8;
    Bits.assign(static_cast<std::size_t>(stride) * Rows.size(), 0);
    for (std::size_t r = 0; r < Rows.size(); ++r) {
      for (int c = 0; c < width; ++c) {
        if (Rows[r][static_cast<std::size_t>(c)] == '#') Bits[r * stride + c / 8] |= 0x80 >> (c % 8);
      }
    }
    Mono = TMonoImage{width, static_cast<int>(Rows.size()), stride, Bits.data()};
  }
  std::vector<std::string> Rows;
  std::vector<std::uint8_t> Bits;
  TMonoImage Mono;
};

std::vector<std::string> Dots(const PictureSet::Picture& picture) {
  std::vector<std::string> rows;
  for (int r = 0; r < picture.Rows; ++r) {
    std::string row;
    for (int c = 0; c < picture.Columns; ++c) row += picture.Dot(c, r) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

TEST(PicturesTest, ImagesOnOneGridJoin) {
  const Image band({"#.#.#.#.#.", ".#.#.#.#.#"});  // 10 x 2 dots; drawn 10 px a dot
  struct Placement {
    int X, Y, Width, Height;
    TRgb Color = 0;
  };
  struct Case {
    const char* What;
    std::vector<Placement> Places;
    std::size_t Pictures;
  };
  const std::vector<Case> cases = {
      {"bands edge to edge", {{0, 0, 100, 20}, {0, 20, 100, 20}, {0, 40, 100, 20}}, 1},
      {"a band a pixel off, as rounding leaves it", {{0, 0, 100, 20}, {0, 21, 100, 20}}, 1},
      {"a piece to the right, past a gap", {{0, 0, 100, 20}, {150, 0, 100, 20}}, 1},
      {"a piece beside it overlapping", {{0, 0, 100, 20}, {30, 0, 100, 20}}, 1},
      {"off the grid by half a dot", {{0, 0, 100, 20}, {105, 0, 100, 20}}, 2},
      {"another dot size", {{0, 0, 100, 20}, {0, 20, 50, 20}}, 2},
      {"another colour", {{0, 0, 100, 20}, {0, 20, 100, 20, 0xFF}}, 2},
      {"far below", {{0, 0, 100, 20}, {0, 100, 100, 20}}, 2},
      {"left of the first", {{100, 0, 100, 20}, {0, 0, 100, 20}}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    PictureSet set;
    for (const Placement& p : c.Places) set.Add(p.X, p.Y, p.Width, p.Height, band.Mono, p.Color);
    EXPECT_EQ(set.Count(), c.Pictures);
  }
}

TEST(PicturesTest, EveryDotLandsInItsCell) {
  // Pieces at odd dot offsets, so that their bits straddle bytes; the clear bits of one piece
  // leave those of another as they are.
  const Image a({"###########", "#.........#"});
  const Image b({"##", "##"});
  PictureSet set;
  set.Add(0, 0, 110, 20, a.Mono, 0);
  set.Add(30, 20, 20, 20, b.Mono, 0);   // column 3, row 2
  set.Add(90, 10, 20, 20, b.Mono, 0);   // column 9, row 1, over a's last rows
  set.Add(120, 0, 10, 10, Image({"#"}).Mono, 0);  // column 12, past a gap of one dot
  ASSERT_EQ(set.Count(), 1u);
  EXPECT_EQ(Dots(set[0]), (std::vector<std::string>{
                              "###########.#",
                              "#........##..",
                              "...##....##..",
                              "...##........",
                          }));
  set.Clear();
  EXPECT_EQ(set.Count(), 0u);
  set.Add(5, 5, 10, 10, Image({"#"}).Mono, 0);  // the storage is used again, afresh
  ASSERT_EQ(set.Count(), 1u);
  EXPECT_EQ(Dots(set[0]), std::vector<std::string>{"#"});
}

// The sheet here: 0 to 100 px either way; the image 8 x 2 dots of 10 px.
TEST(PicturesTest, AnImageIsCroppedToTheSheetWithEveryDotInPlace) {
  const Image image({"#.##..#.", ".#..##.#"});
  struct Case {
    int X, Y;
    double Left, Top;  // where the kept dots begin
    std::vector<std::string> Kept;
  };
  const Case cases[] = {
      {10, 10, 10, 10, {"#.##..#.", ".#..##.#"}},  // wholly on the sheet
      {55, 10, 55, 10, {"#.##.", ".#..#"}},        // the last three columns past the right edge
      {-25, 10, -5, 10, {"##..#.", "..##.#"}},     // two columns and half of one left of it
      {10, 95, 10, 95, {"#.##..#."}},              // the second row below it
      {10, -15, 10, -5, {".#..##.#"}},             // the first row above it, all but half a dot
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.X) + "," + std::to_string(c.Y));
    PictureSet set;
    set.SetSheet(0, 0, 100, 100);
    set.Add(c.X, c.Y, 80, 20, image.Mono, 0);
    ASSERT_EQ(set.Count(), 1u);
    EXPECT_EQ(Dots(set[0]), c.Kept);
    EXPECT_DOUBLE_EQ(set[0].X, c.Left);
    EXPECT_DOUBLE_EQ(set[0].Y, c.Top);
    EXPECT_DOUBLE_EQ(set[0].DotWidth(), 10);
    EXPECT_DOUBLE_EQ(set[0].DotHeight(), 10);
  }
  PictureSet set;
  set.SetSheet(0, 0, 100, 100);
  set.Add(100, 10, 80, 20, image.Mono, 0);  // wholly off it
  EXPECT_EQ(set.Count(), 0u);
}

}  // namespace
}  // namespace prynda
