// Our own dialect as a dialect of the render loop: control bytes, the escape sequences and the
// prefix commands through their tables, box-drawing characters as lines, every other byte a
// character of the text in its cell.
#pragma once

#include "render/dialect.h"
#include "render/own/own.h"

namespace prynda::own {

class OwnDialect final : public Dialect {
 public:
  // auto_cr: a line feed also returns the carriage (files with LF-only line ends).
  OwnDialect(TRenderState& state, bool auto_cr, OwnText text, bool pages_when_printed);

  TPrinterOrientation Orientation() override;
  void Start() override;
  std::int32_t Byte(std::uint8_t c) override;
  void Finish() override;

 private:
  // The page asked for, begun with the byte read after the request, at the top-left corner.
  void BeginNewPage();
  // A byte of text (0x21-0xFF) through the code page or UTF-8; the columns it moves.
  std::int32_t Text(std::uint8_t c);
  std::int32_t PrintCharacter(char32_t c);

  OwnModes own_;
};

}  // namespace prynda::own
