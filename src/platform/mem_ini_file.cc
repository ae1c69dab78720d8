#include "platform/mem_ini_file.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/name_list.h"

namespace prynda {

namespace {

std::string_view Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

std::string Fold(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseSettingsInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i < text.size() && text[i] == '$') {
    ++i;
    if (i == text.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
      const int digit = HexValue(text[i]);
      if (digit < 0 || value > 0x0FFFFFFFu) return std::nullopt;
      value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
  }
  if (i == text.size()) return std::nullopt;
  const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > limit) return std::nullopt;
  }
  const auto signed_value = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
  return static_cast<std::int32_t>(signed_value);
}

TMemIniFile::TMemIniFile(const std::string& file_name) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(file_name, error);
  if (status.type() == fs::file_type::not_found) return;
  if (error) throw std::system_error(error, file_name);
  if (!fs::is_regular_file(status)) throw std::runtime_error(file_name + ": not a file");
  const std::uintmax_t size = fs::file_size(file_name, error);
  if (error) throw std::system_error(error, file_name);
  if (size > kMaxFileSize) throw std::runtime_error(file_name + ": too large");
  std::ifstream in(file_name, std::ios::binary);
  if (!in) throw std::runtime_error(file_name + ": cannot be opened");
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxFileSize) throw std::runtime_error(file_name + ": too large");
  }
  if (in.bad()) throw std::runtime_error(file_name + ": read failed");
  Parse(text);
}

TMemIniFile TMemIniFile::FromText(std::string_view text) {
  TMemIniFile file;
  file.Parse(text);
  return file;
}

void TMemIniFile::Parse(std::string_view text) {
  Section* current = nullptr;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = (end == std::string_view::npos) ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      sections_.emplace_back();
      current = &sections_.back();
      last_section_[Fold(Trim(line.substr(1, line.size() - 2)))] = sections_.size() - 1;
      continue;
    }
    if (current == nullptr) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    current->Entries.emplace_back(std::string(Trim(line.substr(0, equals))),
                                  std::string(Trim(line.substr(equals + 1))));
  }
}

const std::string* TMemIniFile::Find(std::string_view section, std::string_view key) const {
  const auto found = last_section_.find(Fold(section));
  if (found == last_section_.end()) return nullptr;
  const auto& entries = sections_[found->second].Entries;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (SameTextIgnoringCase(it->first, key)) return &it->second;
  }
  return nullptr;
}

bool TMemIniFile::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string TMemIniFile::ReadText(std::string_view section, std::string_view key,
                                  std::string_view fallback) const {
  const std::string* value = Find(section, key);
  return value ? *value : std::string(fallback);
}

std::int32_t TMemIniFile::ReadNumber(std::string_view section, std::string_view key,
                                     std::int32_t fallback) const {
  std::string text = ReadText(section, key, "");
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
  return ParseSettingsInteger(text).value_or(fallback);
}

}  // namespace prynda
