// The Proprinter as a dialect of the render loop: every byte through its command tables (FX mode's
// groups under its own rows), every other byte a character in its cell, as in FX mode.
#pragma once

#include "render/dialect.h"
#include "render/ibm/proprinter.h"

namespace prynda::ibm {

class ProprinterDialect final : public Dialect {
 public:
  // The job's character table is the printer's until ESC [ T selects another.
  ProprinterDialect(TRenderState& state, const CodePage& table);

  TPrinterOrientation Orientation() override { return TPrinterOrientation::Portrait; }
  void Start() override;
  std::int32_t Byte(std::uint8_t c) override;
  // Names the characters that no face had, if there were any.
  void Finish() override;

 private:
  Proprinter printer_;
};

}  // namespace prynda::ibm
