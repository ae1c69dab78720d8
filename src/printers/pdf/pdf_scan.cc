#include "printers/pdf/pdf_scan.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>

namespace prynda {

namespace {

// The most bytes of one stream's dictionary read, and how deep its arrays and dictionaries nest.
constexpr std::size_t kMostDictionaryBytes = 256 << 10;
constexpr int kMostNesting = 256;
// The most bytes of a cross-reference table read for its trailer: 3 million objects' entries.
constexpr std::size_t kMostTableBytes = 64 << 20;

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
      case Lexer::Kind::End:
        return std::nullopt;
      case Lexer::Kind::Name:
        value.Is = Value::Kind::Name;
        value.Text = first.Text;
        return value;
      case Lexer::Kind::Integer:
        value.Is = Value::Kind::Integer;
        value.Integer = first.Integer;
        return value;
      case Lexer::Kind::Word:
        value.Text = first.Text;
        return value;
      case Lexer::Kind::DictOpen:
      case Lexer::Kind::ArrayOpen:
        break;
      default:
        return value;
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

// Whether "obj" at `at` ends a header "n g obj".
bool IsHeader(std::string_view bytes, std::size_t at) {
  if (at + 3 < bytes.size() && IsRegular(bytes[at + 3])) return false;
  std::size_t i = at;
  for (int number = 0; number < 2; ++number) {
    const std::size_t space_end = i;
    while (i > 0 && IsSpace(bytes[i - 1])) --i;
    const std::size_t digits_end = i;
    while (i > 0 && IsDigit(bytes[i - 1]) && digits_end - i < 10) --i;
    if (i == space_end || i == digits_end || (i > 0 && IsDigit(bytes[i - 1]))) return false;
  }
  return i == 0 || !IsRegular(bytes[i - 1]);
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
  if (length != nullptr && length->Is == Value::Kind::Integer &&
      static_cast<std::uint64_t>(length->Integer) <= rest.size()) {
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
    const std::optional<PdfFilter> known =
        names[i]->Is == Value::Kind::Name ? FilterNamed(names[i]->Text) : std::nullopt;
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

// The integers of an array (-1 for what is not one); none for what is no array.
std::vector<long long> Integers(const Value* array) {
  std::vector<long long> values;
  if (array == nullptr || array->Is != Value::Kind::Array) return values;
  for (const Value& item : array->Items) values.push_back(item.Is == Value::Kind::Integer ? item.Integer : -1);
  return values;
}

long long IntegerOr(const Value* dictionary, std::string_view key, long long otherwise) {
  const Value* value =
      dictionary != nullptr && dictionary->Is == Value::Kind::Dictionary ? dictionary->Get(key) : nullptr;
  return value != nullptr && value->Is == Value::Kind::Integer ? value->Integer : otherwise;
}

// The data as it was before the predictor of `parameters` made it: /Predictor 2 (TIFF, of 8-bit
// components) or 10 to 15 (PNG, a filter type before each row); nullopt for what qpdf cannot undo.
std::optional<std::string> Unpredicted(std::string data, const Value* parameters) {
  const long long predictor = IntegerOr(parameters, "Predictor", 1);
  if (predictor == 1) return data;
  const long long colours = IntegerOr(parameters, "Colors", 1), bits = IntegerOr(parameters, "BitsPerComponent", 8);
  const long long columns = IntegerOr(parameters, "Columns", 1);
  if (colours < 1 || colours > 32 || (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16) || columns < 1 ||
      columns > (1 << 24)) {
    return std::nullopt;
  }
  const auto pixel = static_cast<std::size_t>(std::max<long long>(1, colours * bits / 8));
  const auto row = static_cast<std::size_t>((columns * colours * bits + 7) / 8);
  if (predictor == 2) {
    if (bits != 8) return std::nullopt;
    for (std::size_t start = 0; start + row <= data.size(); start += row) {
      for (std::size_t i = pixel; i < row; ++i)
        data[start + i] = static_cast<char>(data[start + i] + data[start + i - pixel]);
    }
    return data;
  }
  if (predictor < 10 || predictor > 15) return std::nullopt;
  std::string out;
  std::string up(row, '\0');
  for (std::size_t start = 0; start + 1 + row <= data.size(); start += 1 + row) {
    const auto type = static_cast<unsigned char>(data[start]);
    std::string line = data.substr(start + 1, row);
    for (std::size_t i = 0; i < row; ++i) {
      const int a = i >= pixel ? static_cast<unsigned char>(line[i - pixel]) : 0, b = static_cast<unsigned char>(up[i]);
      const int c = i >= pixel ? static_cast<unsigned char>(up[i - pixel]) : 0;
      int add = 0;
      switch (type) {
        case 0:
          break;
        case 1:
          add = a;
          break;
        case 2:
          add = b;
          break;
        case 3:
          add = (a + b) / 2;
          break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default:
          return std::nullopt;
      }
      line[i] = static_cast<char>(static_cast<unsigned char>(line[i]) + add);
    }
    out += line;
    up = std::move(line);
  }
  return out;
}

// What a cross-reference stream lists: the object streams its objects are in (type 2 entries), and
// those objects. Nothing where qpdf cannot read it either.
void ListObjectStreams(const Value& dictionary, std::string_view raw, const Filters& filters,
                       const PdfReadLimits& limits, DecodeBudget& budget, PdfScan& scan,
                       std::vector<long long>& within) {
  const std::vector<long long> widths = Integers(dictionary.Get("W"));
  std::vector<long long> ranges = Integers(dictionary.Get("Index"));
  if (ranges.empty()) ranges = {0, IntegerOr(&dictionary, "Size", 0)};
  if (widths.size() != 3 || std::any_of(widths.begin(), widths.end(), [](long long w) { return w < 0 || w > 8; }))
    return;
  const auto entry = static_cast<std::size_t>(widths[0] + widths[1] + widths[2]);
  std::optional<std::string> data = DecodedData(raw, filters.Steps, std::min(limits.ObjectStream, budget.Left()));
  if (!data)
    throw PdfReadError(PdfReadProblem::Decoding, "a cross-reference stream that decodes to more than " +
                                                     Bytes(std::min(limits.ObjectStream, budget.Left())));
  budget.Spend(data->size());
  // The predictor's parameters are those of the filter that has one.
  const Value* parameters = dictionary.Get("DecodeParms");
  if (parameters != nullptr && parameters->Is == Value::Kind::Array) {
    const auto found = std::find_if(parameters->Items.begin(), parameters->Items.end(),
                                    [](const Value& own) { return IntegerOr(&own, "Predictor", 1) != 1; });
    parameters = found != parameters->Items.end() ? &*found : nullptr;
  }
  data = Unpredicted(std::move(*data), parameters);
  if (!data || entry == 0) return;
  const auto field = [&](std::size_t at, long long width) {
    std::uint64_t value = 0;
    for (long long i = 0; i < width; ++i)
      value = value << 8 | static_cast<unsigned char>((*data)[at + static_cast<std::size_t>(i)]);
    return value;
  };
  std::size_t at = 0;
  for (std::size_t range = 0; range + 1 < ranges.size(); range += 2) {
    for (long long i = 0; i < ranges[range + 1] && at + entry <= data->size(); ++i, at += entry) {
      if ((widths[0] == 0 ? 1 : field(at, widths[0])) != 2) continue;
      if (++scan.Objects > limits.Objects) {
        throw PdfReadError(PdfReadProblem::Objects, "more than " + std::to_string(limits.Objects) + " objects");
      }
      scan.ObjectStreams.push_back(static_cast<long long>(
          std::min<std::uint64_t>(field(at + static_cast<std::size_t>(widths[0]), widths[1]), INT_MAX)));
      within.push_back(ranges[range] + i);
    }
  }
}

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

std::uint64_t DecodeBudget::Allow(std::string_view raw, std::span<const PdfFilterStep> steps,
                                  std::uint64_t most) const {
  const std::uint64_t bound = MostDecoded(raw.size(), steps);
  return bound <= std::min(most, left_) ? bound : Measure(raw, steps, most);
}

void DecodeBudget::Spend(std::uint64_t bytes) {
  if (bytes > left_) throw PdfReadError(PdfReadProblem::Decoding, "streams that decode to more than " + Bytes(left_));
  left_ -= bytes;
}

PdfScan ScanPdf(std::string_view bytes, const PdfReadLimits& limits, DecodeBudget& budget) {
  PdfScan scan;
  for (std::size_t at = bytes.find("obj"); at != std::string_view::npos; at = bytes.find("obj", at + 3)) {
    if (!IsHeader(bytes, at)) continue;
    if (++scan.Objects > limits.Objects)
      throw PdfReadError(PdfReadProblem::Objects, "more than " + std::to_string(limits.Objects) + " objects");
    if (scan.Objects % 4096 == 0) CheckDeadline(limits.Deadline);
  }

  // The cross-reference sections as qpdf follows them: from the last "startxref" near the end, each
  // section's /Prev and a table's /XRefStm, offsets counted from the header where junk comes before it.
  const std::size_t header = bytes.substr(0, 1024).find("%PDF-");
  const std::size_t base = header == std::string_view::npos ? 0 : header;
  const std::size_t start = bytes.rfind("startxref");
  if (start == std::string_view::npos || bytes.size() - start > 2048) return scan;
  std::vector<long long> pending;
  {
    Lexer lexer(bytes, start + 9);
    const Lexer::Token offset = lexer.Next();
    if (offset.Is == Lexer::Kind::Integer) pending.push_back(offset.Integer);
  }
  std::set<long long> visited;
  std::vector<long long> within;  // objects listed in an object stream
  while (!pending.empty()) {
    const long long offset = pending.back();
    pending.pop_back();
    if (!visited.insert(offset).second || static_cast<std::uint64_t>(offset) >= bytes.size() - base) continue;
    CheckDeadline(limits.Deadline);
    std::size_t at = base + static_cast<std::size_t>(offset);
    while (at < bytes.size() && IsSpace(bytes[at])) ++at;
    const bool cut = bytes.size() - at > kMostDictionaryBytes;
    const std::string_view window = bytes.substr(0, at + std::min(bytes.size() - at, kMostDictionaryBytes));
    const bool table = bytes.substr(at).starts_with("xref") && at + 4 < bytes.size() && IsSpace(bytes[at + 4]);
    const std::size_t trailer =
        table ? bytes.substr(0, at + std::min(bytes.size() - at, kMostTableBytes)).find("trailer", at) : at;
    if (trailer == std::string_view::npos) continue;
    Lexer lexer(table ? bytes.substr(0, trailer + std::min(bytes.size() - trailer, kMostDictionaryBytes)) : window,
                table ? trailer + 7 : at);
    if (!table) {
      const Lexer::Token n = lexer.Next(), g = lexer.Next(), obj = lexer.Next();
      if (n.Is != Lexer::Kind::Integer || g.Is != Lexer::Kind::Integer || obj.Text != "obj") continue;
    }
    Parser parser(lexer);
    const Lexer::Token first = lexer.Next();
    if (first.Is != Lexer::Kind::DictOpen) continue;
    const std::optional<Value> dictionary = parser.Read(first);
    if (!dictionary) {
      if (cut || parser.TooDeep())
        throw PdfReadError(PdfReadProblem::Decoding, "a cross-reference section of more than " +
                                                         Bytes(kMostDictionaryBytes) + " or nested too deep");
      continue;  // the file ends within it
    }
    for (const char* key : {"Prev", "XRefStm"}) {
      const Value* next = dictionary->Get(key);
      if (next != nullptr && next->Is == Value::Kind::Integer && pending.size() < 4096)
        pending.push_back(next->Integer);
    }
    if (table) continue;
    const Value* type = dictionary->Get("Type");
    if (lexer.Next().Text != "stream" || type == nullptr || type->Is != Value::Kind::Name || type->Text != "XRef")
      continue;
    const Filters filters = FiltersOf(*dictionary);
    if (!filters.Ours) continue;  // qpdf cannot read it: it rebuilds the cross-reference from the objects
    ListObjectStreams(*dictionary, StreamData(bytes, lexer.At(), *dictionary), filters, limits, budget, scan, within);
  }
  std::sort(scan.ObjectStreams.begin(), scan.ObjectStreams.end());
  scan.ObjectStreams.erase(std::unique(scan.ObjectStreams.begin(), scan.ObjectStreams.end()), scan.ObjectStreams.end());
  std::sort(within.begin(), within.end());
  for (const long long number : scan.ObjectStreams) {
    // qpdf would read the stream it is in before this one could be measured.
    if (std::binary_search(within.begin(), within.end(), number)) {
      throw PdfReadError(PdfReadProblem::Damaged, "an object stream within an object stream");
    }
  }
  return scan;
}

}  // namespace prynda
