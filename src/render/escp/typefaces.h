// The typeface families of ESC k, one row each: its number, its name (console, documents), the key
// of [Prynda] with which a site names another face for it, and its built-in face. A family prints
// in its face only where the printer offers that face; elsewhere the job's own fonts print.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace prynda::escp {

struct Typeface {
  std::uint8_t Number;
  std::string_view Name;
  std::string_view Key;
  std::string_view Face;
};

std::span<const Typeface> Typefaces();

}  // namespace prynda::escp
