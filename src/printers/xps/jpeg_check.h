// A JPEG decoded once, as libgxps decodes one, before libgxps may meet it: libgxps 0.3.2 keeps the
// decoder's memory (some 64 KiB) each time it fails on a JPEG, and tries again at every use of the
// picture, so a document may only hold JPEGs that decode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace prynda {

// Raises XpsError for the JPEG `bytes` of the part `name`: Damaged where libjpeg (libgxps's, through
// its handle) cannot decode it, TooLarge for more than `most_dots` dots.
void CheckJpeg(std::string_view bytes, const std::string& name, std::uint64_t most_dots);

}  // namespace prynda
