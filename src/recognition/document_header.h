// What comes before a job's own bytes - Ctrl-D bytes and a PJL header - and the printer languages
// a job begins with as a whole: PCL (recognition.h, step 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "recognition/recognition.h"

namespace prynda::recognition {

struct Header {
  std::size_t Start = 0;                // past the PJL header and the Ctrl-D bytes
  bool Pjl = false;                     // a PJL header (a UEL or @PJL lines)
  std::optional<JobLanguage> Entered;   // the language its ENTER LANGUAGE names, if ours to tell
};

Header ReadHeader(std::span<const std::uint8_t> bytes);

// PCL before any text at `at`: resets, UELs and blank control bytes between its sequences, and
// one sequence that carries a value.
bool StartsAsPcl(std::span<const std::uint8_t> bytes, std::size_t at);

// The length of PCL's parameterised escape sequence at the start of `bytes` (ESC & l 1 O,
// ESC ( s 0 p 12 H, ESC ( 10 U, ESC * b 20 W without its data); 0 when it is none.
std::size_t PclSequenceLength(std::span<const std::uint8_t> bytes);

}  // namespace prynda::recognition
