#include "render/codes/bar_codes.h"

#include <algorithm>
#include <array>
#include <optional>

#include "render/codes/symbol_encoder.h"
#include "render/page_cycle.h"

namespace prynda::codes {

namespace {

// The lengths of data the printer takes: a range, or the lengths with the check digit sent and
// those it computes.
struct Rule {
  std::string_view Name;
  Symbol Encoded;
  bool Digits;
  int Least, Most;
  std::array<std::uint8_t, 3> Sent;
  std::array<std::uint8_t, 3> Computed;
};
constexpr Rule kRules[kSymbologies] = {
    {"EAN-13", Symbol::Ean, true, 0, 0, {13}, {12}},
    {"EAN-8", Symbol::Ean, true, 0, 0, {8}, {7}},
    {"Interleaved 2 of 5", Symbol::Interleaved2Of5, true, 2, 255, {}, {}},
    {"UPC-A", Symbol::UpcA, true, 0, 0, {12}, {11}},
    {"UPC-E", Symbol::UpcE, true, 0, 0, {12, 8}, {11, 7}},
    {"Code 39", Symbol::Code39, false, 1, 255, {}, {}},
    {"Code 128", Symbol::Code128, false, 2, 255, {}, {}},
    {"POSTNET", Symbol::Postnet, true, 0, 0, {6, 10, 12}, {5, 9, 11}},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "1 cyfra", "3 cyfry", "12 cyfr"; "1 znak", "3 znaki", "12 znaków".
std::string Counted(std::size_t n, bool digits) {
  const bool few = n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14);
  const char* word = n == 1 ? (digits ? "cyfra" : "znak") : few ? (digits ? "cyfry" : "znaki") : (digits ? "cyfr" : "znaków");
  return std::to_string(n) + " " + word;
}

// Why the printer would not take `length` bytes; empty where it would.
std::string LengthFault(const Rule& rule, std::size_t length, bool computed) {
  if (rule.Most > 0) {
    if (length < static_cast<std::size_t>(rule.Least)) return Counted(length, rule.Digits) + " zamiast co najmniej " + std::to_string(rule.Least);
    if (length > static_cast<std::size_t>(rule.Most)) return Counted(length, rule.Digits) + " zamiast najwyżej " + std::to_string(rule.Most);
    return {};
  }
  const auto& lengths = computed ? rule.Computed : rule.Sent;
  std::string list;
  for (std::size_t i = 0; i < lengths.size() && lengths[i] != 0; ++i) {
    if (lengths[i] == length) return {};
    if (!list.empty()) list += i + 1 < lengths.size() && lengths[i + 1] != 0 ? ", " : " lub ";
    list += std::to_string(lengths[i]);
  }
  return Counted(length, rule.Digits) + " zamiast " + list;
}

std::string ByteName(std::uint8_t c) {
  if (c > 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
  constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("0x") + kHex[c >> 4] + kHex[c & 15];
}

bool IsCode39(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || std::string_view(" $%+-./").find(c) != std::string_view::npos;
}

// The UPC-A number of system 0 or 1 (11 digits, or 12 with its check digit) as UPC-E's number
// system, six digits and the check digit where it was given; nothing where it cannot be written short.
std::optional<std::string> CompactUpcA(std::string_view a) {
  const std::string_view maker = a.substr(1, 5), item = a.substr(6, 5);
  std::string e;
  if (maker.substr(2) == "000" || maker.substr(2) == "100" || maker.substr(2) == "200") {
    if (item.substr(0, 2) != "00") return std::nullopt;
    e = std::string(maker.substr(0, 2)) + std::string(item.substr(2)) + maker[2];
  } else if (maker.substr(3) == "00") {
    if (item.substr(0, 3) != "000") return std::nullopt;
    e = std::string(maker.substr(0, 3)) + std::string(item.substr(3)) + "3";
  } else if (maker[4] == '0') {
    if (item.substr(0, 4) != "0000") return std::nullopt;
    e = std::string(maker.substr(0, 4)) + item[4] + "4";
  } else {
    if (item.substr(0, 4) != "0000" || item[4] < '5') return std::nullopt;
    e = std::string(maker) + item[4];
  }
  return a[0] + e + std::string(a.substr(11));
}

// Code 128 as the printer takes it: the set letter, then the set's codes (A: 0x00-0x5F data,
// B: 0x20-0x7F, C: digit pairs), the codes that change the set, and the function codes, which
// are not drawn. Gives the characters to encode, or the fault.
struct Code128Data {
  std::string Chars;
  std::string Fault;
};
Code128Data ReadCode128(std::string_view data) {
  Code128Data out;
  char set = data[0];
  if (set != 'A' && set != 'B' && set != 'C') {
    out.Fault = "pierwszy znak " + ByteName(static_cast<std::uint8_t>(set)) + " zamiast A, B lub C (zestaw znaków)";
    return out;
  }
  std::string digits;  // a run of set C, written when the set changes: an odd one gets a leading 0
  auto end_digits = [&] {
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
    out.Chars += digits;
    digits.clear();
  };
  bool shifted = false;
  for (std::size_t i = 1; i < data.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(data[i]);
    const char in = shifted ? (set == 'A' ? 'B' : 'A') : set;
    shifted = false;
    bool function = false;
    if (in == 'C') {
      if (IsDigit(static_cast<char>(c))) {
        digits += static_cast<char>(c);
        continue;
      }
      end_digits();
      if (c == 0x3A || c == 0x3B) {
        set = c == 0x3A ? 'B' : 'A';
        continue;
      }
      function = c == 0x3C;
    } else {
      const bool a = in == 'A';
      if (a ? c <= 0x5F : c >= 0x20 && c <= 0x7F) {
        out.Chars += static_cast<char>(c);
        continue;
      }
      const int special = a ? c - 0x60 : c - 0x19;  // FNC3 FNC2 SHIFT CODE-C, then A: CODE-B FNC4 FNC1, B: FNC4 CODE-A FNC1
      if (special == 2) {
        shifted = true;
        continue;
      }
      if (special == 3) {
        set = 'C';
        continue;
      }
      if ((a && special == 4) || (!a && special == 5)) {
        set = a ? 'B' : 'A';
        continue;
      }
      function = special >= 0 && special <= 6;
    }
    out.Fault = function ? "kody funkcyjne FNC1-FNC4 nie są obsługiwane"
                         : "niedozwolony znak " + ByteName(c) + " w zestawie " + std::string(1, in);
    return out;
  }
  end_digits();
  if (out.Chars.empty()) out.Fault = "brak danych po wyborze zestawu";
  return out;
}

// Spaces widened: every bar moves right by the adjustment once for each space left of it.
class SpacedAxis {
 public:
  SpacedAxis(const std::vector<Box>& bars, double module, double adjust) : module_(module), adjust_(adjust) {
    std::vector<std::pair<double, double>> spans;
    for (const Box& bar : bars) spans.emplace_back(bar.X, bar.X + bar.Width);
    std::sort(spans.begin(), spans.end());
    double end = spans.empty() ? 0 : spans.front().second;
    for (const auto& [from, to] : spans) {
      if (from > end + kEpsilon) space_ends_.push_back(from);
      end = std::max(end, to);
    }
  }
  double operator()(double x) const {
    const auto spaces = std::upper_bound(space_ends_.begin(), space_ends_.end(), x + kEpsilon) - space_ends_.begin();
    return x * module_ + static_cast<double>(spaces) * adjust_;
  }

 private:
  static constexpr double kEpsilon = 1e-3;
  double module_, adjust_;
  std::vector<double> space_ends_;
};

std::string Refusal(std::string_view name, std::string_view reason) {
  return "Kodu kreskowego " + std::string(name) + " nie wydrukowano: " + std::string(reason);
}

std::string EncoderRefusal(std::string_view line_start, const EncodedSymbol& symbol) {
  if (symbol.LibraryMissing) return symbol.Failure;
  return std::string(line_start) + (symbol.BadCheck ? "zła cyfra kontrolna" : "biblioteka libzint go nie przyjęła (" + symbol.Failure + ")");
}

// A character's extent across, in modules.
std::pair<double, double> Extent(const EncodedSymbol::Text& text) {
  switch (text.Anchor) {
    case Align::Left: return {text.X, text.X + text.Width};
    case Align::Right: return {text.X - text.Width, text.X};
    case Align::Centre: break;
  }
  return {text.X - text.Width / 2, text.X + text.Width / 2};
}

}  // namespace

std::string_view SymbologyName(Symbology kind) { return kRules[static_cast<int>(kind)].Name; }

CodeDrawing LayOutBarCode(const BarCodeRequest& request, const BarGeometry& geometry) {
  const Rule& rule = kRules[static_cast<int>(request.Kind)];
  CodeDrawing drawing;
  std::string_view data = request.Data;
  if (std::string fault = LengthFault(rule, data.size(), request.ComputeCheck); !fault.empty()) {
    drawing.Refused = Refusal(rule.Name, fault);
    return drawing;
  }
  std::string chars(data);
  if (request.Kind == Symbology::Code128) {
    Code128Data code = ReadCode128(data);
    if (!code.Fault.empty()) {
      drawing.Refused = Refusal(rule.Name, code.Fault);
      return drawing;
    }
    chars = std::move(code.Chars);
  } else {
    for (char c : data) {
      if (rule.Digits ? !IsDigit(c) : !IsCode39(c)) {
        drawing.Refused = Refusal(rule.Name, "niedozwolony znak " + ByteName(static_cast<std::uint8_t>(c)));
        return drawing;
      }
    }
  }
  if (request.Kind == Symbology::UpcE && chars[0] != '0' && chars[0] != '1') {
    drawing.Refused = Refusal(rule.Name, std::string("system numeracji ") + chars[0] + " zamiast 0 lub 1");
    return drawing;
  }
  if (request.Kind == Symbology::UpcE && chars.size() >= 11) {
    const std::optional<std::string> e = CompactUpcA(chars);
    if (!e) {
      drawing.Refused = Refusal(rule.Name, "numeru UPC-A " + chars.substr(0, 11) + " nie da się skrócić do UPC-E");
      return drawing;
    }
    chars = *e;
  }
  if (request.Kind == Symbology::Postnet && !request.ComputeCheck) {
    int sum = 0;
    for (char c : chars) sum += c - '0';
    if (sum % 10 != 0) {
      drawing.Refused = Refusal(rule.Name, "zła cyfra kontrolna");
      return drawing;
    }
    chars.pop_back();  // the library adds it again
  }

  SymbolRequest symbol_request;
  symbol_request.Kind = rule.Encoded;
  symbol_request.Data = chars;
  symbol_request.DataHasCheck = !request.ComputeCheck;
  symbol_request.AddCheck = request.ComputeCheck;
  symbol_request.Readable = request.Readable && request.Kind != Symbology::Postnet;
  symbol_request.Height = geometry.ModuleY > 0 ? geometry.BarLength / geometry.ModuleY : 0;
  EncodedSymbol symbol = EncodeSymbol(symbol_request);
  if (symbol.Failed) {
    drawing.Refused = EncoderRefusal(Refusal(rule.Name, ""), symbol);
    return drawing;
  }
  if (request.FlagUnder && !symbol.Texts.empty() && symbol.Texts.front().Anchor == Align::Right &&
      (request.Kind == Symbology::Ean13 || request.Kind == Symbology::UpcA)) {
    // The first digit under the left guard bars rather than left of them.
    double first_bar = symbol.Width;
    for (const Box& bar : symbol.Bars) first_bar = std::min(first_bar, bar.X);
    symbol.Texts.front().X = first_bar;
    symbol.Texts.front().Anchor = Align::Left;
  }

  const SpacedAxis across(symbol.Bars, geometry.ModuleX, geometry.SpaceAdjust);
  double left = across(symbol.Width), right = 0, bottom = 0, tallest = 0;
  for (const Box& bar : symbol.Bars) tallest = std::max(tallest, bar.Height);
  for (const Box& bar : symbol.Bars) {
    Box box{across(bar.X), bar.Y * geometry.ModuleY, bar.Width * geometry.ModuleX, bar.Height * geometry.ModuleY};
    if (request.Kind == Symbology::Postnet) {
      box.Height = bar.Height >= tallest - 1e-3 ? geometry.TallBar : geometry.ShortBar;
      box.Y = geometry.TallBar - box.Height;
    }
    left = std::min(left, box.X);
    right = std::max(right, box.X + box.Width);
    bottom = std::max(bottom, box.Y + box.Height);
    drawing.Bars.push_back(box);
  }
  for (const EncodedSymbol::Text& text : symbol.Texts) {
    const auto [from, to] = Extent(text);
    left = std::min(left, across(from));
    right = std::max(right, across(to));
    const double size = text.Size * geometry.ModuleY;
    const double baseline = text.Baseline * geometry.ModuleY;
    bottom = std::max(bottom, baseline + size / 4);  // the descent of digits in OCR-B's em
    drawing.Captions.push_back({text.Chars, across(text.X), baseline, size, text.Anchor});
  }
  for (Box& box : drawing.Bars) box.X -= left;
  for (Caption& caption : drawing.Captions) caption.X -= left;
  drawing.Width = right - left;
  drawing.Height = bottom;
  return drawing;
}

CodeDrawing LayOutQrCode(std::string_view text, double module_x, double module_y) {
  CodeDrawing drawing;
  constexpr std::string_view kLine = "Kodu QR nie wydrukowano: ";
  if (text.empty() || text.size() > kMostQrBytes) {
    drawing.Refused = std::string(kLine) + (text.empty() ? "pusty tekst" : "tekst dłuższy niż " + std::to_string(kMostQrBytes) + " bajtów");
    return drawing;
  }
  SymbolRequest request;
  request.Kind = Symbol::Qr;
  request.Data = text;
  request.Readable = false;
  const EncodedSymbol symbol = EncodeSymbol(request);
  if (symbol.Failed) {
    drawing.Refused = EncoderRefusal(kLine, symbol);
    return drawing;
  }
  for (const Box& module : symbol.Bars) {
    drawing.Bars.push_back({(module.X + kQuietZoneModules) * module_x, (module.Y + kQuietZoneModules) * module_y,
                            module.Width * module_x, module.Height * module_y});
  }
  drawing.Width = (symbol.Width + 2 * kQuietZoneModules) * module_x;
  drawing.Height = (symbol.Height + 2 * kQuietZoneModules) * module_y;
  return drawing;
}

void PaintCode(TRenderState& state, const CodeDrawing& drawing, double left, double top) {
  TCanvas& canvas = state.Canvas;
  for (const Box& bar : drawing.Bars) {
    const int x = RoundToPixel(left + bar.X), y = RoundToPixel(top + bar.Y);
    const int width = RoundToPixel(left + bar.X + bar.Width) - x, height = RoundToPixel(top + bar.Y + bar.Height) - y;
    if (width > 0 && height > 0) canvas.FillRect(x, y, width, height, 100);
  }
  if (drawing.Captions.empty()) return;
  TFont saved;  // at the canvas font's resolution, so that copying it back is exact
  saved.SetPixelsPerInch(canvas.Font().PixelsPerInch());
  saved.CopyFrom(canvas.Font());
  TFont& font = canvas.Font();
  if (state.Printer.FontNames().IndexOf("OCR B") >= 0) font.SetName("OCR B");
  font.SetStyle(0);
  for (const Caption& caption : drawing.Captions) {
    font.SetHeight(-std::max(1, RoundToPixel(caption.Size)));
    const std::u32string text(caption.Text.begin(), caption.Text.end());
    const int width = canvas.MeasureUnicodeWidth(text);
    double x = left + caption.X;
    if (caption.Anchor == Align::Centre) x -= width / 2.0;
    if (caption.Anchor == Align::Right) x -= width;
    // The cell's top above the baseline: the ascent, about 0.8 of the em in the faces at hand.
    canvas.PaintUnicode(RoundToPixel(x), RoundToPixel(top + caption.Baseline - 0.8 * caption.Size), text);
  }
  font.CopyFrom(saved);
}

}  // namespace prynda::codes
