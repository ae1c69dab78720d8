// What every PDF-making backend shares: where the PDF bytes go, and the page as the device sees it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "device/print_system.h"

namespace prynda {

// Where the PDF bytes go. Begin opens the destination for a document, Write takes the bytes as
// they are made, Commit completes the destination once the PDF is whole, Discard drops it.
class PdfSink {
 public:
  virtual ~PdfSink() = default;
  virtual void Begin(const TDocInfo& info) = 0;                          // raises EPrinter
  virtual bool Write(const unsigned char* data, std::size_t size) = 0;   // false on failure
  virtual std::string FailureText() const = 0;                           // why Write failed
  virtual void Commit() = 0;                                             // raises EPrinter
  virtual void Discard() noexcept = 0;
};

// The page as the device sees it: caps in device pixels, the paper in PDF points, and the form
// printed on it (TDeviceSettings::Form), if any.
struct TPageGeometry {
  TDeviceCaps Caps;
  double WidthPoints = 0;
  double HeightPoints = 0;
  std::shared_ptr<const PageForm> Form;
};

// A sheet at `dpi`, with a printable area `margin` pixels inside every edge, for an orientation.
TPageGeometry PaperGeometry(const TPaperSize& paper, int dpi, int margin, TPrinterOrientation orientation);
inline TPageGeometry A4Geometry(int dpi, int margin, TPrinterOrientation orientation) {
  return PaperGeometry(A4Paper(), dpi, margin, orientation);
}

}  // namespace prynda
