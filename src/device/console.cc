#include "device/console.h"

#include <cstdlib>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "device/text_encoding.h"

namespace prynda {

namespace {

bool NamesUtf8(std::string_view locale) {
  std::string lower;
  for (char c : locale) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

int ConsoleCodePageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return NamesUtf8(value) ? kCodePageUtf8 : 852;
  }
  return 852;
}

TConsole::TConsole(std::ostream& out, std::istream& in, std::ostream& err, int code_page)
    : out_(out), in_(in), err_(err), code_page_(code_page) {}

void TConsole::Write(std::string_view message) {
  out_ << ConvertCodePage(message, kCodePageUtf8, code_page_);
}

void TConsole::Write(Raw raw) { out_.write(raw.Bytes.data(), static_cast<std::streamsize>(raw.Bytes.size())); }

void TConsole::EndLine() {
  out_ << '\n';
  Flush();
}

void TConsole::Prompt(std::string_view message) {
  Write(message);
  Flush();
}

void TConsole::ReadLine() {
  std::string line;
  if (!std::getline(in_, line)) in_.clear();
}

void TConsole::Error(std::string_view message) {
  err_ << message << '\n';
  err_.flush();
}

void TConsole::Flush() {
  out_.flush();
  if (!out_) throw std::runtime_error("Cannot write to the console");
}

}  // namespace prynda
