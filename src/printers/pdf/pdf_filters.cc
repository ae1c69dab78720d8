#include "printers/pdf/pdf_filters.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <vector>

namespace prynda {

namespace {

// One filter of a chain: takes its data in pieces and hands what it makes to the next; the last
// only counts. Put answers false once nothing more is wanted: the data ended, was damaged, or what
// some filter gave passed the bound.
class Stage {
 public:
  Stage(Stage* next, std::uint64_t most) : next_(next), most_(most) {}
  virtual ~Stage() = default;
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  virtual bool Put(const std::uint8_t* data, std::size_t size) = 0;
  // Hands on what the data's end still holds; nothing when called again.
  virtual void Finish() {}

  bool Full() const { return given_ > most_; }
  std::uint64_t Given() const { return given_; }

 protected:
  bool Out(const std::uint8_t* data, std::size_t size) {
    given_ += size;
    if (Full()) return false;
    return next_ == nullptr || next_->Put(data, size);
  }

 private:
  Stage* next_;
  std::uint64_t most_;
  std::uint64_t given_ = 0;
};

// The end of the chain: counts, and keeps what it is given where asked to.
class Counted final : public Stage {
 public:
  Counted(std::uint64_t most, std::string* kept) : Stage(nullptr, most), kept_(kept) {}
  bool Put(const std::uint8_t* data, std::size_t size) override {
    if (!Out(data, size)) return false;
    if (kept_ != nullptr) kept_->append(reinterpret_cast<const char*>(data), size);
    return true;
  }

 private:
  std::string* kept_;
};

class Inflate final : public Stage {
 public:
  Inflate(Stage* next, std::uint64_t most) : Stage(next, most), out_(1 << 16) { ok_ = inflateInit(&z_) == Z_OK; }
  ~Inflate() override { inflateEnd(&z_); }

  bool Put(const std::uint8_t* data, std::size_t size) override {
    while (ok_ && size > 0) {
      const auto piece = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
      z_.next_in = const_cast<Bytef*>(data);
      z_.avail_in = piece;
      do {
        z_.next_out = out_.data();
        z_.avail_out = static_cast<uInt>(out_.size());
        const int status = inflate(&z_, Z_NO_FLUSH);
        const std::size_t made = out_.size() - z_.avail_out;
        if (made > 0 && !Out(out_.data(), made)) ok_ = false;
        // The end of the data, or damage (a wrong checksum too: readers take the data before it).
        if (status != Z_OK && status != Z_BUF_ERROR) ok_ = false;
        if (status == Z_BUF_ERROR) break;
      } while (ok_ && (z_.avail_in > 0 || z_.avail_out == 0));
      data += piece - z_.avail_in;
      size -= piece - z_.avail_in;
      if (z_.avail_in > 0) break;
    }
    return ok_;
  }

 private:
  z_stream z_{};
  std::vector<std::uint8_t> out_;
  bool ok_ = false;
};

// Codes of 9 to 12 bits, 256 clearing the table and 257 ending the data; a table entry is an
// earlier one and one byte more.
class Lzw final : public Stage {
 public:
  Lzw(Stage* next, std::uint64_t most, bool early_change) : Stage(next, most), early_(early_change ? 1 : 0) {}

  bool Put(const std::uint8_t* data, std::size_t size) override {
    for (std::size_t i = 0; i < size && ok_; ++i) {
      held_ = (held_ << 8) | data[i];
      bits_ += 8;
      while (ok_ && bits_ >= width_) {
        bits_ -= width_;
        ok_ = Code((held_ >> bits_) & ((1u << width_) - 1));
      }
      held_ &= (1u << bits_) - 1;
    }
    return ok_;
  }

 private:
  struct Entry {
    unsigned Prefix;  // the code of the entry it extends
    std::uint8_t Last, First;
    unsigned Length;
  };
  static constexpr unsigned kClear = 256, kEnd = 257, kFirstEntry = 258, kMostCodes = 4096;

  std::uint8_t First(unsigned code) const {
    return code < 256 ? static_cast<std::uint8_t>(code) : table_[code - kFirstEntry].First;
  }
  unsigned Length(unsigned code) const { return code < 256 ? 1 : table_[code - kFirstEntry].Length; }

  bool Code(unsigned code) {
    if (code == kClear) {
      table_.clear();
      width_ = 9;
      last_ = kClear;
      return true;
    }
    if (code == kEnd) return false;
    const std::size_t entries = table_.size();
    if (code >= kFirstEntry && code - kFirstEntry > entries) return false;
    if (last_ != kClear) {
      // The entry the encoder made last: the string before and the first byte of this one.
      const std::uint8_t next = code < 256                      ? static_cast<std::uint8_t>(code)
                                : code - kFirstEntry == entries ? First(last_)
                                                                : First(code);
      if (kFirstEntry + entries == kMostCodes) return false;
      table_.push_back({last_, next, First(last_), Length(last_) + 1});
      const unsigned change = static_cast<unsigned>(kFirstEntry + entries) + early_;
      if (change == 511 || change == 1023 || change == 2047) ++width_;
    }
    last_ = code;
    if (code < 256) {
      const auto byte = static_cast<std::uint8_t>(code);
      return Out(&byte, 1);
    }
    if (code - kFirstEntry >= table_.size()) return false;
    unsigned at = Length(code);
    for (unsigned walk = code; walk >= 256; walk = table_[walk - kFirstEntry].Prefix) {
      string_[--at] = table_[walk - kFirstEntry].Last;
      if (table_[walk - kFirstEntry].Prefix < 256) {
        string_[--at] = static_cast<std::uint8_t>(table_[walk - kFirstEntry].Prefix);
        break;
      }
    }
    return Out(string_.data(), Length(code));
  }

  unsigned early_;
  std::vector<Entry> table_;
  std::array<std::uint8_t, kMostCodes> string_{};
  std::uint32_t held_ = 0;
  unsigned bits_ = 0, width_ = 9, last_ = kClear;
  bool ok_ = true;
};

// A length byte n: n + 1 bytes as they are (n < 128), the next byte 257 - n times (n > 128), the
// end (128).
class RunLength final : public Stage {
 public:
  using Stage::Stage;

  bool Put(const std::uint8_t* data, std::size_t size) override {
    for (std::size_t i = 0; i < size && ok_;) {
      if (copy_ > 0) {
        const std::size_t n = std::min<std::size_t>(copy_, size - i);
        ok_ = Out(data + i, n);
        copy_ -= static_cast<unsigned>(n);
        i += n;
      } else if (repeat_ > 0) {
        run_.fill(data[i++]);
        ok_ = Out(run_.data(), repeat_);
        repeat_ = 0;
      } else {
        const std::uint8_t length = data[i++];
        if (length == 128) ok_ = false;
        if (length < 128) copy_ = length + 1u;
        if (length > 128) repeat_ = 257u - length;
      }
    }
    return ok_;
  }

 private:
  std::array<std::uint8_t, 128> run_{};
  unsigned copy_ = 0, repeat_ = 0;
  bool ok_ = true;
};

bool IsPdfSpace(std::uint8_t c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

// Pairs of hexadecimal digits, white space between them, '>' ending the data; an odd last digit
// is followed by 0.
class AsciiHex final : public Stage {
 public:
  using Stage::Stage;

  bool Put(const std::uint8_t* data, std::size_t size) override {
    for (std::size_t i = 0; i < size && ok_; ++i) {
      const std::uint8_t c = data[i];
      if (IsPdfSpace(c)) continue;
      if (c == '>') {
        Finish();
        return ok_ = false;
      }
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return ok_ = false;
      if (high_ < 0) {
        high_ = digit;
      } else {
        const auto byte = static_cast<std::uint8_t>(high_ * 16 + digit);
        high_ = -1;
        ok_ = Out(&byte, 1);
      }
    }
    return ok_;
  }
  void Finish() override {
    if (high_ < 0) return;
    const auto byte = static_cast<std::uint8_t>(high_ * 16);
    high_ = -1;
    Out(&byte, 1);
  }

 private:
  int high_ = -1;
  bool ok_ = true;
};

// Groups of five characters '!' to 'u' for four bytes, 'z' for four zeros, "~>" ending the data; a
// last group of n characters gives n - 1 bytes.
class Ascii85 final : public Stage {
 public:
  using Stage::Stage;

  bool Put(const std::uint8_t* data, std::size_t size) override {
    for (std::size_t i = 0; i < size && ok_; ++i) {
      const std::uint8_t c = data[i];
      if (tilde_) {
        if (c != '>') return ok_ = false;
        Finish();
        return ok_ = false;
      }
      if (IsPdfSpace(c)) continue;
      if (c == '~') {
        tilde_ = true;
      } else if (c == 'z' && count_ == 0) {
        const std::uint8_t zeros[4] = {};
        ok_ = Out(zeros, 4);
      } else if (c >= '!' && c <= 'u') {
        group_ = group_ * 85 + (c - '!');
        if (++count_ == 5) ok_ = Flush(4);
      } else {
        return ok_ = false;
      }
    }
    return ok_;
  }
  void Finish() override {
    if (count_ == 0) return;
    const unsigned bytes = count_ - 1;
    while (count_ < 5) {
      group_ = group_ * 85 + 84;
      ++count_;
    }
    Flush(bytes);
  }

 private:
  bool Flush(unsigned bytes) {
    const std::uint8_t four[4] = {static_cast<std::uint8_t>(group_ >> 24), static_cast<std::uint8_t>(group_ >> 16),
                                  static_cast<std::uint8_t>(group_ >> 8), static_cast<std::uint8_t>(group_)};
    group_ = 0;
    count_ = 0;
    return Out(four, bytes);
  }

  std::uint64_t group_ = 0;
  unsigned count_ = 0;
  bool tilde_ = false;
  bool ok_ = true;
};

std::uint64_t Growth(PdfFilter filter) {
  switch (filter) {
    case PdfFilter::Flate:
      return 1032;  // a 258-byte match in two bits
    case PdfFilter::Lzw:
      return 4096;  // a whole table entry in a code of 9 bits or more
    case PdfFilter::RunLength:
      return 64;  // 128 bytes of two
    case PdfFilter::Ascii85:
      return 4;  // 'z'
    case PdfFilter::AsciiHex:
      return 1;
  }
  return 4096;
}

}  // namespace

std::optional<PdfFilter> FilterNamed(std::string_view name) {
  if (name.starts_with('/')) name.remove_prefix(1);
  static constexpr struct {
    std::string_view Full, Short;
    PdfFilter Filter;
  } kNames[] = {
      {"FlateDecode", "Fl", PdfFilter::Flate},         {"LZWDecode", "LZW", PdfFilter::Lzw},
      {"RunLengthDecode", "RL", PdfFilter::RunLength}, {"ASCIIHexDecode", "AHx", PdfFilter::AsciiHex},
      {"ASCII85Decode", "A85", PdfFilter::Ascii85},
  };
  for (const auto& known : kNames) {
    if (name == known.Full || name == known.Short) return known.Filter;
  }
  return std::nullopt;
}

std::uint64_t MostDecoded(std::uint64_t raw, std::span<const PdfFilterStep> steps) {
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t most = raw;
  for (const PdfFilterStep& step : steps) {
    const std::uint64_t growth = Growth(step.Filter);
    if (most > (kAll - 1024) / growth) return kAll;
    most = most * growth + 1024;  // what a filter's ending may add
  }
  return most;
}

namespace {

std::optional<std::uint64_t> Decode(std::string_view raw, std::span<const PdfFilterStep> steps, std::uint64_t most,
                                    std::string* kept) {
  if (steps.size() > kMostPdfFilters) return std::nullopt;
  std::vector<std::unique_ptr<Stage>> chain;
  chain.push_back(std::make_unique<Counted>(most, kept));
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    Stage* next = chain.back().get();
    switch (step->Filter) {
      case PdfFilter::Flate:
        chain.push_back(std::make_unique<Inflate>(next, most));
        break;
      case PdfFilter::Lzw:
        chain.push_back(std::make_unique<Lzw>(next, most, step->EarlyChange));
        break;
      case PdfFilter::RunLength:
        chain.push_back(std::make_unique<RunLength>(next, most));
        break;
      case PdfFilter::AsciiHex:
        chain.push_back(std::make_unique<AsciiHex>(next, most));
        break;
      case PdfFilter::Ascii85:
        chain.push_back(std::make_unique<Ascii85>(next, most));
        break;
    }
  }
  chain.back()->Put(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());
  for (auto stage = chain.rbegin(); stage != chain.rend(); ++stage) (*stage)->Finish();
  for (const auto& stage : chain) {
    if (stage->Full()) return std::nullopt;
  }
  return chain.front()->Given();
}

}  // namespace

std::optional<std::uint64_t> DecodedSize(std::string_view raw, std::span<const PdfFilterStep> steps,
                                         std::uint64_t most) {
  return Decode(raw, steps, most, nullptr);
}

std::optional<std::string> DecodedData(std::string_view raw, std::span<const PdfFilterStep> steps, std::uint64_t most) {
  std::string data;
  if (!Decode(raw, steps, most, &data)) return std::nullopt;
  return data;
}

}  // namespace prynda
