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

}  // namespace prynda::testing
