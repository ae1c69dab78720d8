#include "platform/text_encoding.h"

#include <map>
#include <mutex>

namespace prynda {

std::array<char32_t, 256> CodePointsOfBytes(int code_page) {
  // A run uses one or two code pages, each for several fonts: convert each once.
  static std::mutex guard;
  static std::map<int, std::array<char32_t, 256>> known;
  std::lock_guard<std::mutex> lock(guard);
  auto found = known.find(code_page);
  if (found == known.end()) found = known.emplace(code_page, ReadCodePage(code_page)).first;
  return found->second;
}

}  // namespace prynda
