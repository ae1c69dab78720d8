// The print server's backend over what a job brings: device URIs, option names and values, queue
// graphs the scheduler could describe, the text of its log lines and the archive's file names
// made of its title. The fuzzer's first byte
// chooses the door, the rest is split at NUL bytes.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cupsbackend/backend_job.h"
#include "printers/archive/archive_name.h"

using namespace prynda;

namespace {

std::vector<std::string> Pieces(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> pieces(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      pieces.emplace_back();
    } else {
      pieces.back() += static_cast<char>(data[i]);
    }
  }
  return pieces;
}

// The characters of valid UTF-8, or -1 when it is not.
long Utf8Characters(std::string_view text) {
  long count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return -1;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return -1;
    }
    i += length;
  }
  return count;
}

void CheckLogText(std::string_view text, std::size_t most) {
  const std::string shown = LogText(text, most);
  const long characters = Utf8Characters(shown);
  if (characters < 0 || static_cast<std::size_t>(characters) > most) __builtin_trap();
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto c = static_cast<unsigned char>(shown[i]);
    if (c < 0x20 || c == 0x7F) __builtin_trap();
    // No C1 control: U+0080-U+009F is C2 80 - C2 9F.
    if (c == 0xC2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) < 0xA0) __builtin_trap();
  }
  if (LogText(shown, most) != shown) __builtin_trap();
}

// A job's title as {name} in `pattern`: one file's name in the archive's folder, on Linux and on
// Windows, and still UTF-8 where the title was.
void CheckArchiveName(const std::string& title, const std::string& pattern) {
  ArchiveFields fields;
  fields.Name = title;
  const std::string stem = ArchiveStem(pattern, fields);
  if (stem.empty() || stem.size() > kMaxArchiveStem || stem.front() == '.') __builtin_trap();
  for (const char c : stem) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
      __builtin_trap();
    }
  }
  std::string base = stem.substr(0, stem.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  const bool numbered = base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || numbered) __builtin_trap();
  if (Utf8Characters(title) >= 0 && Utf8Characters(pattern) >= 0 && Utf8Characters(stem) < 0) __builtin_trap();
  if (!ArchiveFileName(stem, 3).ends_with("-3.pdf")) __builtin_trap();
}

// What the backend may put among the program's options: its own, and nothing the program would
// read as another (E deletes the file, 180 changes the feeds, and so on).
void CheckOptions(const TBackendOptions& mapped) {
  for (std::string_view bad : {"E", "180", "K=", "R=", "DY=", "/P", "/ST", "/TR", "/FF", "/DR="}) {
    if (mapped.Options.find(bad) != std::string::npos) __builtin_trap();
  }
  if (mapped.MaxPages < 0 || mapped.MaxPages > kMostPageLimit) __builtin_trap();
  if (Utf8Characters(mapped.Error) < 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::vector<std::string> pieces = Pieces(data + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      for (const std::string& piece : pieces) {
        CheckLogText(piece, 1 + data[0] / 4 % 100);
        CheckArchiveName(piece, pieces[0]);
      }
      break;
    case 1:
      for (const std::string& piece : pieces) {
        if (const auto queue = TargetQueue(piece); queue && (queue->empty() || queue->find('/') != std::string::npos)) {
          __builtin_trap();
        }
      }
      break;
    case 2: {
      std::vector<std::pair<std::string, std::string>> options;
      for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) options.emplace_back(pieces[i], pieces[i + 1]);
      CheckOptions(MapBackendOptions(options));
      break;
    }
    default: {
      // Queues as the scheduler could describe them: a name, a device URI, then the class's members
      // up to an empty piece; cycles and queues that are not there included.
      std::map<std::string, QueueFacts> queues;
      for (std::size_t i = 0; i + 1 < pieces.size();) {
        QueueFacts& facts = queues[pieces[i]];
        facts.DeviceUri = pieces[i + 1];
        for (i += 2; i < pieces.size() && !pieces[i].empty(); ++i) facts.Members.push_back(pieces[i]);
        ++i;
      }
      int asked = 0;
      const auto found = PryndaQueueBehind(pieces[0], [&](const std::string& queue) -> std::optional<QueueFacts> {
        if (++asked > 10000) __builtin_trap();  // a cycle must end the walk
        const auto it = queues.find(queue);
        if (it == queues.end()) return std::nullopt;
        return it->second;
      });
      if (found && !TargetQueue(found->DeviceUri)) __builtin_trap();
    }
  }
  return 0;
}
