// An XPS document's ZIP package copied into one that says only what has been checked, for libgxps
// to read: every part unpacked once here within the XpsLimits, its checksum verified, and written
// again with its true sizes in its header and its compressed bytes as they were. libgxps then never
// meets a part larger than it says, one that unpacks without end, a part outside the directory, or
// markup it cannot take (xps_markup.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "printers/xps/xps_to_pdf.h"

namespace prynda {

// Copies the package in the file at `path` from byte `offset` on into `package` (created here);
// returns its size in that file. Raises XpsError: Damaged for a file that is no ZIP package or has
// a part that does not unpack as its directory says, TooLarge beyond `limits` (pictures by their
// headers' sizes); EPrinter when `path` cannot be read or `package` written.
std::uint64_t CopyPackage(const std::string& path, std::uint64_t offset, const XpsLimits& limits, HiddenFile& package);

// Raise XpsError: Damaged saying why, TooLarge saying what and the limit it passes.
[[noreturn]] void RaiseDamaged(const std::string& why);
[[noreturn]] void RaiseTooLarge(const std::string& what, std::uint64_t limit);

}  // namespace prynda
