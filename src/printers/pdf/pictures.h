// The monochrome images of one page, joined into as few pictures as they will go. An image that
// lies on the dot grid of a picture of the same colour and dot size, touching it or within one
// image's size of it, becomes part of that picture; so a plot printed band by band, or a line of
// pieces with gaps between them, is one picture, not hundreds. An image is cropped to the sheet
// before it is kept: its dots off the sheet are dropped, those on it stay exactly where they were,
// so memory follows what can be seen, not what a job declares. Kept from page to page, so a long
// document allocates nothing once its first pages are drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/print_system.h"

namespace prynda {

class PictureSet {
 public:
  struct Picture {
    double X = 0;          // its place on the page, device pixels: the images' outer edges
    double Y = 0;
    double Right = 0;
    double Bottom = 0;
    TRgb Color = 0;
    int Columns = 0;       // dots
    int Rows = 0;
    std::size_t Stride = 0;  // bytes a row in Bits, at least (Columns + 7) / 8
    std::vector<std::uint8_t> Bits;

    // The size of a dot, device pixels: from the whole extent, which evens out the rounding of
    // each image's place to whole pixels.
    double DotWidth() const { return (Right - X) / Columns; }
    double DotHeight() const { return (Bottom - Y) / Rows; }
    bool Dot(int column, int row) const {
      return (Bits[static_cast<std::size_t>(row) * Stride + static_cast<std::size_t>(column) / 8] >>
              (7 - column % 8)) & 1;
    }
    // Row `row`, (Columns + 7) / 8 bytes, appended to `out`.
    void AppendRow(int row, std::vector<std::uint8_t>& out) const;
  };

  // The sheet, device pixels of the page's coordinates; none set: nothing is cropped.
  void SetSheet(double left, double top, double right, double bottom);
  void Add(int x, int y, int width, int height, const TMonoImage& image, TRgb color);
  void Clear() { count_ = 0; }
  std::size_t Count() const { return count_; }
  const Picture& operator[](std::size_t index) const { return pictures_[index]; }

 private:
  // The picture `image` joins at (column, row) of its grid, or nullptr.
  Picture* Joining(double x, double y, double dot_width, double dot_height, const TMonoImage& image, TRgb color,
                   int& column, int& row);
  // The image over (x, y) to (right, bottom).
  void AddAt(double x, double y, double right, double bottom, const TMonoImage& image, TRgb color);
  static void Grow(Picture& picture, int columns, int rows);
  static void Place(Picture& picture, int column, int row, const TMonoImage& image);

  std::vector<Picture> pictures_;  // the first count_ are this page's
  std::size_t count_ = 0;
  bool sheet_known_ = false;
  double sheet_left_ = 0, sheet_top_ = 0, sheet_right_ = 0, sheet_bottom_ = 0;
  std::vector<std::uint8_t> cropped_;  // an image's dots shifted to start on the sheet
};

}  // namespace prynda
