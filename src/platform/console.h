// TConsole: the program's console. Messages are Polish text held in the source as UTF-8 and written
// in the console's code page (CP852, or UTF-8 where the locale says so); names the user gave (file,
// printer) are written as their bytes stand. Every line is flushed; a failed write raises.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace prynda {

// Bytes written exactly as they are.
struct Raw {
  std::string_view Bytes;
};

class TConsole {
 public:
  TConsole(std::ostream& out, std::istream& in, std::ostream& err, int code_page);

  void Write(std::string_view message);
  void Write(Raw raw);
  void EndLine();
  template <typename... Pieces>
  void Line(const Pieces&... pieces) {
    (Write(pieces), ...);
    EndLine();
  }
  // "Naciśnij Enter" style prompt: no line end, flushed.
  void Prompt(std::string_view message);
  // Reads one line and discards it; the end of input (or no input at all) counts as Enter.
  void ReadLine();
  // A failure's message on the error stream, one line.
  void Error(std::string_view message);

  int CodePage() const { return code_page_; }

 private:
  void Flush();

  std::ostream& out_;
  std::istream& in_;
  std::ostream& err_;
  int code_page_;
};

}  // namespace prynda
