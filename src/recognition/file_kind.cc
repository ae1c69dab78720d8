#include "recognition/file_kind.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/file_type.h"

namespace prynda::recognition {

namespace {

struct MimeRow {
  std::string_view Mime;
  JobLanguage Language;
  std::string_view Detail;
};

// Every type the system's library may name them by (Windows' own names among them). Only these
// are believed: of a printer's job the library may say anything (one capture of an ESC/P job
// reads as a thermal camera's data to it). PostScript is not among them: the library names
// anything that begins "%!" so, text too; recognition tells PostScript by its own reading.
constexpr std::array kKinds = {
    MimeRow{"application/pdf", JobLanguage::Pdf, ""},
    MimeRow{"image/png", JobLanguage::Png, ""},
    MimeRow{"image/x-png", JobLanguage::Png, ""},
    MimeRow{"image/jpeg", JobLanguage::Jpeg, ""},
    MimeRow{"image/pjpeg", JobLanguage::Jpeg, ""},
    MimeRow{"image/tiff", JobLanguage::Tiff, ""},
    MimeRow{"image/gif", JobLanguage::Gif, ""},
    MimeRow{"image/bmp", JobLanguage::Bmp, ""},
    MimeRow{"image/x-ms-bmp", JobLanguage::Bmp, ""},
    MimeRow{"application/vnd.hp-HPGL", JobLanguage::HpGl, ""},
    MimeRow{"application/vnd.ms-xpsdocument", JobLanguage::Xps, ""},
    MimeRow{"application/oxps", JobLanguage::Xps, ""},
    MimeRow{"application/zip", JobLanguage::Archive, "ZIP"},
    MimeRow{"application/x-zip-compressed", JobLanguage::Archive, "ZIP"},
    MimeRow{"application/x-tar", JobLanguage::Archive, "tar"},
    MimeRow{"application/x-7z-compressed", JobLanguage::Archive, "7-Zip"},
    MimeRow{"application/vnd.rar", JobLanguage::Archive, "RAR"},
    MimeRow{"application/x-rar", JobLanguage::Archive, "RAR"},
    MimeRow{"application/x-cpio", JobLanguage::Archive, "cpio"},
    MimeRow{"application/x-archive", JobLanguage::Archive, "ar"},
    MimeRow{"application/vnd.ms-cab-compressed", JobLanguage::Archive, "CAB"},
    MimeRow{"application/gzip", JobLanguage::Compressed, "gzip"},
    MimeRow{"application/x-gzip-compressed", JobLanguage::Compressed, "gzip"},
    MimeRow{"application/x-bzip2", JobLanguage::Compressed, "bzip2"},
    MimeRow{"application/x-xz", JobLanguage::Compressed, "xz"},
    MimeRow{"application/zstd", JobLanguage::Compressed, "zstd"},
    MimeRow{"application/x-lzip", JobLanguage::Compressed, "lzip"},
    MimeRow{"application/x-lzma", JobLanguage::Compressed, "lzma"},
    MimeRow{"application/x-compress", JobLanguage::Compressed, "compress"},
    MimeRow{"application/x-executable", JobLanguage::Program, "ELF"},
    MimeRow{"application/x-pie-executable", JobLanguage::Program, "ELF"},
    MimeRow{"application/x-sharedlib", JobLanguage::Program, "ELF"},
    MimeRow{"application/x-object", JobLanguage::Program, "ELF"},
    MimeRow{"application/x-dosexec", JobLanguage::Program, "DOS/Windows"},
    MimeRow{"application/vnd.microsoft.portable-executable", JobLanguage::Program, "Windows"},
    MimeRow{"application/x-msdownload", JobLanguage::Program, "Windows"},
    MimeRow{"application/x-mach-binary", JobLanguage::Program, "macOS"},
};

// Office's packages (Word, Excel ...) and XPS are ZIPs of XML parts; libmagic names an XPS one
// after the family or after the ZIP.
constexpr std::string_view kOfficePackage = "Microsoft OOXML";
constexpr std::string_view kOfficeMime = "application/vnd.openxmlformats-officedocument.";

bool Contains(std::span<const std::uint8_t> bytes, std::string_view text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// An XPS package's fixed document sequence (XPS and OpenXPS) or pages among its first parts.
bool HasXpsParts(std::span<const std::uint8_t> bytes) {
  return Contains(bytes, ".fdseq") || Contains(bytes, ".fpage") || Contains(bytes, "FixedDocumentSequence");
}

}  // namespace

std::optional<FileKind> KindOfFile(std::span<const std::uint8_t> bytes) {
  const FileType type = TellFileType(bytes);
  const bool zip = type.Mime == "application/zip" || type.Mime == "application/x-zip-compressed" ||
                   type.Description.starts_with(kOfficePackage) || type.Mime.starts_with(kOfficeMime);
  if (zip && HasXpsParts(bytes)) return FileKind{JobLanguage::Xps, ""};
  if (type.Description.starts_with(kOfficePackage) || type.Mime.starts_with(kOfficeMime)) {
    return FileKind{JobLanguage::Archive, "ZIP"};
  }
  for (const MimeRow& row : kKinds) {
    if (type.Mime == row.Mime) return FileKind{row.Language, std::string(row.Detail)};
  }
  return std::nullopt;
}

}  // namespace prynda::recognition
