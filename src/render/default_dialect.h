// Our own dialect: control bytes, the ESC subset and the 0xFA prefix commands, box-drawing
// characters as lines, every other byte a character in its cell.
#pragma once

#include "render/dialect.h"

namespace prynda {

class DefaultDialect final : public Dialect {
 public:
  // auto_cr: a line feed also returns the carriage (files with LF-only line ends).
  explicit DefaultDialect(bool auto_cr) : auto_cr_(auto_cr) {}

  TPrinterOrientation Orientation(TRenderState& state) override;
  void Start(TRenderState&) override {}
  void Byte(TRenderState& state, std::uint8_t c) override;

 private:
  bool auto_cr_;
};

}  // namespace prynda
