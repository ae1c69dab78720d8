// What the markup of an XPS package (pages, documents, resources) may hold before libgxps draws
// it: elements nested no deeper than a limit, each attribute once, and geometry libgxps can read
// without stopping the program (it aborts on a command letter it does not know, and reads past the
// end of a curve's points when they do not make whole curves).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace prynda {

// Markup as libgxps parses it: after spaces and a byte order mark, a '<'.
bool IsMarkup(std::string_view part);

// Raises XpsError for the markup of the part `name`: TooLarge where its elements nest deeper than
// `nesting`, Damaged for an attribute given twice or geometry libgxps cannot take.
void CheckMarkup(std::string_view markup, const std::string& name, std::uint32_t nesting);

}  // namespace prynda
