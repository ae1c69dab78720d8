// The documents that are handed on as they are - PostScript, PDF, PCL - told by their first bytes,
// past a PJL header and Ctrl-D bytes (recognition.h, step 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "recognition/recognition.h"

namespace prynda::recognition {

struct Document {
  JobLanguage Language;  // PostScript, Pdf or Pcl
  std::size_t Start;     // past the PJL header and the Ctrl-D bytes
};

// Nothing when the bytes are none of the three.
std::optional<Document> FindDocument(std::span<const std::uint8_t> bytes);

// The length of PCL's parameterised escape sequence at the start of `bytes` (ESC & l 1 O,
// ESC ( s 0 p 12 H, ESC ( 10 U, ESC * b 20 W without its data); 0 when it is none.
std::size_t PclSequenceLength(std::span<const std::uint8_t> bytes);

}  // namespace prynda::recognition
