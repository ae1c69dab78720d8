// Our own dialect: control bytes, the ESC subset and the 0xFA prefix commands, box-drawing
// characters as lines, every other byte a character in its cell. Its page breaks are lazy: a
// request sets PageFull and the next byte read begins the page, whatever that byte is.
#pragma once

#include <cstdint>

#include "render/dialect.h"

namespace prynda {

// What our dialect keeps beside the render state.
struct DefaultModes {
  DefaultModes(TRenderState& state, bool auto_cr) : State(state), AutoCR(auto_cr) {}

  TRenderState& State;
  const bool AutoCR;                       // a line feed also returns the carriage (/LF)
  std::int32_t LineNo = 1;                 // line on the page, for the page break every n lines
  bool Expanded = false;                   // double width (prefix command E)
  std::int32_t SavedPitch = kPitch10Cpi;   // the pitch expanded mode returns to
};

// A line down, and the page break the settings ask for (/FF, /FF=n).
void LineFeed(DefaultModes& own);
// The page-state reset: 10 cpi, 1/6-inch lines, the base style, black, the first line.
void ResetPageState(DefaultModes& own);
// Columns from the current one to the next tab stop (every eighth from the first).
std::int64_t ColumnsToNextTab(const TRenderState& state);

class DefaultDialect final : public Dialect {
 public:
  // auto_cr: a line feed also returns the carriage (files with LF-only line ends).
  DefaultDialect(TRenderState& state, bool auto_cr);

  TPrinterOrientation Orientation(TRenderState& state) override;
  void Start(TRenderState& state) override;
  std::int32_t Byte(TRenderState& state, std::uint8_t c) override;

 private:
  // The page asked for, begun with the byte read after the request, at the top-left corner.
  void BeginNewPage();

  DefaultModes own_;
};

}  // namespace prynda
