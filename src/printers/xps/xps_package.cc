#include "printers/xps/xps_package.h"

#include <libdeflate.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "device/printer_error.h"
#include "printers/xps/xps_markup.h"

namespace prynda {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kDirectoryEnd = 0x06054b50;
constexpr std::uint32_t kDirectoryEnd64 = 0x06064b50;
constexpr std::uint32_t kDirectoryEnd64Locator = 0x07064b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kDirectoryEndSize = 22;
constexpr std::size_t kDirectoryEnd64Size = 56;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kEncrypted = 1;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint32_t kUnknown32 = 0xFFFFFFFF;

// Little-endian numbers as ZIP writes them, and big- or little-endian ones of pictures' headers.
std::uint64_t Number(std::string_view bytes, std::size_t at, int size, bool big_endian = false) {
  std::uint64_t value = 0;
  for (int i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(big_endian ? i : size - 1 - i)]);
    value = value << 8 | byte;
  }
  return value;
}
std::uint16_t U16(std::string_view bytes, std::size_t at) { return static_cast<std::uint16_t>(Number(bytes, at, 2)); }
std::uint32_t U32(std::string_view bytes, std::size_t at) { return static_cast<std::uint32_t>(Number(bytes, at, 4)); }

void Put(std::string& out, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

// The package's file from its offset on, read where its directory points.
class Source {
 public:
  Source(const std::string& path, std::uint64_t offset) : path_(path), file_(path, std::ios::binary), offset_(offset) {
    if (!file_ || !file_.seekg(0, std::ios::end)) throw EPrinter("Cannot read the document " + path);
    const auto end = static_cast<std::uint64_t>(file_.tellg());
    if (offset > end) throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
    size_ = end - offset;
  }

  std::uint64_t Size() const { return size_; }

  // `size` bytes from `at`; Damaged where they would run past the end, saying what they are.
  std::string Read(std::uint64_t at, std::uint64_t size, const std::string& what) {
    if (at > size_ || size > size_ - at) RaiseDamaged(what + " lies beyond the end of the file");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file_.seekg(static_cast<std::streamoff>(offset_ + at));
    if (!file_.read(bytes.data(), static_cast<std::streamsize>(size))) {
      throw EPrinter("Cannot read the document " + path_);
    }
    return bytes;
  }

 private:
  std::string path_;
  std::ifstream file_;
  std::uint64_t offset_;
  std::uint64_t size_ = 0;
};

// Where the directory lies and how many entries it has; `Base` is where the archive starts in the
// file (after anything put before it that its offsets do not count).
struct Directory {
  std::uint64_t Base = 0;
  std::uint64_t Start = 0;
  std::uint64_t Size = 0;
  std::uint64_t Entries = 0;
};

Directory FindDirectory(Source& source) {
  const std::uint64_t size = source.Size();
  if (size < kDirectoryEndSize) RaiseDamaged("it is no ZIP archive");
  const std::uint64_t tail_size = std::min<std::uint64_t>(size, kDirectoryEndSize + 0xFFFF);
  const std::string tail = source.Read(size - tail_size, tail_size, "the end of the archive");
  std::size_t end = std::string::npos;
  for (std::size_t at = tail.size() - kDirectoryEndSize + 1; at-- > 0;) {
    if (U32(tail, at) == kDirectoryEnd && at + kDirectoryEndSize + U16(tail, at + 20) <= tail.size()) {
      end = at;
      break;
    }
  }
  if (end == std::string::npos) RaiseDamaged("it is no ZIP archive");
  const std::uint64_t end_at = size - tail_size + end;
  if (U16(tail, end + 4) != 0 && U16(tail, end + 4) != 0xFFFF) RaiseDamaged("an archive split over several files");

  Directory directory{0, U32(tail, end + 16), U32(tail, end + 12), U16(tail, end + 10)};
  std::uint64_t directory_end = end_at;
  if (end_at >= 20 && U32(source.Read(end_at - 20, 4, "the archive's end"), 0) == kDirectoryEnd64Locator) {
    const std::string locator = source.Read(end_at - 20, 20, "the archive's end");
    const std::uint64_t record_at = Number(locator, 8, 8);
    const std::string record = source.Read(record_at, kDirectoryEnd64Size, "the archive's end");
    if (U32(record, 0) != kDirectoryEnd64) RaiseDamaged("the archive's end is not where it says");
    directory = {0, Number(record, 48, 8), Number(record, 40, 8), Number(record, 32, 8)};
    directory_end = record_at;
  }
  // Offsets count from the archive's first byte, which may follow bytes of another kind.
  if (directory.Size > directory_end || directory.Start > directory_end - directory.Size) {
    RaiseDamaged("its directory is not where it says");
  }
  directory.Base = directory_end - directory.Size - directory.Start;
  directory.Start += directory.Base;
  return directory;
}

// One part as the directory lists it.
struct Entry {
  std::string Name;
  std::uint16_t Flags = 0;
  std::uint16_t Method = 0;
  std::uint32_t Time = 0;  // time and date, as they were
  std::uint32_t Crc = 0;
  std::uint64_t Packed = 0;
  std::uint64_t Size = 0;
  std::uint64_t Offset = 0;  // of its local header
};

// Reads the directory entry at `at` of `bytes` and moves `at` past it.
Entry ReadEntry(std::string_view bytes, std::size_t& at) {
  if (bytes.size() - at < kDirectoryEntrySize || U32(bytes, at) != kDirectoryEntry) {
    RaiseDamaged("its directory ends early");
  }
  const std::size_t name = U16(bytes, at + 28), extra = U16(bytes, at + 30), comment = U16(bytes, at + 32);
  if (bytes.size() - at - kDirectoryEntrySize < name + extra + comment) RaiseDamaged("its directory ends early");
  Entry entry;
  entry.Flags = U16(bytes, at + 8);
  entry.Method = U16(bytes, at + 10);
  entry.Time = U32(bytes, at + 12);
  entry.Crc = U32(bytes, at + 16);
  entry.Packed = U32(bytes, at + 20);
  entry.Size = U32(bytes, at + 24);
  entry.Offset = U32(bytes, at + 42);
  entry.Name = bytes.substr(at + kDirectoryEntrySize, name);
  // The 64-bit sizes and offset, each only where its 32-bit field says so, in this order.
  std::string_view fields = bytes.substr(at + kDirectoryEntrySize + name, extra);
  at += kDirectoryEntrySize + name + extra + comment;
  if (entry.Size != kUnknown32 && entry.Packed != kUnknown32 && entry.Offset != kUnknown32) return entry;
  while (fields.size() >= 4 && U16(fields, 0) != 1) {
    fields.remove_prefix(std::min<std::size_t>(fields.size(), 4 + U16(fields, 2)));
  }
  const std::string_view wide = fields.size() >= 4 ? fields.substr(4, U16(fields, 2)) : std::string_view();
  std::size_t next = 0;
  for (std::uint64_t* field : {&entry.Size, &entry.Packed, &entry.Offset}) {
    if (*field != kUnknown32) continue;
    if (wide.size() < next + 8) RaiseDamaged("the part " + entry.Name + " has no size");
    *field = Number(wide, next, 8);
    next += 8;
  }
  return entry;
}

std::string Lowercase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The part's bytes unpacked, checked against its size and checksum; `packed` shrinks to the
// compressed stream alone, without what follows it.
std::string Unpack(const Entry& entry, std::string& packed) {
  std::string bytes;
  if (entry.Method == kStored) {
    if (packed.size() != entry.Size) RaiseDamaged("the part " + entry.Name + " is not as long as its directory says");
    bytes = packed;
  } else {
    bytes.resize(static_cast<std::size_t>(entry.Size));
    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!inflater) throw EPrinter("Out of memory for unpacking an XPS document");
    std::size_t used = 0;
    if (libdeflate_deflate_decompress_ex(inflater.get(), packed.data(), packed.size(), bytes.data(), bytes.size(),
                                         &used, nullptr) != LIBDEFLATE_SUCCESS) {
      RaiseDamaged("the part " + entry.Name + " does not unpack to the " + std::to_string(entry.Size) +
                   " bytes its directory says");
    }
    packed.resize(used);
  }
  if (libdeflate_crc32(0, bytes.data(), bytes.size()) != entry.Crc) {
    RaiseDamaged("the part " + entry.Name + " fails its checksum");
  }
  return bytes;
}

// The dots of the picture a part holds, by its own header: PNG, JPEG, TIFF or BigTIFF; 0 for any
// other part or a header too short to say.
std::uint64_t PictureDots(std::string_view part) {
  if (part.starts_with("\x89PNG\r\n\x1a\n") && part.size() >= 24 && part.substr(12, 4) == "IHDR") {
    return Number(part, 16, 4, true) * Number(part, 20, 4, true);
  }
  if (part.starts_with("\xFF\xD8")) {
    // As the decoder reads it: bytes between markers passed over, the first frame header before
    // the first scan.
    for (std::size_t at = 2; at < part.size();) {
      if (static_cast<unsigned char>(part[at]) != 0xFF) {
        ++at;
        continue;
      }
      while (at < part.size() && static_cast<unsigned char>(part[at]) == 0xFF) ++at;
      if (at >= part.size()) break;
      const auto marker = static_cast<unsigned char>(part[at++]);
      if (marker == 0 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
      if (marker == 0xDA || marker == 0xD9 || part.size() - at < 2) break;
      const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
      if (frame) return part.size() - at < 7 ? 0 : Number(part, at + 3, 2, true) * Number(part, at + 5, 2, true);
      at += Number(part, at, 2, true);
    }
    return 0;
  }
  const bool little = part.starts_with("II"), big = part.starts_with("MM");
  if ((!little && !big) || part.size() < 8) return 0;
  const std::uint64_t version = Number(part, 2, 2, big);
  if (version != 42 && version != 43) return 0;
  const bool wide = version == 43;  // BigTIFF: 8-byte counts and offsets, entries of 20 bytes
  const std::size_t entry_size = wide ? 20 : 12, count_size = wide ? 8 : 2, value_at = wide ? 12 : 8;
  if (wide && part.size() < 16) return 0;
  const std::uint64_t directory = Number(part, wide ? 8 : 4, wide ? 8 : 4, big);
  if (directory > part.size() || part.size() - directory < count_size) return 0;
  const std::uint64_t entries = Number(part, directory, static_cast<int>(count_size), big);
  std::uint64_t width = 0, height = 0;
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint64_t at = directory + count_size + i * entry_size;
    if (at > part.size() || part.size() - at < entry_size) break;
    const std::uint64_t tag = Number(part, at, 2, big), type = Number(part, at + 2, 2, big);
    const int size = type == 3 ? 2 : type == 4 ? 4 : type == 16 ? 8 : 0;  // SHORT, LONG, LONG8
    // A value larger than the entry's own field (a LONG8 of a classic TIFF) lies elsewhere: not read.
    if (size == 0 || size > (wide ? 8 : 4) || (tag != 256 && tag != 257)) continue;
    (tag == 256 ? width : height) = Number(part, at + value_at, size, big);
  }
  return width != 0 && height > UINT64_MAX / width ? UINT64_MAX : width * height;
}

// The copy, written as it is made: local headers with the true sizes, then the directory.
class PackageWriter {
 public:
  explicit PackageWriter(HiddenFile& file) : file_(file) {
    if (!file_.Create()) throw EPrinter("Cannot make a temporary file for an XPS document");
  }

  void Add(const Entry& entry, std::string_view packed) {
    if (written_ + kLocalHeaderSize + entry.Name.size() + packed.size() > kUnknown32) {
      RaiseTooLarge("a package of more than 4 GiB", kUnknown32);
    }
    Entry copy = entry;
    copy.Flags = entry.Flags & kUtf8Names;
    copy.Packed = packed.size();
    copy.Offset = written_;
    std::string header;
    Put(header, kLocalHeader, 4);
    PutCommon(header, copy);
    Put(header, 0, 2);  // no extra field
    header += copy.Name;
    Write(header);
    Write(packed);
    entries_.push_back(std::move(copy));
  }

  void Finish() {
    std::string directory;
    for (const Entry& entry : entries_) {
      Put(directory, kDirectoryEntry, 4);
      Put(directory, 20, 2);  // made by: MS-DOS, ZIP 2.0
      PutCommon(directory, entry);
      directory.append(12, 0);  // no extra field or comment; disk, attributes
      Put(directory, entry.Offset, 4);
      directory += entry.Name;
    }
    std::string end;
    Put(end, kDirectoryEnd, 4);
    Put(end, 0, 4);  // this disk and the directory's
    Put(end, entries_.size(), 2);
    Put(end, entries_.size(), 2);
    Put(end, directory.size(), 4);
    Put(end, written_, 4);
    Put(end, 0, 2);  // no comment
    Write(directory);
    Write(end);
  }

 private:
  // What local header and directory entry share: version needed, flags, method, time and date,
  // checksum, sizes and the name's length.
  static void PutCommon(std::string& out, const Entry& entry) {
    Put(out, 20, 2);
    Put(out, entry.Flags, 2);
    Put(out, entry.Method, 2);
    Put(out, entry.Time, 4);
    Put(out, entry.Crc, 4);
    Put(out, entry.Packed, 4);
    Put(out, entry.Size, 4);
    Put(out, entry.Name.size(), 2);
  }

  void Write(std::string_view bytes) {
    if (!file_.Write(bytes.data(), bytes.size())) throw EPrinter("Cannot write a temporary file for an XPS document");
    written_ += bytes.size();
  }

  HiddenFile& file_;
  std::uint64_t written_ = 0;
  std::vector<Entry> entries_;
};

// The compressed bytes of a part, found through its local header.
std::string ReadPacked(Source& source, const Directory& directory, const Entry& entry) {
  if (entry.Offset >= directory.Start - directory.Base) {
    RaiseDamaged("the part " + entry.Name + " lies after the directory");
  }
  const std::uint64_t header_at = directory.Base + entry.Offset;
  const std::string header = source.Read(header_at, kLocalHeaderSize, "the part " + entry.Name);
  const std::uint64_t data_at = header_at + kLocalHeaderSize + U16(header, 26) + U16(header, 28);
  if (U32(header, 0) != kLocalHeader || U16(header, 26) != entry.Name.size() ||
      source.Read(header_at + kLocalHeaderSize, entry.Name.size(), "the part " + entry.Name) != entry.Name) {
    RaiseDamaged("the part " + entry.Name + " is not where its directory says");
  }
  if (data_at > directory.Start || entry.Packed > directory.Start - data_at) {
    RaiseDamaged("the part " + entry.Name + " runs into the directory");
  }
  return source.Read(data_at, entry.Packed, "the part " + entry.Name);
}

// Raises for a part that libgxps may not be given: markup beyond the limits or that it cannot take,
// a picture of too many dots.
void CheckPart(const std::string& name, std::string_view bytes, const XpsLimits& limits) {
  if (IsMarkup(bytes)) {
    if (bytes.size() > limits.MarkupBytes) {
      RaiseTooLarge("the markup " + name + " of " + std::to_string(bytes.size()) + " bytes", limits.MarkupBytes);
    }
    CheckMarkup(bytes, name, limits.Nesting);
  } else if (const std::uint64_t dots = PictureDots(bytes); dots > limits.PictureDots) {
    RaiseTooLarge("the picture " + name + " of " + std::to_string(dots) + " dots", limits.PictureDots);
  }
}

// A piece of a part stored interleaved, by its name "PART/[N].piece" or "PART/[N].last.piece".
struct Piece {
  std::string Part;
  std::uint64_t Number = 0;
  bool Last = false;
};

std::optional<Piece> PieceOf(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  if (slash == std::string_view::npos || name.substr(slash + 1, 1) != "[") return std::nullopt;
  const std::size_t close = name.find(']', slash);
  if (close == std::string_view::npos || close - slash - 2 > 9 || close == slash + 2) return std::nullopt;
  Piece piece{std::string(name.substr(0, slash))};
  for (const char digit : name.substr(slash + 2, close - slash - 2)) {
    if (digit < '0' || digit > '9') return std::nullopt;
    piece.Number = piece.Number * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  const std::string kind = Lowercase(name.substr(close + 1));
  if (kind != ".piece" && kind != ".last.piece") return std::nullopt;
  piece.Last = kind == ".last.piece";
  return piece;
}

// The pieces of one part as they come, by their numbers.
struct Pieces {
  std::string Name;
  std::uint16_t Flags = 0;
  std::uint64_t Size = 0;
  std::optional<std::uint64_t> Last;
  std::map<std::uint64_t, std::string> Bytes;
};

}  // namespace

void RaiseDamaged(const std::string& why) {
  throw XpsError(XpsProblem::Damaged, "The XPS document is damaged: " + why);
}

void RaiseTooLarge(const std::string& what, std::uint64_t limit) {
  throw XpsError(XpsProblem::TooLarge,
                 "The XPS document is too large: " + what + " (at most " + std::to_string(limit) + ")");
}

std::uint64_t CopyPackage(const std::string& path, std::uint64_t offset, const XpsLimits& limits,
                          HiddenFile& package) {
  Source source(path, offset);
  if (source.Size() > limits.FileBytes) {
    RaiseTooLarge("a file of " + std::to_string(source.Size()) + " bytes", limits.FileBytes);
  }
  const Directory directory = FindDirectory(source);
  const std::uint64_t most_parts = std::min<std::uint64_t>(limits.Parts, 0xFFFF);
  if (directory.Entries > most_parts) RaiseTooLarge(std::to_string(directory.Entries) + " parts", most_parts);
  if (directory.Entries == 0) RaiseDamaged("it has no parts");
  const std::string listing = source.Read(directory.Start, directory.Size, "its directory");

  PackageWriter writer(package);
  std::unordered_set<std::string> names;
  auto name_once = [&](const std::string& name) {
    if (!names.insert(Lowercase(name)).second) RaiseDamaged("two parts are named " + name);
  };
  std::map<std::string, Pieces> interleaved;  // by the part's name in lower case
  std::uint64_t unpacked = 0;
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < directory.Entries; ++i) {
    const Entry entry = ReadEntry(listing, at);
    if (entry.Name.find('\0') != std::string::npos) RaiseDamaged("a part's name holds a NUL");
    name_once(entry.Name);
    if (entry.Flags & kEncrypted) RaiseDamaged("the part " + entry.Name + " is encrypted");
    if (entry.Method != kStored && entry.Method != kDeflated) {
      RaiseDamaged("the part " + entry.Name + " is packed by method " + std::to_string(entry.Method));
    }
    if (entry.Size > limits.PartBytes) {
      RaiseTooLarge("the part " + entry.Name + " of " + std::to_string(entry.Size) + " bytes", limits.PartBytes);
    }
    unpacked += entry.Size;
    if (unpacked > limits.PackageBytes) {
      RaiseTooLarge(std::to_string(unpacked) + " bytes unpacked", limits.PackageBytes);
    }
    std::string packed = ReadPacked(source, directory, entry);
    std::string bytes = Unpack(entry, packed);
    if (const std::optional<Piece> piece = PieceOf(entry.Name)) {
      Pieces& pieces = interleaved[Lowercase(piece->Part)];
      pieces.Name = piece->Part;
      pieces.Flags = entry.Flags;
      pieces.Size += bytes.size();
      if (pieces.Size > limits.PartBytes) {
        RaiseTooLarge("the part " + piece->Part + " of " + std::to_string(pieces.Size) + " bytes", limits.PartBytes);
      }
      if (pieces.Bytes.contains(piece->Number) || (piece->Last && pieces.Last)) {
        RaiseDamaged("the part " + piece->Part + " has a piece twice");
      }
      if (piece->Last) pieces.Last = piece->Number;
      pieces.Bytes[piece->Number] = std::move(bytes);
      continue;
    }
    CheckPart(entry.Name, bytes, limits);
    writer.Add(entry, packed);
  }
  // A part in pieces is one part of its own name here: libgxps reads it as one, and so it is checked.
  for (auto& [key, pieces] : interleaved) {
    name_once(pieces.Name);
    if (!pieces.Last || pieces.Bytes.size() != *pieces.Last + 1 || pieces.Bytes.rbegin()->first != *pieces.Last) {
      RaiseDamaged("the part " + pieces.Name + " lacks pieces");
    }
    std::string bytes;
    for (const auto& [number, piece] : pieces.Bytes) bytes += piece;
    CheckPart(pieces.Name, bytes, limits);
    Entry entry;
    entry.Name = pieces.Name;
    entry.Flags = pieces.Flags;
    entry.Method = kStored;
    entry.Crc = libdeflate_crc32(0, bytes.data(), bytes.size());
    entry.Size = bytes.size();
    writer.Add(entry, bytes);
  }
  writer.Finish();
  return source.Size();
}

}  // namespace prynda
