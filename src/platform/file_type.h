// What the system's library for telling file types says of a file's first bytes: libmagic on
// Linux (the library `file` uses, opened at run time when a job is first recognised), urlmon's
// FindMimeFromData on Windows. Only what a file is by its structure - pictures, documents,
// archives, programs - is asked; text is left to the caller.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace prynda {

struct FileType {
  std::string Mime;         // "image/png"; "" where the system has no answer
  std::string Description;  // libmagic's words for a ZIP it has no MIME type of its own for
                            // ("Microsoft OOXML"); "" elsewhere
};

FileType TellFileType(std::span<const std::uint8_t> head);

}  // namespace prynda
