#include "printers/pdf/pdf_scan.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

namespace prynda {

namespace {

// The most bytes of one stream's dictionary read, and how deep its arrays and dictionaries nest.
constexpr std::size_t kMostDictionaryBytes = 256 << 10;
constexpr int kMostNesting = 256;

bool IsSpace(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }
bool IsDelimiter(char c) { return std::strchr("()<>[]{}/%", c) != nullptr && c != 0; }
bool IsRegular(char c) { return !IsSpace(c) && !IsDelimiter(c); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A name's characters after its slash, #xx written out, up to the first that is not regular.
std::string NameAt(std::string_view bytes, std::size_t& at) {
  std::string name;
  while (at < bytes.size() && IsRegular(bytes[at])) {
    if (bytes[at] == '#' && at + 2 < bytes.size() && HexDigit(bytes[at + 1]) >= 0 && HexDigit(bytes[at + 2]) >= 0) {
      name += static_cast<char>(HexDigit(bytes[at + 1]) * 16 + HexDigit(bytes[at + 2]));
      at += 3;
    } else {
      name += bytes[at++];
    }
  }
  return name;
}

// PDF's tokens, as qpdf reads them, over a view that ends where reading must stop.
class Lexer {
 public:
  enum class Kind { End, DictOpen, DictClose, ArrayOpen, ArrayClose, Name, Integer, Word, Other };
  struct Token {
    Kind Is = Kind::End;
    std::string Text;  // a name without its slash, a word
    long long Integer = 0;
  };

  Lexer(std::string_view bytes, std::size_t at) : bytes_(bytes), at_(at) {}
  std::size_t At() const { return at_; }

  Token Next() {
    SkipSpace();
    Token token;
    if (at_ >= bytes_.size()) return token;
    const char c = bytes_[at_];
    const auto next_is = [&](char second) { return at_ + 1 < bytes_.size() && bytes_[at_ + 1] == second; };
    if (c == '<' && next_is('<')) {
      at_ += 2;
      token.Is = Kind::DictOpen;
    } else if (c == '>' && next_is('>')) {
      at_ += 2;
      token.Is = Kind::DictClose;
    } else if (c == '[' || c == ']') {
      ++at_;
      token.Is = c == '[' ? Kind::ArrayOpen : Kind::ArrayClose;
    } else if (c == '/') {
      ++at_;
      token.Is = Kind::Name;
      token.Text = NameAt(bytes_, at_);
    } else if (c == '(') {
      token.Is = SkipString() ? Kind::Other : Kind::End;
    } else if (c == '<') {
      const std::size_t end = bytes_.find('>', at_);
      at_ = end == std::string_view::npos ? bytes_.size() : end + 1;
      token.Is = end == std::string_view::npos ? Kind::End : Kind::Other;
    } else if (IsDelimiter(c)) {
      ++at_;
      token.Is = Kind::Other;
    } else {
      const std::size_t begin = at_;
      while (at_ < bytes_.size() && IsRegular(bytes_[at_])) ++at_;
      token.Text = std::string(bytes_.substr(begin, at_ - begin));
      const bool digits = token.Text.size() <= 18 && std::all_of(token.Text.begin(), token.Text.end(), IsDigit);
      token.Is = digits ? Kind::Integer : Kind::Word;
      if (digits) token.Integer = std::stoll(token.Text);
    }
    return token;
  }

 private:
  void SkipSpace() {
    while (at_ < bytes_.size()) {
      if (IsSpace(bytes_[at_])) {
        ++at_;
      } else if (bytes_[at_] == '%') {
        while (at_ < bytes_.size() && bytes_[at_] != '\r' && bytes_[at_] != '\n') ++at_;
      } else {
        break;
      }
    }
  }

  // A string in parentheses, nested ones and escaped characters within it; false where it has no end.
  bool SkipString() {
    int depth = 0;
    for (; at_ < bytes_.size(); ++at_) {
      const char c = bytes_[at_];
      if (c == '\\') {
        ++at_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        ++at_;
        return true;
      }
    }
    return false;
  }

  std::string_view bytes_;
  std::size_t at_;
};

// A value as far as measuring a stream needs it: names, integers, references, arrays and
// dictionaries; whatever else is Other.
struct Value {
  enum class Kind { Name, Integer, Reference, Array, Dictionary, Other };
  Kind Is = Kind::Other;
  std::string Text;
  long long Integer = 0;
  std::vector<Value> Items;  // an array's; a dictionary's keys and values in turn

  // A dictionary's value of `key` (without its slash): the last one given, as qpdf keeps it.
  const Value* Get(std::string_view key) const {
    const Value* found = nullptr;
    for (std::size_t i = 0; i + 1 < Items.size(); i += 2) {
      if (Items[i].Is == Kind::Name && Items[i].Text == key) found = &Items[i + 1];
    }
    return found;
  }
};

// Reads values from a lexer; nullopt where the bytes end first or the nesting is too deep.
class Parser {
 public:
  explicit Parser(Lexer& lexer) : lexer_(lexer) {}

  std::optional<Value> Read(const Lexer::Token& first, int depth = 0) {
    Value value;
    switch (first.Is) {
      case Lexer::Kind::End: return std::nullopt;
      case Lexer::Kind::Name: value.Is = Value::Kind::Name; value.Text = first.Text; return value;
      case Lexer::Kind::Integer: value.Is = Value::Kind::Integer; value.Integer = first.Integer; return value;
      case Lexer::Kind::Word: value.Text = first.Text; return value;
      case Lexer::Kind::DictOpen:
      case Lexer::Kind::ArrayOpen: break;
      default: return value;
    }
    if (depth >= kMostNesting) {
      too_deep_ = true;
      return std::nullopt;
    }
    const bool dictionary = first.Is == Lexer::Kind::DictOpen;
    value.Is = dictionary ? Value::Kind::Dictionary : Value::Kind::Array;
    const Lexer::Kind close = dictionary ? Lexer::Kind::DictClose : Lexer::Kind::ArrayClose;
    for (;;) {
      const Lexer::Token token = lexer_.Next();
      if (token.Is == close) return value;
      std::optional<Value> item = Read(token, depth + 1);
      if (too_deep_) return std::nullopt;
      if (!item) return std::nullopt;
      std::vector<Value>& items = value.Items;
      // "n g R" is a reference.
      if (item->Is == Value::Kind::Other && item->Text == "R" && items.size() >= 2 &&
          items[items.size() - 1].Is == Value::Kind::Integer && items[items.size() - 2].Is == Value::Kind::Integer) {
        items.pop_back();
        items.back().Is = Value::Kind::Reference;
        continue;
      }
      items.push_back(std::move(*item));
    }
  }

 bool TooDeep() const { return too_deep_; }

 private:
  Lexer& lexer_;
  bool too_deep_ = false;
};

// Where "n g obj" headers end, in the order of the file.
struct Header {
  std::size_t End;
  int Number, Generation;
};

// Whether "obj" at `at` ends a header "n g obj"; its numbers then.
std::optional<Header> HeaderAt(std::string_view bytes, std::size_t at) {
  if (at + 3 < bytes.size() && IsRegular(bytes[at + 3])) return std::nullopt;
  std::size_t i = at;
  long long numbers[2] = {};  // the generation, then the number
  for (long long& number : numbers) {
    const std::size_t space_end = i;
    while (i > 0 && IsSpace(bytes[i - 1])) --i;
    const std::size_t digits_end = i;
    while (i > 0 && IsDigit(bytes[i - 1]) && digits_end - i < 10) --i;
    if (i == space_end || i == digits_end || (i > 0 && IsDigit(bytes[i - 1]))) return std::nullopt;
    number = std::stoll(std::string(bytes.substr(i, digits_end - i)));
    if (number > INT_MAX) return std::nullopt;
  }
  if (i > 0 && IsRegular(bytes[i - 1])) return std::nullopt;
  return Header{at + 3, static_cast<int>(numbers[1]), static_cast<int>(numbers[0])};
}

// A stream's data, as qpdf takes it: from after its keyword "stream", spaces and a line end (CR
// LF, LF or a CR alone), as long as /Length says where "endstream" follows, else up to the first
// "endstream"; where /Length is another object's, to the end of the file.
std::string_view StreamData(std::string_view bytes, std::size_t at, const Value& dictionary) {
  while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\f' || bytes[at] == 0)) ++at;
  if (at < bytes.size() && bytes[at] == '\r') ++at;
  if (at < bytes.size() && bytes[at] == '\n') ++at;
  const std::string_view rest = bytes.substr(std::min(at, bytes.size()));
  const Value* length = dictionary.Get("Length");
  if (length != nullptr && length->Is == Value::Kind::Reference) return rest;
  if (length != nullptr && length->Is == Value::Kind::Integer && static_cast<std::uint64_t>(length->Integer) <= rest.size()) {
    std::size_t end = static_cast<std::size_t>(length->Integer);
    while (end < rest.size() && IsSpace(rest[end])) ++end;
    if (rest.substr(end).starts_with("endstream")) return rest.substr(0, static_cast<std::size_t>(length->Integer));
  }
  return rest.substr(0, rest.find("endstream"));
}

// The filters of a stream's dictionary, not Ours where one is none of pdf_filters.h's (qpdf does
// not decode the stream then); raises Decoding where they could only be told by reading another
// object.
struct Filters {
  std::vector<PdfFilterStep> Steps;
  bool Ours = true;
};

Filters FiltersOf(const Value& dictionary) {
  Filters filters;
  const Value* filter = dictionary.Get("Filter");
  if (filter == nullptr) return filters;
  std::vector<const Value*> names;
  if (filter->Is == Value::Kind::Array) {
    for (const Value& item : filter->Items) names.push_back(&item);
  } else {
    names.push_back(filter);
  }
  const Value* parameters = dictionary.Get("DecodeParms");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i]->Is == Value::Kind::Reference) {
      throw PdfReadError(PdfReadProblem::Decoding, "a stream whose filters cannot be told from its dictionary");
    }
    const std::optional<PdfFilter> known = names[i]->Is == Value::Kind::Name ? FilterNamed(names[i]->Text) : std::nullopt;
    if (!known) {
      filters.Ours = false;
      return filters;
    }
    const Value* own = parameters;
    if (parameters != nullptr && parameters->Is == Value::Kind::Array) {
      own = i < parameters->Items.size() ? &parameters->Items[i] : nullptr;
    }
    const Value* early = own != nullptr && own->Is == Value::Kind::Dictionary ? own->Get("EarlyChange") : nullptr;
    filters.Steps.push_back({*known, !(early != nullptr && early->Is == Value::Kind::Integer && early->Integer == 0)});
  }
  return filters;
}

std::string Bytes(std::uint64_t count) { return std::to_string(count) + " bytes"; }

}  // namespace

void CheckDeadline(PdfClock::time_point deadline) {
  if (PdfClock::now() > deadline) throw PdfReadError(PdfReadProblem::Time, "reading it takes too long");
}

std::uint64_t DecodeBudget::Measure(std::string_view raw, std::span<const PdfFilterStep> steps,
                                    std::uint64_t most) const {
  most = std::min(most, left_);
  const std::optional<std::uint64_t> size = DecodedSize(raw, steps, most);
  if (!size) throw PdfReadError(PdfReadProblem::Decoding, "a stream that decodes to more than " + Bytes(most));
  return *size;
}

std::uint64_t DecodeBudget::Allow(std::string_view raw, std::span<const PdfFilterStep> steps, std::uint64_t most) const {
  const std::uint64_t bound = MostDecoded(raw.size(), steps);
  return bound <= std::min(most, left_) ? bound : Measure(raw, steps, most);
}

void DecodeBudget::Spend(std::uint64_t bytes) {
  if (bytes > left_) throw PdfReadError(PdfReadProblem::Decoding, "streams that decode to more than " + Bytes(left_));
  left_ -= bytes;
}

PdfScan ScanPdf(std::string_view bytes, const PdfReadLimits& limits, DecodeBudget& budget) {
  PdfScan scan;
  std::vector<Header> headers;
  for (std::size_t at = bytes.find("obj"); at != std::string_view::npos; at = bytes.find("obj", at + 3)) {
    if (const std::optional<Header> header = HeaderAt(bytes, at)) {
      if (++scan.Objects > limits.Objects) throw PdfReadError(PdfReadProblem::Objects, "more than " + std::to_string(limits.Objects) + " objects");
      headers.push_back(*header);
      if (headers.size() % 4096 == 0) CheckDeadline(limits.Deadline);
    }
  }

  // A cross-reference or object stream has its type's name in its dictionary, however written:
  // each such name leads to the object around it.
  std::size_t last_read = SIZE_MAX;  // the header of the object read last
  for (std::size_t slash = bytes.find('/'); slash != std::string_view::npos; slash = bytes.find('/', slash + 1)) {
    std::size_t at = slash + 1;
    const std::string name = NameAt(bytes, at);
    if (name != "XRef" && name != "ObjStm") continue;
    const auto after = std::upper_bound(headers.begin(), headers.end(), slash,
                                        [](std::size_t where, const Header& header) { return where < header.End; });
    if (after == headers.begin()) continue;
    const std::size_t index = static_cast<std::size_t>(after - headers.begin()) - 1;
    if (index == last_read) continue;
    last_read = index;
    CheckDeadline(limits.Deadline);
    const Header& header = headers[index];

    const bool cut = bytes.size() - header.End > kMostDictionaryBytes;
    const std::string_view window = bytes.substr(0, header.End + std::min(bytes.size() - header.End, kMostDictionaryBytes));
    Lexer lexer(window, header.End);
    Parser parser(lexer);
    const Lexer::Token first = lexer.Next();
    if (first.Is != Lexer::Kind::DictOpen && first.Is != Lexer::Kind::End) continue;
    const std::optional<Value> dictionary = parser.Read(first);
    if (!dictionary) {
      if (cut || parser.TooDeep()) throw PdfReadError(PdfReadProblem::Decoding, "a stream's dictionary of more than " + Bytes(kMostDictionaryBytes) + " or nested too deep");
      continue;  // the file ends within it: no stream qpdf can read either
    }
    if (slash >= lexer.At()) continue;  // the name is in the stream's data or after the object
    const Lexer::Token keyword = lexer.Next();
    if (keyword.Is != Lexer::Kind::Word || keyword.Text != "stream") continue;

    if (name == "ObjStm") {
      scan.ObjectStreams.emplace_back(header.Number, header.Generation);
      const Value* count = dictionary->Get("N");
      if (count != nullptr && count->Is == Value::Kind::Integer) {
        scan.Objects += static_cast<std::uint64_t>(std::min<long long>(count->Integer, 1LL << 40));
        if (scan.Objects > limits.Objects) throw PdfReadError(PdfReadProblem::Objects, "more than " + std::to_string(limits.Objects) + " objects");
      }
    }
    const Filters filters = FiltersOf(*dictionary);
    if (!filters.Ours || filters.Steps.empty()) continue;
    budget.Spend(budget.Measure(StreamData(bytes, lexer.At(), *dictionary), filters.Steps, limits.ObjectStream));
  }
  return scan;
}

}  // namespace prynda
