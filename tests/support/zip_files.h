// ZIP archives written byte by byte for the tests and fuzz targets of XPS documents: each part
// deflated (libdeflate) or stored, with or without a lie in the size its headers give.
#pragma once

#include <libdeflate.h>

#include <cstdint>
#include <string>
#include <vector>

namespace prynda::testing {

struct ZipPart {
  std::string Name;
  std::string Bytes;
  long SizeLie = 0;  // added to the size its headers give
};

inline void PutLittleEndian(std::string& out, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

inline std::string Zip(const std::vector<ZipPart>& parts, bool deflate = true) {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
  std::string archive, directory;
  for (const ZipPart& part : parts) {
    std::string packed = part.Bytes;
    if (deflate) {
      packed.resize(libdeflate_deflate_compress_bound(compressor, part.Bytes.size()));
      packed.resize(
          libdeflate_deflate_compress(compressor, part.Bytes.data(), part.Bytes.size(), packed.data(), packed.size()));
    }
    std::string common;
    PutLittleEndian(common, 20, 2);  // version needed
    PutLittleEndian(common, 0, 2);   // flags
    PutLittleEndian(common, deflate ? 8 : 0, 2);
    PutLittleEndian(common, 0, 4);  // time and date
    PutLittleEndian(common, libdeflate_crc32(0, part.Bytes.data(), part.Bytes.size()), 4);
    PutLittleEndian(common, packed.size(), 4);
    PutLittleEndian(common, part.Bytes.size() + part.SizeLie, 4);
    PutLittleEndian(common, part.Name.size(), 2);
    PutLittleEndian(directory, 0x02014b50, 4);
    PutLittleEndian(directory, 20, 2);
    directory += common;
    directory.append(12, 0);  // no extra field or comment; disk, attributes
    PutLittleEndian(directory, archive.size(), 4);
    directory += part.Name;
    PutLittleEndian(archive, 0x04034b50, 4);
    archive += common;
    PutLittleEndian(archive, 0, 2);
    archive += part.Name + packed;
  }
  libdeflate_free_compressor(compressor);
  const std::size_t start = archive.size();
  archive += directory;
  PutLittleEndian(archive, 0x06054b50, 4);
  PutLittleEndian(archive, 0, 4);
  PutLittleEndian(archive, parts.size(), 2);
  PutLittleEndian(archive, parts.size(), 2);
  PutLittleEndian(archive, directory.size(), 4);
  PutLittleEndian(archive, start, 4);
  PutLittleEndian(archive, 0, 2);
  return archive;
}

// An XPS document of one page, US Letter, with a filled rectangle on it; or with `page` for the
// page's markup.
inline std::string OnePageXps(const std::string& page = "") {
  const std::string xps = "http://schemas.microsoft.com/xps/2005/06";
  return Zip({
      {"[Content_Types].xml",
       R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
       R"(<Default Extension="fdseq" ContentType="application/vnd.ms-package.xps-fixeddocumentsequence+xml"/>)"
       R"(<Default Extension="fdoc" ContentType="application/vnd.ms-package.xps-fixeddocument+xml"/>)"
       R"(<Default Extension="fpage" ContentType="application/vnd.ms-package.xps-fixedpage+xml"/>)"
       R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/></Types>)"},
      {"_rels/.rels", R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                      R"(<Relationship Type=")" + xps + R"(/fixedrepresentation" Target="/FixedDocSeq.fdseq" Id="R0"/>)"
                      R"(</Relationships>)"},
      {"FixedDocSeq.fdseq", "<FixedDocumentSequence xmlns=\"" + xps +
                                "\"><DocumentReference Source=\"/Documents/1/FixedDoc.fdoc\"/></FixedDocumentSequence>"},
      {"Documents/1/FixedDoc.fdoc",
       "<FixedDocument xmlns=\"" + xps + "\"><PageContent Source=\"/Documents/1/Pages/1.fpage\"/></FixedDocument>"},
      {"Documents/1/Pages/1.fpage", !page.empty() ? page
                                                  : "<FixedPage Width=\"816\" Height=\"1056\" xml:lang=\"pl-PL\" xmlns=\"" + xps +
                                                        "\"><Path Data=\"M 96,96 L 400,96 L 400,300 L 96,300 Z\" "
                                                        "Fill=\"#FF3366CC\"/></FixedPage>"},
  });
}

}  // namespace prynda::testing
