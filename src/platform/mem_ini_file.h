// TMemIniFile: a read-only settings file held in memory. Lines are trimmed of bytes <= 32; ";"
// starts a comment; "[name]" opens a section; "key=value" lines before any section are ignored.
// Sections and keys match ignoring letter case; of repeated sections only the last counts, of
// repeated keys in a section the last line counts. Bytes are taken as they stand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace prynda {

// The settings reader's integer rule: optional blanks, optional sign, then decimal digits or "$"
// and hexadecimal digits (32-bit two's complement); the whole text must be the number.
std::optional<std::int32_t> ParseSettingsInteger(std::string_view text);

class TMemIniFile {
 public:
  // Files larger than this are refused as unreadable.
  static constexpr std::uintmax_t kMaxFileSize = 64u << 20;

  // Reads the whole file; a missing file gives an empty store. Raises std::runtime_error when the
  // file exists but cannot be read (a folder, no permission, too large).
  explicit TMemIniFile(const std::string& file_name);
  static TMemIniFile FromText(std::string_view text);

  bool HasKey(std::string_view section, std::string_view key) const;
  std::string ReadText(std::string_view section, std::string_view key, std::string_view fallback) const;
  // Hexadecimal also as "0x..." (more than two characters); any other text gives the fallback.
  std::int32_t ReadNumber(std::string_view section, std::string_view key, std::int32_t fallback) const;

 private:
  TMemIniFile() = default;
  void Parse(std::string_view text);
  const std::string* Find(std::string_view section, std::string_view key) const;

  struct Section {
    std::vector<std::pair<std::string, std::string>> Entries;  // lines without "=" are not kept
  };
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> last_section_;  // folded name -> index in sections_
};

}  // namespace prynda
