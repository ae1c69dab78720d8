// What the raster commands take beyond their fixed bytes, read from any source of bytes: the
// job's input as FX mode prints it, or bytes in memory when only their length is wanted
// (CommandLength). A source has Next() (0 once the bytes have ended), AtEnd() (true once a read
// went past the end) and Skip(count).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>

namespace prynda::escp {

// Bytes in memory as a source.
class SpanSource {
 public:
  explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t Next() {
    if (at_ < bytes_.size()) return bytes_[at_++];
    end_ = true;
    return 0;
  }
  bool AtEnd() const { return end_; }
  void Skip(std::uint64_t count) {
    if (count > bytes_.size() - at_) end_ = true;
    at_ += static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - at_));
  }
  std::size_t Position() const { return at_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool end_ = false;
};

// Raster data as it comes (any compression but 1) or run-length coded (1, TIFF's PackBits): a
// counter below 128 is followed by counter + 1 bytes as they are, a counter from 128 on by one
// byte that stands for 257 - counter bytes. A run may go on from one row into the next.
template <class Source>
class RasterData {
 public:
  RasterData(Source& in, std::uint8_t compression) : in_(in), coded_(compression == 1) {}

  // Up to `count` bytes into `out` (or only taken, where out is null); fewer where the input ends.
  std::uint64_t Read(std::uint8_t* out, std::uint64_t count) {
    std::uint64_t got = 0;
    while (got < count) {
      if (repeat_ > 0) {
        const std::uint64_t n = std::min<std::uint64_t>(repeat_, count - got);
        if (out != nullptr) std::memset(out + got, value_, static_cast<std::size_t>(n));
        repeat_ -= static_cast<std::uint32_t>(n);
        got += n;
        continue;
      }
      if (coded_ && literal_ == 0) {
        const std::uint8_t counter = in_.Next();
        if (in_.AtEnd()) break;
        if (counter < 128) {
          literal_ = counter + 1u;
        } else {
          value_ = in_.Next();
          if (in_.AtEnd()) break;
          repeat_ = 257u - counter;
        }
        continue;
      }
      // Bytes as they are: plain data, or the rest of a run of them.
      const std::uint64_t n = coded_ ? std::min<std::uint64_t>(literal_, count - got) : count - got;
      if (coded_) literal_ -= static_cast<std::uint32_t>(n);
      if (out == nullptr) {
        in_.Skip(n);  // a count past the end takes the rest
        got += n;
        if (in_.AtEnd()) break;
        continue;
      }
      for (std::uint64_t i = 0; i < n; ++i) {
        const std::uint8_t byte = in_.Next();
        if (in_.AtEnd()) return got;
        out[got++] = byte;
      }
    }
    return got;
  }
  // The rest of a run of bytes as they are, past the data's end.
  void Finish() {
    in_.Skip(literal_);
    literal_ = repeat_ = 0;
  }

 private:
  Source& in_;
  bool coded_;
  std::uint32_t literal_ = 0;
  std::uint32_t repeat_ = 0;
  std::uint8_t value_ = 0;
};

// ESC . c v h m nL nH: rows of dots, 1/3600 inch units; any compression but 0 and 1 announces no
// data here.
struct RasterImage {
  std::uint8_t Compression = 0;
  std::uint8_t VerticalDensity = 0;    // v/3600 inch between rows
  std::uint8_t HorizontalDensity = 0;  // h/3600 inch between dots
  std::uint8_t Rows = 0;
  std::uint32_t Dots = 0;  // across

  std::uint64_t Stride() const { return (Dots + 7u) / 8; }
  std::uint64_t Size() const { return Compression <= 1 ? Rows * Stride() : 0; }
};
template <class Source>
RasterImage ReadRasterHeader(Source& in) {
  RasterImage image;
  image.Compression = in.Next();
  image.VerticalDensity = in.Next();
  image.HorizontalDensity = in.Next();
  image.Rows = in.Next();
  const std::uint8_t low = in.Next();
  image.Dots = low + 256u * in.Next();
  return image;
}

// ESC i r c b nL nH mL mH (in graphics mode): lines of nL + 256 nH bytes each, b bits a dot (1,
// 2, or 3 for four). Where b is none of them the command ends with it, as the printer ends it.
struct RasterLines {
  std::uint8_t Ink = 0;
  std::uint8_t Compression = 0;
  std::uint8_t BitsPerDot = 0;  // 0: the command ended at b
  std::uint32_t BytesPerLine = 0;
  std::uint32_t Lines = 0;

  std::uint64_t Size() const { return static_cast<std::uint64_t>(BytesPerLine) * Lines; }
  std::uint32_t Dots() const { return BitsPerDot == 0 ? 0 : BytesPerLine * 8 / BitsPerDot; }
};
// The header after its colour byte r, `ink`.
template <class Source>
RasterLines ReadLinesHeader(Source& in, std::uint8_t ink) {
  RasterLines lines;
  lines.Ink = ink;
  lines.Compression = in.Next();
  const std::uint8_t bits = in.Next();
  if (bits < 1 || bits > 3) return lines;
  lines.BitsPerDot = bits == 3 ? 4 : bits;
  const std::uint8_t bytes_low = in.Next();
  lines.BytesPerLine = bytes_low + 256u * in.Next();
  const std::uint8_t lines_low = in.Next();
  lines.Lines = lines_low + 256u * in.Next();
  return lines;
}

// At most `count` bytes of a source, as a source: what a command counts out of the input.
template <class Source>
class Counted {
 public:
  Counted(Source& in, std::uint64_t count) : in_(in), left_(count) {}
  std::uint8_t Next() {
    if (left_ == 0) {
      end_ = true;
      return 0;
    }
    --left_;
    return in_.Next();
  }
  bool AtEnd() const { return end_ || in_.AtEnd(); }
  void Skip(std::uint64_t count) {
    if (count > left_) end_ = true;
    count = std::min(count, left_);
    left_ -= count;
    in_.Skip(count);
  }
  // What the command counted and was not read, taken.
  void Finish() { Skip(left_); }

 private:
  Source& in_;
  std::uint64_t left_;
  bool end_ = false;
};

// TIFF mode, which ESC . 2 v h 1 0 0 enters in graphics mode: binary commands up to <EXIT>. The
// top three bits of a command byte name it: 001 <XFER> (raster data), 010 <MOVX>, 011 <MOVY>,
// 100 <COLR>; with bit 4 clear its low nibble is the parameter (for <XFER> the count of data
// bytes), with it set the number of parameter bytes that follow (nL, nH). E1 <CLR>, E2 <CR>, E3
// <EXIT>, E4 <MOVXBYTE>, E5 <MOVXDOT> take no parameter; any other byte is passed over. The sink
// acts: Transfer(source, count) takes the count bytes of run-length coded data, MoveX(n) (signed,
// in dots or bytes), MoveY(n), Color(value, as a byte), CarriageReturn(), MoveInBytes(bool).
template <class Source, class Sink>
void TakeTiffMode(Source& in, Sink& sink) {
  for (;;) {
    const std::uint8_t command = in.Next();
    if (in.AtEnd()) return;
    const unsigned kind = command >> 5;
    if (kind == 7) {
      if (command == 0xE3) return;
      if (command == 0xE2) sink.CarriageReturn();
      if (command == 0xE4 || command == 0xE5) sink.MoveInBytes(command == 0xE4);
      continue;  // E1 clears the seed rows, which print nothing of themselves
    }
    if (kind == 0 || kind > 4) continue;
    std::uint32_t value = command & 0x0Fu;
    unsigned bits = 4;  // of the value, for its sign
    const bool counted = (command & 0x10) != 0;
    if (counted) {
      const unsigned count = value;
      value = 0;
      for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t byte = in.Next();
        if (i < 2) value |= static_cast<std::uint32_t>(byte) << (8 * i);
      }
      if (in.AtEnd()) return;
      bits = count == 1 ? 8 : 16;
    }
    switch (kind) {
      case 1: sink.Transfer(in, value); break;
      case 2: sink.MoveX(value >= (1u << (bits - 1)) ? static_cast<std::int32_t>(value) - (1 << bits) : static_cast<std::int32_t>(value)); break;
      case 3: sink.MoveY(value); break;
      default: sink.Color(static_cast<std::uint8_t>(value), counted); break;
    }
  }
}

// ESC ( R nL nH: with the eight bytes NUL R E M O T E 1 the printer enters remote mode, whose
// commands are two letters, nL nH and as many bytes, up to ESC NUL NUL NUL; other data is only
// taken. Nothing of it is printed.
template <class Source>
void TakeRemoteMode(Source& in, std::uint32_t count) {
  static constexpr std::array<std::uint8_t, 8> kRemote = {0, 'R', 'E', 'M', 'O', 'T', 'E', '1'};
  bool remote = count == kRemote.size();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t byte = in.Next();
    if (in.AtEnd()) return;
    if (i < kRemote.size() && byte != kRemote[i]) remote = false;
  }
  while (remote) {
    const std::uint8_t first = in.Next();
    const std::uint8_t second = in.Next();
    const std::uint8_t low = in.Next();
    const std::uint8_t high = in.Next();
    if (in.AtEnd()) return;
    in.Skip(low + 256u * high);
    remote = !(first == 0x1B && second == 0);  // ESC NUL and its count of 0: back to commands
  }
}

// ESC SOH, then the job language's lines "@EJL ..." up to LF, for as long as the next byte after
// one is '@'. Returns the bytes read that are not part of it (a start other than "@EJL", or the
// byte after the last line), for the caller to take as they come.
struct Unread {
  std::array<std::uint8_t, 4> Bytes{};
  std::size_t Count = 0;
};
template <class Source>
Unread TakeJobLanguage(Source& in) {
  static constexpr std::array<std::uint8_t, 4> kStart = {'@', 'E', 'J', 'L'};
  Unread unread;
  for (const std::uint8_t expected : kStart) {
    const std::uint8_t byte = in.Next();
    if (in.AtEnd()) return unread;
    unread.Bytes[unread.Count++] = byte;
    if (byte != expected) return unread;
  }
  for (;;) {
    while (in.Next() != '\n') {
      if (in.AtEnd()) return {};
    }
    const std::uint8_t byte = in.Next();
    if (in.AtEnd()) return {};
    if (byte != '@') return Unread{{byte}, 1};
  }
}

}  // namespace prynda::escp
