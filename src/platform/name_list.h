// TNameList: a list of printer or face names, looked up by whole name with letter case ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace prynda {

// Whole-text comparison ignoring the case of the letters a-z; other bytes must be equal.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

class TNameList {
 public:
  TNameList() = default;
  explicit TNameList(std::vector<std::string> names) : names_(std::move(names)) {}

  int Count() const { return static_cast<int>(names_.size()); }
  bool Empty() const { return names_.empty(); }
  const std::string& operator[](int index) const { return names_.at(static_cast<std::size_t>(index)); }
  // Index of the first entry equal to name ignoring case, -1 when none.
  int IndexOf(std::string_view name) const;
  // Each name followed by CR LF.
  std::string Text() const;
  const std::vector<std::string>& Items() const { return names_; }

 private:
  std::vector<std::string> names_;
};

}  // namespace prynda
