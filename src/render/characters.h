// A character as a table reads a byte, or as UTF-8 spells it: a glyph, the lines of a box-drawing
// character, a shade or block filling its cell, or (FX mode's italic table) a control code.
#pragma once

#include <cstdint>

#include "render/box_drawing.h"

namespace prynda {

enum class CharacterKind : std::uint8_t {
  Text,     // a glyph of the font; a byte the table has no character for is a blank
  Box,      // box-drawing lines: Detail is the PC437 byte that DrawBoxCharacter draws them for
  Block,    // a shade or block filling its cell or half of it
  Control,  // FX mode's italic table's 0x80-0x9F: the control code 0x00-0x1F (ESC 7)
  Ignored,  // the same with ESC 6: nothing, not even a move
};

struct Character {
  char32_t CodePoint = U' ';
  CharacterKind Kind = CharacterKind::Text;
  std::uint8_t Detail = 0;
  bool Italic = false;  // FX mode's italic table slants it whatever the print mode says
};

// `c` as a glyph, box lines or a block; 0 (no character) is a blank.
inline Character ClassifyCharacter(char32_t c) {
  Character character;
  character.CodePoint = c != 0 ? c : U' ';
  if (const std::uint8_t box = BoxByteOf(c); box != 0) {
    character.Kind = CharacterKind::Box;
    character.Detail = box;
  } else if (BlockShapeOf(c) != nullptr) {
    character.Kind = CharacterKind::Block;
  }
  return character;
}

}  // namespace prynda
