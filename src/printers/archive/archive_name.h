// The archive's file names: a pattern of fields filled in for one job, made into a name that the
// file systems of Linux and Windows both take and that stays in the archive's folder.
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace prynda {

// The longest stem in bytes: room is left for "-NNNN.pdf" within a file name's 255.
inline constexpr std::size_t kMaxArchiveStem = 200;

struct ArchiveFields {
  std::string Name;          // {name}: the printed file's name without folder and extension
  std::string Printer;       // {printer}
  std::string User;          // {user}
  std::tm Time{};            // {date} as YYYY-MM-DD and {time} as HH-MM-SS, local time
  std::optional<int> Pages;  // {pages}; empty where the pages are not counted
};

// The name's stem, without ".pdf": the pattern with its fields filled in (an unknown {field} stays
// as written, and a ".pdf" at its end is the extension, not part of the stem), then made a name
// of one file in the folder - control bytes and / \ : * ? " < > | become "_", so does a leading
// dot (no hidden name, no "." or ".."); a device name of Windows (CON, NUL, COM1 ...) before
// the first dot gets a "_" after it; cut to kMaxArchiveStem bytes where a UTF-8 character
// begins; "_" for a stem that would be empty.
std::string ArchiveStem(std::string_view pattern, const ArchiveFields& fields);

// The name tried at `attempt` (1, 2, 3 ...): "STEM.pdf", then "STEM-2.pdf", "STEM-3.pdf" ...
std::string ArchiveFileName(const std::string& stem, int attempt);

// {name} for a printed file's path: its last part without the extension ("C:\DOS\FAKTURA.TXT"
// gives "FAKTURA"; both kinds of slash end a folder).
std::string PrintedFileName(std::string_view path);

}  // namespace prynda
