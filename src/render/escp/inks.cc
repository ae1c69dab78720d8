#include "render/escp/inks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "render/page_cycle.h"

namespace prynda::escp {

namespace {

// The rows kept at most; past it the topmost are drawn, as a sheet is printed from the top.
constexpr std::size_t kKeptBytes = 32u << 20;

struct Ink {
  InkSet Plane;
  std::uint8_t Red, Green, Blue;
};
constexpr Ink kInks[] = {
    {kBlack, 0, 0, 0},           {kCyan, 0, 255, 255},        {kMagenta, 255, 0, 255},
    {kYellow, 255, 255, 0},      {kLightCyan, 128, 255, 255}, {kLightMagenta, 255, 128, 255},
    {kLightBlack, 128, 128, 128},
};

// The nearest cell, of places within reach of a sheet; any farther (or not a number) far off it.
constexpr double kFar = 1e15;
std::int64_t Nearest(double value) {
  if (!(value > -kFar)) return static_cast<std::int64_t>(-kFar);
  return static_cast<std::int64_t>(std::floor(std::min(value, kFar) + 0.5));
}

}  // namespace

TColor MixedColor(InkSet inks) {
  double red = 1, green = 1, blue = 1;
  for (const Ink& ink : kInks) {
    if ((inks & ink.Plane) == 0) continue;
    red *= ink.Red / 255.0;
    green *= ink.Green / 255.0;
    blue *= ink.Blue / 255.0;
  }
  const auto channel = [](double share) { return static_cast<TColor>(std::lround(share * 255)); };
  return channel(red) | channel(green) << 8 | channel(blue) << 16;
}

void InkLayers::SetGrid(TCanvas& canvas, double cell_x, double cell_y, double width, double height) {
  if (cell_x != cell_x_ || cell_y != cell_y_) {
    DrawAll(canvas);
    cell_x_ = cell_x;
    cell_y_ = cell_y;
  }
  // Cells that begin on the sheet.
  columns_ = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(width / cell_x)));
  rows_on_sheet_ = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(height / cell_y)));
}

void InkLayers::Lay(TCanvas& canvas, double x, double y, double step, const std::uint8_t* bits, std::uint32_t dots,
                    InkSet inks) {
  if (inks == 0 || dots == 0 || cell_x_ <= 0 || cell_y_ <= 0) return;
  const std::int64_t row = Nearest(y / cell_y_);
  if (row < 0 || row >= rows_on_sheet_) return;
  const double first = x / cell_x_;
  const double per_dot = step / cell_x_;
  // The dots from `limit` on fall right of the sheet; the last one set before it sizes the row.
  std::uint32_t limit = dots;
  if (per_dot > 0) {
    limit = static_cast<std::uint32_t>(std::clamp(std::ceil((columns_ - 0.5 - first) / per_dot), 0.0, static_cast<double>(dots)));
  } else if (Nearest(first) >= columns_) {
    limit = 0;
  }
  std::int64_t last = -1;
  for (std::uint32_t byte = (limit + 7) / 8; byte-- > 0;) {
    const unsigned valid = std::min(8u, limit - 8 * byte);
    const auto set = static_cast<unsigned>(bits[byte] & (0xFF00u >> valid));
    if (set != 0) {
      last = 8 * static_cast<std::int64_t>(byte) + 7 - std::countr_zero(set);
      break;
    }
  }
  if (last < 0) return;
  // Dot i's cell, in fixed point of 32 bits after the point: floor(first + 0.5 + i * per_dot).
  constexpr double kOne = 4294967296.0;
  const auto origin = static_cast<std::int64_t>(std::floor((first + 0.5) * kOne));
  const auto advance = static_cast<std::int64_t>(std::floor(per_dot * kOne));
  const auto column_of = [&](std::int64_t i) { return (origin + i * advance) >> 32; };
  const std::int64_t rightmost = column_of(last);
  if (rightmost < 0) return;
  std::vector<InkSet>& cells = rows_[row];
  if (static_cast<std::size_t>(rightmost) >= cells.size()) {
    kept_ += static_cast<std::size_t>(rightmost) + 1 - cells.size();
    cells.resize(static_cast<std::size_t>(rightmost) + 1, 0);
  }
  for (std::int64_t i = 0; i <= last; ++i) {
    const std::uint8_t byte = bits[i / 8];
    if (byte == 0) {
      i |= 7;  // eight clear dots
      continue;
    }
    if (((byte >> (7 - i % 8)) & 1) == 0) continue;
    const std::int64_t column = column_of(i);
    if (column >= 0) cells[static_cast<std::size_t>(column)] |= inks;
  }
  if (kept_ > kKeptBytes) {
    auto end = rows_.begin();
    for (std::size_t freed = 0; end != rows_.end() && kept_ - freed > kKeptBytes / 2; ++end) freed += end->second.size();
    Draw(canvas, rows_.begin(), end);
  }
}

void InkLayers::DrawAbove(TCanvas& canvas, double y) {
  if (rows_.empty()) return;
  // A row ends above y when the next one begins there or above it.
  const auto last = y >= kEverything ? rows_.end() : rows_.lower_bound(Nearest(std::floor(y / cell_y_)));
  Draw(canvas, rows_.begin(), last);
}

double InkLayers::Top() const { return rows_.empty() ? kEverything : static_cast<double>(rows_.begin()->first) * cell_y_; }

void InkLayers::Draw(TCanvas& canvas, Rows::iterator first, Rows::iterator last) {
  for (auto run = first; run != last;) run = DrawRun(canvas, run, last);
  for (auto row = first; row != last; ++row) kept_ -= row->second.size();
  rows_.erase(first, last);
}

InkLayers::Rows::iterator InkLayers::DrawRun(TCanvas& canvas, Rows::iterator first, Rows::iterator last) {
  // The run's rows and the columns they reach.
  auto end = first;
  std::size_t left = SIZE_MAX, right = 0;
  for (std::int64_t row = first->first; end != last && end->first == row; ++end, ++row) {
    const std::vector<InkSet>& cells = end->second;
    const auto dot = std::find_if(cells.begin(), cells.end(), [](InkSet inks) { return inks != 0; });
    left = std::min(left, static_cast<std::size_t>(dot - cells.begin()));
    right = std::max(right, cells.size());
  }
  if (right <= left) return end;
  const std::int64_t top = first->first;
  const auto height = static_cast<std::size_t>(std::prev(end)->first - top + 1);
  const std::size_t width = right - left;
  const std::size_t stride = (width + 7) / 8;

  // One image per mixture, made in one pass over the cells.
  std::array<int, 128> image_of{};
  image_of.fill(-1);
  std::vector<InkSet> mixtures;
  for (auto row = first; row != end; ++row) {
    const std::vector<InkSet>& cells = row->second;
    const std::size_t y = static_cast<std::size_t>(row->first - top);
    for (std::size_t column = left; column < cells.size(); ++column) {
      const InkSet inks = cells[column] & 0x7F;
      if (inks == 0) continue;
      if (image_of[inks] < 0) {
        image_of[inks] = static_cast<int>(mixtures.size());
        mixtures.push_back(inks);
        bits_.resize(mixtures.size() * stride * height);
        std::fill(bits_.end() - static_cast<std::ptrdiff_t>(stride * height), bits_.end(), std::uint8_t{0});
      }
      const std::size_t at = static_cast<std::size_t>(image_of[inks]) * stride * height + y * stride + (column - left) / 8;
      bits_[at] |= static_cast<std::uint8_t>(0x80 >> ((column - left) % 8));
    }
  }

  // Edges rounded from exact positions, so runs and bands meet edge to edge.
  const int x = RoundToPixel(static_cast<double>(left) * cell_x_);
  const int y = RoundToPixel(static_cast<double>(top) * cell_y_);
  const int w = RoundToPixel(static_cast<double>(right) * cell_x_) - x;
  const int h = RoundToPixel(static_cast<double>(top + static_cast<std::int64_t>(height)) * cell_y_) - y;
  TFont& font = canvas.Font();
  const TColor color = font.Color();
  std::sort(mixtures.begin(), mixtures.end());
  for (const InkSet inks : mixtures) {
    const TMonoImage image{static_cast<int>(width), static_cast<int>(height), static_cast<int>(stride),
                           bits_.data() + static_cast<std::size_t>(image_of[inks]) * stride * height};
    font.SetColor(MixedColor(inks));
    canvas.DrawImage(x, y, w, h, image);
  }
  font.SetColor(color);
  return end;
}

}  // namespace prynda::escp
