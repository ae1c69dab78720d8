// The file of font look-ups kept between runs, over arbitrary bytes as its content. Loading it
// either refuses it, serving nothing, or serves exactly what its lines say: the face list when it
// has one (the names of its face lines, in order), and for each match line the location it gives
// (the last line for a look-up that has several), with names and files that fit in a field.
// A file it takes, written back with one answer more and loaded again, gives the same answers
// and that one.
#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "fuzz/fuzz_job.h"
#include "printers/fonts/font_cache.h"

using namespace prynda;

namespace {

// Every load takes a buffer the size of the largest cache (1 MiB). Under ASan a block that size is
// a fresh mapping each time, its pages faulted in and cleared: most of an execution. The last such
// block freed is kept, poisoned, so that a use of it after its free is still reported, and handed
// out again for the next request of its size.
constexpr std::size_t kLargeBlock = std::size_t{1} << 20;
void* kept_block = nullptr;
std::size_t kept_size = 0;

void* Allocate(std::size_t size) noexcept {
  if (size >= kLargeBlock && kept_block != nullptr && kept_size == size) {
    ASAN_UNPOISON_MEMORY_REGION(kept_block, size);
    return std::exchange(kept_block, nullptr);
  }
  return std::malloc(size == 0 ? 1 : size);
}

void Free(void* block) noexcept {
  if (block == nullptr) return;
  if (block == kept_block) __builtin_trap();  // freed twice
  const std::size_t size = __sanitizer_get_allocated_size(block);
  if (size >= kLargeBlock && kept_block == nullptr) {
    ASAN_POISON_MEMORY_REGION(block, size);
    kept_block = block;
    kept_size = size;
    return;
  }
  std::free(block);
}

}  // namespace

// The plain and nothrow forms of new, and every delete that frees what they return; arrays and
// aligned blocks stay with the runtime's own.
void* operator new(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }

namespace {

// The setup the seeds are written for; a file of another one is refused.
constexpr const char* kSetup = "fontconfig 21401 HOME=/tmp/prynda-home LANG=pl_PL.UTF-8";

using Key = std::tuple<std::string, bool, bool, std::string>;  // family, bold, italic, language

struct Answers {
  std::optional<std::vector<std::string>> faces;
  std::map<Key, FaceLocation> matches;
};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// What a file the cache takes must answer, read from its lines as they stand.
Answers Written(std::string_view text) {
  Answers answers;
  std::vector<std::string> faces;
  bool listed = false;
  for (const std::string_view line : Split(text, '\n')) {
    const auto fields = Split(line, '\t');
    if (line == "faces") listed = true;
    if (fields[0] == "face" && fields.size() == 2) faces.emplace_back(fields[1]);
    if (fields[0] == "match" && fields.size() == 9) {
      FaceLocation location{std::string(fields[8]), 0, fields[5] == "1", fields[6] == "1"};
      if (fields[4].size() > 9 || fields[4].find_first_not_of("0123456789") != std::string_view::npos) {
        continue;  // no index: a file the cache refuses
      }
      for (const char c : fields[4]) location.Index = location.Index * 10 + (c - '0');
      answers.matches[Key(std::string(fields[7]), fields[1] == "1", fields[2] == "1", std::string(fields[3]))] =
          location;
    }
  }
  if (listed) answers.faces = std::move(faces);
  return answers;
}

bool FitsInField(const std::string& text) { return text.find_first_of("\t\r\n") == std::string::npos; }

// The cache serves exactly `answers`, so far as its look-ups can tell.
void CheckServes(const FontCache& cache, const Answers& answers) {
  if (cache.FaceNames() != answers.faces) __builtin_trap();
  if (cache.FaceNames()) {
    for (const std::string& name : *cache.FaceNames()) {
      if (!FitsInField(name)) __builtin_trap();
    }
  }
  for (const auto& [key, location] : answers.matches) {
    const auto& [family, bold, italic, language] = key;
    const FaceLocation* found = cache.Find(family, bold, italic, language);
    if (found == nullptr || !(*found == location)) __builtin_trap();
    if (!FitsInField(family) || !FitsInField(language) || !FitsInField(found->File) || found->File.empty() ||
        found->Index < 0) {
      __builtin_trap();
    }
  }
}

void CheckServesNothing(const FontCache& cache, const Answers& written) {
  if (cache.Valid() || cache.FaceNames()) __builtin_trap();
  for (const auto& [key, location] : written.matches) {
    const auto& [family, bold, italic, language] = key;
    if (cache.Find(family, bold, italic, language) != nullptr) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = [] {
    const std::string path = fuzzing::ScratchFolder() + "/fonts";
    std::filesystem::create_directories(path);
    return path;
  }();
  static const std::string path = FontCache(folder, kSetup).Path();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(size));

  FontCache cache(folder, kSetup);
  const Answers written = Written(text);
  if (!cache.Load()) {
    CheckServesNothing(cache, written);
    return 0;
  }
  // Taken: a whole file of this setup.
  if (!text.starts_with("prynda font cache 2\n") || !text.ends_with("\nend\n") ||
      !text.substr(text.find('\n') + 1).starts_with(std::string("setup\t") + kSetup + "\n") ||
      text.find("\nstamp\t") == std::string_view::npos || !cache.Valid()) {
    __builtin_trap();
  }
  CheckServes(cache, written);

  if (size > (1 << 19)) return 0;  // written back, it might outgrow what a cache may be
  Answers expected = written;
  const FaceLocation probe{"/nonexistent/prynda-fuzz/probe.ttf", 3, true, false};
  const Key probe_key("Probe Sans", false, true, "pl");
  cache.Add(std::get<0>(probe_key), std::get<1>(probe_key), std::get<2>(probe_key), std::get<3>(probe_key), probe);
  expected.matches[probe_key] = probe;
  cache.Save();
  FontCache again(folder, kSetup);
  if (!again.Load()) __builtin_trap();
  CheckServes(again, expected);
  return 0;
}
