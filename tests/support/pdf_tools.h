// Reading the program's PDFs back with poppler-utils, as a user of the PDF would see them.
#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>

namespace prynda::testing {

// What a shell command writes on its standard output.
inline std::string Shell(const std::string& command) {
  std::string output;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::array<char, 4096> buffer;
  while (pipe) {
    const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe.get());
    if (n == 0) break;
    output.append(buffer.data(), n);
  }
  return output;
}

// The number of pages pdfinfo finds in a PDF; -1 when there is no readable PDF.
inline int PdfPageCount(const std::string& pdf) {
  std::smatch match;
  const std::string info = Shell("pdfinfo '" + pdf + "' 2>/dev/null");
  return std::regex_search(info, match, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(match[1]) : -1;
}

}  // namespace prynda::testing
