// libmagic, with its checks of text and encodings left out: they read the whole buffer and say
// nothing a printer language would not.
#include "platform/file_type.h"

#include <magic.h>

#include <algorithm>
#include <mutex>
#include <string_view>

#include "platform/runtime_library.h"

namespace prynda {

namespace {

#define PRYNDA_MAGIC_FUNCTIONS(X) X(magic_open) X(magic_load) X(magic_buffer) X(magic_setflags)

struct MagicLibrary {
  PRYNDA_MAGIC_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

constexpr int kStructureOnly = MAGIC_NO_CHECK_COMPRESS | MAGIC_NO_CHECK_TEXT | MAGIC_NO_CHECK_ENCODING |
                               MAGIC_NO_CHECK_TOKENS | MAGIC_NO_CHECK_CSV | MAGIC_NO_CHECK_JSON;

// The first bytes that are looked at: every type asked for shows in them.
constexpr std::size_t kLookedAt = 16 * 1024;

std::string Answer(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

}  // namespace

FileType TellFileType(std::span<const std::uint8_t> head) {
  static MagicLibrary magic;
  static magic_t cookie = nullptr;
  static std::once_flag opened;
  static std::mutex using_it;  // one cookie, its flags changed between the two questions
  std::call_once(opened, [] {
    if (!PRYNDA_LOAD_LIBRARY("libmagic.so.1", PRYNDA_MAGIC_FUNCTIONS, magic)) return;
    magic_t made = magic.magic_open(MAGIC_MIME_TYPE | kStructureOnly);
    if (made != nullptr && magic.magic_load(made, nullptr) == 0) cookie = made;
  });
  if (cookie == nullptr) return {};
  const std::lock_guard<std::mutex> lock(using_it);
  const std::span<const std::uint8_t> looked_at = head.first(std::min(head.size(), kLookedAt));
  FileType type;
  magic.magic_setflags(cookie, MAGIC_MIME_TYPE | kStructureOnly);
  type.Mime = Answer(magic.magic_buffer(cookie, looked_at.data(), looked_at.size()));
  // Office's and XPS's ZIPs may be named only in words; other data is not asked twice.
  constexpr std::string_view kZip = "PK\x03\x04";
  const bool zip = looked_at.size() >= kZip.size() && std::equal(kZip.begin(), kZip.end(), looked_at.begin());
  if (zip && type.Mime == "application/octet-stream") {
    magic.magic_setflags(cookie, kStructureOnly);
    type.Description = Answer(magic.magic_buffer(cookie, looked_at.data(), looked_at.size()));
    if (type.Description == "data") type.Description.clear();
  }
  return type;
}

}  // namespace prynda
