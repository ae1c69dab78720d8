// What a job asked for that was not drawn (downloaded characters, a character table nobody knows, a
// bar code the printer would refuse): each kind named once on the console at the end of the job,
// in the order first met, beside the characters no face has.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/console.h"

namespace prynda {

class NotDrawn {
 public:
  // `line` (Polish, a whole console line) is said once however often it is noted.
  void Note(std::string line) {
    if (std::find(lines_.begin(), lines_.end(), line) == lines_.end()) lines_.push_back(std::move(line));
  }
  void Report(TConsole& console) const {
    for (const std::string& line : lines_) console.Line(line);
  }
  bool Empty() const { return lines_.empty(); }

 private:
  std::vector<std::string> lines_;
};

}  // namespace prynda
