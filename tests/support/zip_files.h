// ZIP archives written byte by byte for the tests and fuzz targets of XPS documents: each part
// deflated (libdeflate) or stored, with or without a lie in the size its headers give; XPS packages
// of such parts.
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

// The names of the two editions of the format.
struct Schema {
  std::string Representation;  // the relationship's type
  std::string Namespace;
};
inline const Schema kMicrosoft{"http://schemas.microsoft.com/xps/2005/06/fixedrepresentation",
                        "http://schemas.microsoft.com/xps/2005/06"};
inline const Schema kOpen{"http://schemas.openxps.org/oxps/v1.0/fixedrepresentation", "http://schemas.openxps.org/oxps/v1.0"};

inline std::string Page(const std::string& body, int width = 816, int height = 1056, const Schema& schema = kMicrosoft) {
  return "<FixedPage Width=\"" + std::to_string(width) + "\" Height=\"" + std::to_string(height) + "\" xmlns=\"" +
         schema.Namespace + "\" xml:lang=\"pl-PL\">" + body + "</FixedPage>";
}
inline const std::string kFilledPath = R"(<Path Data="M 96,96 L 400,96 L 400,300 L 96,300 Z" Fill="#FF3366CC"/>)";

// A package of one document whose pages are `pages` (markup of FixedPage), plus `more` parts; a
// page "@N" stands for the N-th part of `pages` again.
inline std::vector<ZipPart> Package(const std::vector<std::string>& pages, const Schema& schema = kMicrosoft,
                                     const std::vector<ZipPart>& more = {}) {
  std::vector<ZipPart> parts = {
      {"[Content_Types].xml",
       R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
       R"(<Default Extension="fdseq" ContentType="application/vnd.ms-package.xps-fixeddocumentsequence+xml"/>)"
       R"(<Default Extension="fdoc" ContentType="application/vnd.ms-package.xps-fixeddocument+xml"/>)"
       R"(<Default Extension="fpage" ContentType="application/vnd.ms-package.xps-fixedpage+xml"/>)"
       R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/></Types>)"},
      {"_rels/.rels", R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                      R"(<Relationship Type=")" +
                          schema.Representation + R"(" Target="/FixedDocSeq.fdseq" Id="R0"/></Relationships>)"},
      {"FixedDocSeq.fdseq",
       "<FixedDocumentSequence xmlns=\"" + schema.Namespace +
           "\"><DocumentReference Source=\"/Documents/1/FixedDoc.fdoc\"/></FixedDocumentSequence>"},
  };
  std::string document = "<FixedDocument xmlns=\"" + schema.Namespace + "\">";
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const std::string number = pages[i].starts_with("@") ? pages[i].substr(1) : std::to_string(i + 1);
    document += "<PageContent Source=\"/Documents/1/Pages/" + number + ".fpage\"/>";
    if (!pages[i].starts_with("@")) parts.push_back({"Documents/1/Pages/" + number + ".fpage", pages[i]});
  }
  parts.push_back({"Documents/1/FixedDoc.fdoc", document + "</FixedDocument>"});
  parts.insert(parts.end(), more.begin(), more.end());
  return parts;
}

// An XPS document of one page, US Letter, with a filled rectangle on it; or with `page` for the
// page's markup.
inline std::string OnePageXps(const std::string& page = "") { return Zip(Package({page.empty() ? Page(kFilledPath) : page})); }

}  // namespace prynda::testing
