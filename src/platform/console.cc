#include "platform/console.h"

#include <istream>
#include <ostream>
#include <stdexcept>

#include "platform/text_encoding.h"

namespace prynda {

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
