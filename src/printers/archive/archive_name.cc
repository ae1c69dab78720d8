#include "printers/archive/archive_name.h"

#include <array>
#include <charconv>

#include "platform/name_list.h"

namespace prynda {

namespace {

// `value` in `digits` digits at least, zeros in front.
std::string Padded(int value, int digits) {
  std::array<char, 16> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  std::string text = error == std::errc() ? std::string(buffer.data(), end) : std::string();
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return text;
}

std::string FieldValue(std::string_view field, const ArchiveFields& fields, bool& known) {
  known = true;
  const std::tm& t = fields.Time;
  if (field == "date") return Padded(t.tm_year + 1900, 4) + "-" + Padded(t.tm_mon + 1, 2) + "-" + Padded(t.tm_mday, 2);
  if (field == "time") return Padded(t.tm_hour, 2) + "-" + Padded(t.tm_min, 2) + "-" + Padded(t.tm_sec, 2);
  if (field == "name") return fields.Name;
  if (field == "printer") return fields.Printer;
  if (field == "user") return fields.User;
  if (field == "pages") return fields.Pages ? std::to_string(*fields.Pages) : std::string();
  known = false;
  return {};
}

bool Unfit(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
         c == '>' || c == '|';
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices on Windows, whatever follows a dot.
bool WindowsDevice(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (SameTextIgnoringCase(name, device)) return true;
  }
  return name.size() == 4 && (SameTextIgnoringCase(name.substr(0, 3), "COM") || SameTextIgnoringCase(name.substr(0, 3), "LPT")) &&
         name[3] >= '1' && name[3] <= '9';
}

}  // namespace

std::string ArchiveStem(std::string_view pattern, const ArchiveFields& fields) {
  std::string name;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string_view::npos;
    bool known = false;
    const std::string value =
        close == std::string_view::npos ? std::string() : FieldValue(pattern.substr(i + 1, close - i - 1), fields, known);
    if (known) {
      name += value;
      i = close + 1;
    } else {
      name += pattern[i++];
    }
  }
  if (name.size() >= 4 && SameTextIgnoringCase(std::string_view(name).substr(name.size() - 4), ".pdf")) {
    name.resize(name.size() - 4);
  }
  for (char& c : name) {
    if (Unfit(static_cast<unsigned char>(c))) c = '_';
  }
  // Cut before the device name is looked for, so that a cut cannot leave one; a "_" put after one
  // is kept by the second cut, which ends where a UTF-8 character begins, at most 3 bytes back.
  const auto cut_to_most = [&name] {
    if (name.size() <= kMaxArchiveStem) return;
    std::size_t cut = kMaxArchiveStem;
    while (cut > kMaxArchiveStem - 3 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  };
  cut_to_most();
  if (!name.empty() && name.front() == '.') name.front() = '_';
  const std::size_t dot = name.find('.');
  const std::size_t base = dot == std::string::npos ? name.size() : dot;
  if (WindowsDevice(std::string_view(name).substr(0, base))) name.insert(base, "_");
  cut_to_most();
  return name.empty() ? std::string("_") : name;
}

std::string ArchiveFileName(const std::string& stem, int attempt) {
  return attempt <= 1 ? stem + ".pdf" : stem + "-" + Padded(attempt, 1) + ".pdf";
}

std::string PrintedFileName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.rfind('.');
  if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
  return std::string(path);
}

}  // namespace prynda
