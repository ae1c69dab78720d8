#include "printers/pdf/pictures.h"

#include <algorithm>
#include <cmath>

namespace prynda {

namespace {

// A picture is not grown past this many dots either way; a larger one is started afresh.
constexpr int kMostDots = 1 << 15;

}  // namespace

void PictureSet::Picture::AppendRow(int row, std::vector<std::uint8_t>& out) const {
  const auto begin = Bits.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * Stride);
  out.insert(out.end(), begin, begin + (Columns + 7) / 8);
}

PictureSet::Picture* PictureSet::Joining(double x, double y, double dot_width, double dot_height, const TMonoImage& image,
                                         TRgb color, int& column, int& row) {
  // The latest pictures first: a band most often continues the one before it.
  for (std::size_t i = count_; i-- > 0;) {
    Picture& picture = pictures_[i];
    const double picture_width = picture.DotWidth();
    const double picture_height = picture.DotHeight();
    if (picture.Color != color || std::abs(picture_width - dot_width) > picture_width / 64 ||
        std::abs(picture_height - dot_height) > picture_height / 64) {
      continue;
    }
    const double columns = (x - picture.X) / picture_width;
    const double rows = (y - picture.Y) / picture_height;
    if (columns < -0.5 || rows < -0.5) continue;
    column = static_cast<int>(std::lround(columns));
    row = static_cast<int>(std::lround(rows));
    // On the grid within the pixel that rounding to device pixels may have moved it.
    if (std::abs(x - (picture.X + column * picture_width)) > 1.0 ||
        std::abs(y - (picture.Y + row * picture_height)) > 1.0) {
      continue;
    }
    if (column > picture.Columns + image.Width || row > picture.Rows + image.Height) continue;
    if (column + image.Width > kMostDots || row + image.Height > kMostDots) continue;
    return &picture;
  }
  return nullptr;
}

void PictureSet::Grow(Picture& picture, int columns, int rows) {
  const std::size_t stride = (static_cast<std::size_t>(columns) + 7) / 8;
  if (stride > picture.Stride) {
    // Wider rows: room for half as much again, so a picture grown piece by piece to the right is
    // copied only now and then.
    const std::size_t wider = std::max(stride, picture.Stride + picture.Stride / 2);
    std::vector<std::uint8_t> bits(wider * static_cast<std::size_t>(std::max(rows, picture.Rows)), 0);
    for (int r = 0; r < picture.Rows; ++r) {
      std::copy_n(picture.Bits.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * picture.Stride),
                  picture.Stride, bits.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * wider));
    }
    picture.Bits.swap(bits);
    picture.Stride = wider;
  }
  picture.Columns = std::max(picture.Columns, columns);
  if (rows > picture.Rows) {
    picture.Bits.resize(picture.Stride * static_cast<std::size_t>(rows), 0);
    picture.Rows = rows;
  }
}

void PictureSet::Place(Picture& picture, int column, int row, const TMonoImage& image) {
  Grow(picture, column + image.Width, row + image.Height);
  const int shift = column % 8;
  const std::size_t first = static_cast<std::size_t>(column) / 8;
  const std::size_t bytes = (static_cast<std::size_t>(image.Width) + 7) / 8;
  const int spare = static_cast<int>(bytes * 8) - image.Width;  // unused bits at the end of each row
  for (int r = 0; r < image.Height; ++r) {
    const std::uint8_t* source = image.Bits + static_cast<std::size_t>(r) * static_cast<std::size_t>(image.Stride);
    std::uint8_t* target = picture.Bits.data() + static_cast<std::size_t>(row + r) * picture.Stride + first;
    for (std::size_t b = 0; b < bytes; ++b) {
      std::uint8_t value = source[b];
      if (b + 1 == bytes && spare > 0) value &= static_cast<std::uint8_t>(0xFF << spare);
      target[b] |= static_cast<std::uint8_t>(value >> shift);
      // What spills into the next byte lies within the image's own columns, so inside the row.
      const auto spill = static_cast<std::uint8_t>(value << (8 - shift));
      if (shift > 0 && spill != 0) target[b + 1] |= spill;
    }
  }
}

void PictureSet::SetSheet(double left, double top, double right, double bottom) {
  sheet_known_ = true;
  sheet_left_ = left;
  sheet_top_ = top;
  sheet_right_ = right;
  sheet_bottom_ = bottom;
}

void PictureSet::Add(int x, int y, int width, int height, const TMonoImage& image, TRgb color) {
  if (image.Width <= 0 || image.Height <= 0 || width <= 0 || height <= 0) return;
  const double dot_width = static_cast<double>(width) / image.Width;
  const double dot_height = static_cast<double>(height) / image.Height;
  if (!sheet_known_) {
    AddAt(x, y, static_cast<double>(x) + width, static_cast<double>(y) + height, image, color);
    return;
  }
  // The columns and rows that reach onto the sheet, whole or in part.
  auto first = [](double edge, double from, double dot, int count) {
    return static_cast<int>(std::clamp(std::floor((edge - from) / dot), 0.0, static_cast<double>(count)));
  };
  auto last = [](double edge, double from, double dot, int count) {
    return static_cast<int>(std::clamp(std::ceil((edge - from) / dot), 0.0, static_cast<double>(count)));
  };
  const int left = first(sheet_left_, x, dot_width, image.Width);
  const int right = last(sheet_right_, x, dot_width, image.Width);
  const int top = first(sheet_top_, y, dot_height, image.Height);
  const int bottom = last(sheet_bottom_, y, dot_height, image.Height);
  if (left >= right || top >= bottom) return;
  if (left == 0 && right == image.Width && top == 0 && bottom == image.Height) {
    AddAt(x, y, static_cast<double>(x) + width, static_cast<double>(y) + height, image, color);
    return;
  }
  TMonoImage part{right - left, bottom - top, image.Stride,
                  image.Bits + static_cast<std::size_t>(top) * static_cast<std::size_t>(image.Stride)};
  if (left > 0) {
    // Rows that start at column `left`: shifted to a byte's first bit.
    const std::size_t stride = (static_cast<std::size_t>(part.Width) + 7) / 8;
    cropped_.assign(stride * static_cast<std::size_t>(part.Height), 0);
    for (int r = 0; r < part.Height; ++r) {
      const std::uint8_t* source = part.Bits + static_cast<std::size_t>(r) * static_cast<std::size_t>(image.Stride);
      std::uint8_t* target = cropped_.data() + static_cast<std::size_t>(r) * stride;
      for (int c = 0; c < part.Width; ++c) {
        const int from = left + c;
        if ((source[from / 8] >> (7 - from % 8)) & 1) target[c / 8] |= static_cast<std::uint8_t>(0x80 >> (c % 8));
      }
    }
    part.Stride = static_cast<int>(stride);
    part.Bits = cropped_.data();
  }
  AddAt(x + left * dot_width, y + top * dot_height, x + right * dot_width, y + bottom * dot_height, part, color);
}

void PictureSet::AddAt(double x, double y, double right, double bottom, const TMonoImage& image, TRgb color) {
  const double dot_width = (right - x) / image.Width;
  const double dot_height = (bottom - y) / image.Height;
  int column = 0;
  int row = 0;
  Picture* picture = Joining(x, y, dot_width, dot_height, image, color, column, row);
  if (picture == nullptr) {
    if (count_ == pictures_.size()) pictures_.emplace_back();
    picture = &pictures_[count_++];
    picture->X = picture->Right = x;
    picture->Y = picture->Bottom = y;
    picture->Color = color;
    picture->Columns = 0;
    picture->Rows = 0;
    picture->Bits.clear();
    picture->Stride = 0;
    column = row = 0;
  }
  Place(*picture, column, row, image);
  picture->Right = std::max(picture->Right, right);
  picture->Bottom = std::max(picture->Bottom, bottom);
}

}  // namespace prynda
