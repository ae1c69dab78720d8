#include "printers/pdf/pdf_sink.h"

#include <cmath>
#include <utility>

namespace prynda {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

}  // namespace

TPageGeometry PaperGeometry(const TPaperSize& paper, int dpi, int margin, TPrinterOrientation orientation) {
  TPageGeometry geometry;
  int width = static_cast<int>(std::lround(paper.WidthMm / 25.4 * dpi));
  int height = static_cast<int>(std::lround(paper.HeightMm / 25.4 * dpi));
  geometry.WidthPoints = paper.WidthMm * kPointsPerMm;
  geometry.HeightPoints = paper.HeightMm * kPointsPerMm;
  if (orientation == TPrinterOrientation::Landscape) {
    std::swap(width, height);
    std::swap(geometry.WidthPoints, geometry.HeightPoints);
  }
  TDeviceCaps& caps = geometry.Caps;
  caps.LogPixelsX = dpi;
  caps.LogPixelsY = dpi;
  caps.PhysicalWidth = width;
  caps.PhysicalHeight = height;
  caps.PhysicalOffsetX = margin;
  caps.PhysicalOffsetY = margin;
  caps.HorzRes = width - 2 * margin;
  caps.VertRes = height - 2 * margin;
  return geometry;
}

}  // namespace prynda
