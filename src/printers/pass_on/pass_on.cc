#include "printers/pass_on/pass_on.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "device/printer_error.h"
#include "platform/files.h"
#include "platform/stop_requests.h"

namespace prynda {

namespace {

constexpr std::size_t kBlock = 65536;

}  // namespace

void ReadDocument(const std::string& path, std::uint64_t offset, const DocumentBytes& write) {
  InputFile file;
  if (!file.Open(path)) throw EPrinter("Cannot read the document " + path);
  if (offset > static_cast<std::uint64_t>(file.Size())) {
    throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
  }
  std::vector<unsigned char> block(kBlock);
  std::uint64_t skip = offset;
  for (;;) {
    StopIfRequested();
    const std::size_t want = skip > 0 ? static_cast<std::size_t>(std::min<std::uint64_t>(skip, kBlock)) : kBlock;
    const std::int64_t got = file.Read(block.data(), want);
    if (got < 0) throw EPrinter("Cannot read the document " + path);
    if (got == 0) break;
    if (skip > 0) {
      skip -= static_cast<std::uint64_t>(got);
      continue;
    }
    write(block.data(), static_cast<std::size_t>(got));
  }
  if (skip > 0) throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
}

std::string GhostscriptFailure(const ProgramResult& result) {
  const std::string_view errors = result.Errors;
  auto line_at = [&](std::size_t start) {
    const std::size_t end = errors.find_first_of("\r\n", start);
    std::string_view line = errors.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return std::string(line);
  };
  // What the document printed itself may stand before the error on the same line.
  if (const std::size_t error = errors.find("Error: "); error != std::string_view::npos) return line_at(error);
  if (const std::size_t first = errors.find_first_not_of(" \t\r\n"); first != std::string_view::npos) {
    return line_at(first);
  }
  return "exit code " + std::to_string(result.ExitCode);
}

}  // namespace prynda
