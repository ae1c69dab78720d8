#include "printers/fonts/font_cache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/files.h"

namespace prynda {

namespace {

constexpr std::string_view kHeader = "prynda font cache 2";
// The last line: a file that lacks it was cut short, even where the cut fell between two lines.
constexpr std::string_view kEnd = "end";
constexpr std::size_t kMostBytes = 1 << 20;  // far more than any real cache

// A name of the setup for the cache's file name: FNV-1a, stable from build to build.
std::string NameOfSetup(std::string_view setup) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : setup) hash = (hash ^ c) * 0x100000001b3ULL;
  char name[32];
  std::snprintf(name, sizeof name, "fonts-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

// The modification time of a file or folder as text, "-" when there is none.
std::string TimeOf(const std::string& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return "-";
  return std::to_string(time.time_since_epoch().count());
}

// Fields are separated by tabs and records by line ends: text holding either cannot be stored.
bool Storable(const std::string& text) { return text.find_first_of("\t\r\n") == std::string_view::npos; }

std::string Flattened(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

bool ParseFlag(std::string_view text, bool& flag) {
  if (text != "0" && text != "1") return false;
  flag = text == "1";
  return true;
}

bool ParseIndex(std::string_view text, int& index) {
  if (text.empty() || text.size() > 9) return false;
  index = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    index = index * 10 + (c - '0');
  }
  return true;
}

}  // namespace

std::string FontCache::DefaultFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/prynda";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/prynda";
  return {};
}

FontCache::FontCache(std::string folder, std::string setup)
    : folder_(std::move(folder)), setup_(Flattened(std::move(setup))) {
  if (!folder_.empty()) path_ = folder_ + "/" + NameOfSetup(setup_);
}

bool FontCache::Load() {
  valid_ = false;
  stamps_.clear();
  face_names_.reset();
  matches_.clear();
  if (path_.empty()) return false;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return false;
  std::string text(kMostBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMostBytes || text.empty() || text.back() != '\n') return false;
  // No field holds a CR (see Storable): a file with one was not written by Save.
  if (text.find('\r') != std::string::npos) return false;

  std::vector<std::pair<std::string, std::string>> stamps;
  std::vector<std::string> names;
  bool listed = false;
  decltype(matches_) matches;
  std::string_view rest = text;
  int line_number = 0;
  bool ended = false;
  while (!rest.empty()) {
    if (ended) return false;
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    ++line_number;
    const auto fields = Fields(line);
    if (line_number == 1) {
      if (line != kHeader) return false;
    } else if (line_number == 2) {
      if (fields.size() != 2 || fields[0] != "setup" || fields[1] != setup_) return false;
    } else if (fields[0] == "stamp" && fields.size() == 3) {
      stamps.emplace_back(std::string(fields[2]), std::string(fields[1]));
    } else if (line == kEnd) {
      ended = true;
    } else if (fields[0] == "faces" && fields.size() == 1) {
      listed = true;
    } else if (fields[0] == "face" && fields.size() == 2) {
      names.emplace_back(fields[1]);
    } else if (fields[0] == "match" && fields.size() == 9) {
      bool bold = false;
      bool italic = false;
      FaceLocation location;
      if (!ParseFlag(fields[1], bold) || !ParseFlag(fields[2], italic) || !ParseIndex(fields[4], location.Index) ||
          !ParseFlag(fields[5], location.SyntheticBold) || !ParseFlag(fields[6], location.SyntheticItalic) ||
          fields[8].empty()) {
        return false;
      }
      location.File = fields[8];
      matches[Key(std::string(fields[7]), bold, italic, std::string(fields[3]))] = std::move(location);
    } else {
      return false;
    }
  }
  if (!ended || line_number < 2 || stamps.empty()) return false;
  for (const auto& [path, time] : stamps) {
    if (TimeOf(path) != time) return false;
  }
  stamps_ = std::move(stamps);
  if (listed) face_names_ = std::move(names);
  matches_ = std::move(matches);
  valid_ = true;
  return true;
}

void FontCache::Restart(const std::vector<std::string>& paths) {
  stamps_.clear();
  face_names_.reset();
  matches_.clear();
  for (const auto& path : paths) Stamp(path);
  valid_ = true;
  dirty_ = true;
}

void FontCache::Stamp(const std::string& path) {
  if (!Storable(path)) {
    folder_.clear();  // a configuration the file cannot describe: keep nothing
    return;
  }
  for (const auto& stamp : stamps_) {
    if (stamp.first == path) return;
  }
  stamps_.emplace_back(path, TimeOf(path));
}

void FontCache::SetFaceNames(std::vector<std::string> names) {
  face_names_ = std::move(names);
  dirty_ = true;
}

const FaceLocation* FontCache::Find(std::string_view family, bool bold, bool italic, std::string_view language) const {
  const auto found = matches_.find(Key(std::string(family), bold, italic, std::string(language)));
  return found != matches_.end() ? &found->second : nullptr;
}

void FontCache::Add(std::string family, bool bold, bool italic, std::string language, FaceLocation location) {
  if (!Storable(family) || !Storable(language) || !Storable(location.File)) return;
  Stamp(location.File);
  matches_[Key(std::move(family), bold, italic, std::move(language))] = std::move(location);
  dirty_ = true;
}

void FontCache::Save() {
  if (!dirty_ || !valid_ || folder_.empty() || path_.empty() || stamps_.empty()) return;
  dirty_ = false;
  std::string text(kHeader);
  text += "\nsetup\t" + setup_ + "\n";
  for (const auto& [path, time] : stamps_) text += "stamp\t" + time + "\t" + path + "\n";
  if (face_names_ && std::all_of(face_names_->begin(), face_names_->end(), Storable)) {
    text += "faces\n";
    for (const auto& name : *face_names_) text += "face\t" + name + "\n";
  }
  for (const auto& [key, location] : matches_) {
    const auto& [family, bold, italic, language] = key;
    text += "match\t";
    text += bold ? "1\t" : "0\t";
    text += italic ? "1\t" : "0\t";
    text += language + "\t" + std::to_string(location.Index) + "\t";
    text += location.SyntheticBold ? "1\t" : "0\t";
    text += location.SyntheticItalic ? "1\t" : "0\t";
    text += family + "\t" + location.File + "\n";
  }
  text += kEnd;
  text += "\n";
  if (text.size() > kMostBytes) return;
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  ReplacingFile file;
  if (file.Create(path_) && file.Write(text.data(), text.size())) file.Commit();
}

}  // namespace prynda
