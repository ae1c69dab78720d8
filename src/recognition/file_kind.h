// The kinds of file the system's library for telling file types names (platform/file_type.h) that
// are no printer language: documents, pictures, archives, compressed files, programs. A table
// from MIME types to them; an XPS document is a ZIP whose parts say so.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "recognition/recognition.h"

namespace prynda::recognition {

struct FileKind {
  JobLanguage Language;
  std::string Detail;  // the container's or program's own name ("ZIP", "gzip", "ELF"), or ""
};

// Nothing where the type is none of them (text, data, a printer language it may misname).
std::optional<FileKind> KindOfFile(std::span<const std::uint8_t> bytes);

}  // namespace prynda::recognition
