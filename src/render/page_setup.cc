#include "render/page_setup.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "device/printer.h"

namespace prynda {

namespace {

constexpr double kMmPerInch = 25.4;

// The printer took another sheet than the one asked for when either side differs by more than
// this: sizes in millimetres and in pixels do not round to each other exactly.
constexpr double kPaperToleranceMm = 2.0;

void TellPaperTaken(TRenderState& state, const TPaperSize& asked, const TDeviceCaps& caps,
                    TPrinterOrientation orientation) {
  double width = caps.PhysicalWidth * kMmPerInch / caps.LogPixelsX;
  double height = caps.PhysicalHeight * kMmPerInch / caps.LogPixelsY;
  if (orientation == TPrinterOrientation::Landscape) std::swap(width, height);
  if (std::abs(width - asked.WidthMm) <= kPaperToleranceMm && std::abs(height - asked.HeightMm) <= kPaperToleranceMm) {
    return;
  }
  state.Job.Console.Line("Drukarka nie ma papieru ", Raw{asked.Name}, ": drukuję na jej własnym (",
                         std::to_string(std::lround(width)), " x ", std::to_string(std::lround(height)), " mm)");
}

}  // namespace

TPrinterOrientation SetUpPage(TRenderState& state, TPrinterOrientation orientation) {
  TPrinter& printer = state.Printer;
  const PryndaSettings& page = state.Job.Prynda;
  printer.SetPaper(page.Paper);

  const double width = (page.FormWidth > 0 ? page.FormWidth : kDefaultFormWidth) / 10.0;  // inches
  double length = page.FormLength / 6.0 + state.Settings.TopMarginLines / 6.0;            // 0: the sheet's
  if (page.Emulation == EmulationKind::Fx || page.Emulation == EmulationKind::Ibm) {
    switch (page.Orientation) {
      case OrientationChoice::Portrait: orientation = TPrinterOrientation::Portrait; break;
      case OrientationChoice::Landscape: orientation = TPrinterOrientation::Landscape; break;
      case OrientationChoice::Auto: {
        printer.SetPageOrientation(TPrinterOrientation::Portrait);
        const TDeviceCaps& portrait = printer.PhysicalCaps();
        const double sheet = static_cast<double>(portrait.VertRes) / portrait.LogPixelsY;
        orientation = width > (page.FormLength > 0 ? length : sheet) ? TPrinterOrientation::Landscape
                                                                      : TPrinterOrientation::Portrait;
        break;
      }
      case OrientationChoice::File: break;
    }
  }
  printer.SetPageOrientation(orientation);
  const TDeviceCaps& caps = printer.PhysicalCaps();
  if (page.Paper) TellPaperTaken(state, *page.Paper, caps, orientation);

  double scale = 1.0;
  if (page.Fit && caps.LogPixelsX > 0 && caps.LogPixelsY > 0) {
    scale = std::min(scale, caps.HorzRes / (width * caps.LogPixelsX));
    if (page.FormLength > 0) scale = std::min(scale, caps.VertRes / (length * caps.LogPixelsY));
  }
  printer.SetPageScale(scale);
  printer.SetPageOffset(page.OffsetXMm, page.OffsetYMm);
  return orientation;
}

double FormLengthPixels(TRenderState& state) {
  const int lines = state.Job.Prynda.FormLength;
  if (lines <= 0) return 0;
  const double line = state.Page.DpiY / 6.0;
  const double form = lines * line;
  // Lines whose bottom falls below the printable area do not fit.
  const long fitting = static_cast<long>(std::floor((state.Page.PageHeight - state.Page.TopMargin) / line + 1e-9));
  if (fitting < lines) TellFormTooLong(state, std::max(fitting + 1, 1L), lines);
  return form;
}

void TellFormTooLong(TRenderState& state, long first_line, long last_line) {
  if (state.Page.ToldFormTooLong) return;
  state.Page.ToldFormTooLong = true;
  const std::string lines = first_line == last_line ? "wiersz " + std::to_string(first_line) + " formularza nie mieści"
                                                    : "wiersze " + std::to_string(first_line) + "–" +
                                                          std::to_string(last_line) + " formularza nie mieszczą";
  state.Job.Console.Line("Formularz dłuższy niż strona drukarki: ", lines, " się na niej (/FIT zmniejszy wydruk)");
}

}  // namespace prynda
