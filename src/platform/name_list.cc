#include "platform/name_list.h"

namespace prynda {

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

int TNameList::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (SameTextIgnoringCase(names_[i], name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TNameList::Text() const {
  std::string text;
  for (const auto& name : names_) {
    text += name;
    text += "\r\n";
  }
  return text;
}

}  // namespace prynda
