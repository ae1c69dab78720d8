#include "recognition/document_header.h"

#include <string>
#include <string_view>

namespace prynda::recognition {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kCtrlD = 0x04;
constexpr std::string_view kUel = "\x1B%-12345X";

char Upper(std::uint8_t c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); }

bool StartsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view text, bool any_case = false) {
  if (at > bytes.size() || bytes.size() - at < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint8_t c = bytes[at + i];
    if (any_case ? Upper(c) != text[i] : c != static_cast<std::uint8_t>(text[i])) return false;
  }
  return true;
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// "@PJL ENTER LANGUAGE = name": the language it names, if it is one of ours.
std::optional<JobLanguage> EnteredLanguage(std::string_view line) {
  std::string upper;
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r') upper += Upper(static_cast<std::uint8_t>(c));
  }
  constexpr std::string_view kEnter = "@PJLENTERLANGUAGE=";
  if (upper.compare(0, kEnter.size(), kEnter) != 0) return std::nullopt;
  const std::string_view name = std::string_view(upper).substr(kEnter.size());
  if (name == "POSTSCRIPT") return JobLanguage::PostScript;
  if (name == "PDF") return JobLanguage::Pdf;
  if (name == "PCLXL") return JobLanguage::PclXl;
  if (name.substr(0, 3) == "PCL") return JobLanguage::Pcl;
  return std::nullopt;
}

}  // namespace

bool StartsAsPcl(std::span<const std::uint8_t> bytes, std::size_t at) {
  while (at < bytes.size()) {
    const std::uint8_t c = bytes[at];
    if (c == kEsc) {
      if (at + 1 < bytes.size() && bytes[at + 1] == 'E') {
        at += 2;
      } else if (StartsWith(bytes, at, kUel)) {
        at += kUel.size();
      } else {
        // One that carries a value decides; a bare one (ESC * r B) is passed over.
        const std::size_t length = PclSequenceLength(bytes.subspan(at));
        if (length == 0) return false;
        for (std::size_t i = at + 2; i < at + length; ++i) {
          if (IsDigit(bytes[i])) return true;
        }
        at += length;
      }
    } else if (c == '\r' || c == '\n' || c == '\f' || c == 0 || c == kCtrlD) {
      ++at;
    } else {
      return false;  // text, or a control byte PCL jobs do not begin with
    }
  }
  return false;
}

std::size_t PclSequenceLength(std::span<const std::uint8_t> bytes) {
  // ESC, a parameterised character ! to /, a group character ` to ~ (ESC ( and ESC ) may go
  // without one: the symbol set, ESC ( 10 U), then value fields - a sign, digits, a decimal
  // part, or none (ESC * r B) - each closed by a parameter character, lower case going on,
  // upper case ending.
  if (bytes.size() < 4 || bytes[0] != kEsc || bytes[1] < '!' || bytes[1] > '/') return 0;
  std::size_t i = 2;
  const bool font = bytes[1] == '(' || bytes[1] == ')';
  if (bytes[i] >= '`' && bytes[i] <= '~') {
    if (font && bytes[i] != 's' && bytes[i] != 'f') return 0;
    ++i;
  } else if (!font || !IsDigit(bytes[i])) {
    return 0;
  }
  for (int field = 0; field < 32; ++field) {
    const bool sign = i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-');
    if (sign) ++i;
    std::size_t digits = 0;
    while (i < bytes.size() && (IsDigit(bytes[i]) || bytes[i] == '.')) {
      digits += IsDigit(bytes[i]) ? 1 : 0;
      ++i;
    }
    if ((sign && digits == 0) || i >= bytes.size()) return 0;
    const std::uint8_t parameter = bytes[i++];
    if (parameter >= '@' && parameter <= '^') return i;
    if (parameter < '`' || parameter > '~') return 0;
  }
  return 0;
}

Header ReadHeader(std::span<const std::uint8_t> bytes) {
  std::size_t at = 0;
  bool pjl = false;
  std::optional<JobLanguage> entered;
  auto skip_ctrl_d = [&] {
    while (at < bytes.size() && bytes[at] == kCtrlD) ++at;
  };
  skip_ctrl_d();
  // A PJL header: UELs and @PJL lines, up to its ENTER LANGUAGE or the first other line.
  for (int lines = 0; lines < 1000 && !entered; ++lines) {
    if (StartsWith(bytes, at, kUel)) {
      at += kUel.size();
      pjl = true;
    } else if (StartsWith(bytes, at, "@PJL", true)) {
      std::size_t end = at;
      while (end < bytes.size() && bytes[end] != '\n') ++end;
      if (end == bytes.size()) break;  // the header goes on past what is here
      entered = EnteredLanguage(std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, end - at));
      at = end + 1;
      pjl = true;
    } else if (pjl && at < bytes.size() && (bytes[at] == '\r' || bytes[at] == '\n')) {
      ++at;
    } else {
      break;
    }
  }
  skip_ctrl_d();
  return Header{at, pjl, entered};
}

}  // namespace prynda::recognition
