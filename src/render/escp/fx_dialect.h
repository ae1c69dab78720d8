// FX mode as a dialect of the render loop: every byte of the file through the command tables of
// the groups (print modes, lines and forms, horizontal motion, bit images, character tables,
// printer control), every other byte a character in its cell.
#pragma once

#include "render/dialect.h"
#include "render/escp/fx.h"

namespace prynda::escp {

class FxDialect final : public Dialect {
 public:
  // The job's character table is the printer's; FX mode reads the file's bytes as they are.
  FxDialect(TRenderState& state, bool pins24, const CodePage& table);

  // The orientation stays portrait: ESC/P has no command for it.
  TPrinterOrientation Orientation() override { return TPrinterOrientation::Portrait; }
  void Start() override;
  std::int32_t Byte(std::uint8_t c) override;
  // Names the characters that no face had, if there were any.
  void Finish() override;

 private:
  Fx fx_;
};

}  // namespace prynda::escp
