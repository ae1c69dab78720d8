// A console on string streams in UTF-8, so that expected messages read as they are written in the
// tests; standard input is given by the test and what is left of it can be checked.
#pragma once

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/text_encoding.h"

namespace prynda::testing {

class ConsoleStreams {
 protected:
  void GiveInput(const std::string& text) {
    in.str(text);
    in.clear();
  }
  // What standard input still holds.
  std::string UnreadInput() { return std::string(std::istreambuf_iterator<char>(in), {}); }
  std::string Output() const { return out.str(); }
  std::vector<std::string> OutputLines() const {
    std::vector<std::string> lines;
    std::istringstream text(out.str());
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  std::stringstream out;
  std::stringstream in;
  std::stringstream err;
  TConsole console{out, in, err, kCodePageUtf8};
};

}  // namespace prynda::testing
