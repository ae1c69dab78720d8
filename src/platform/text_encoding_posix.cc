#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace prynda {

namespace {

std::string IconvName(int code_page) {
  switch (code_page) {
    case kCodePageUtf8: return "UTF-8";
    case 10000: return "MACINTOSH";
    case 1200: return "UTF-16LE";
    case 12000: return "UTF-32LE";
    case 28592: return "ISO-8859-2";
    default: return "CP" + std::to_string(code_page);
  }
}

class Converter {
 public:
  Converter(int from, int to)
      : handle_(iconv_open(IconvName(to).c_str(), IconvName(from).c_str())),
        from_utf8_(from == kCodePageUtf8) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error("no conversion from code page " + std::to_string(from) + " to " +
                               std::to_string(to));
    }
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can; an unconvertible or invalid input character becomes `replacement`
  // (already in the target code page).
  std::string Run(std::string_view text, std::string_view replacement) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // from the initial state, whatever came before
    std::string out;
    out.reserve(text.size() * 2);
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    char buffer[256];
    while (in_left > 0) {
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t result = iconv(handle_, &in, &in_left, &out_ptr, &out_left);
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      if (result == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: skip one input byte (one UTF-8 sequence when the source is UTF-8).
        std::size_t skip = 1;
        if (from_utf8_ && in_left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0xC0) {
          while (skip < in_left && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
        }
        in += skip;
        in_left -= skip;
        out.append(replacement);
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    iconv(handle_, nullptr, nullptr, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    return out;
  }

 private:
  iconv_t handle_;
  bool from_utf8_;
};

// Opening a converter costs more than most conversions (the console converts every page's
// message), so each thread keeps the ones it has opened for the rest of the run.
Converter& OpenConverter(int from, int to) {
  thread_local std::map<std::pair<int, int>, std::unique_ptr<Converter>> open;
  std::unique_ptr<Converter>& converter = open[{from, to}];
  if (!converter) converter = std::make_unique<Converter>(from, to);
  return *converter;
}

}  // namespace

std::string ConvertCodePage(std::string_view text, int from_code_page, int to_code_page) {
  if (from_code_page == to_code_page) return std::string(text);
  return OpenConverter(from_code_page, to_code_page).Run(text, "?");
}

std::array<char32_t, 256> ReadCodePage(int code_page) {
  std::array<char32_t, 256> points{};
  try {
    Converter converter(code_page, 12000);
    for (int byte = 0; byte < 256; ++byte) {
      const char in = static_cast<char>(byte);
      const std::string out = converter.Run(std::string_view(&in, 1), std::string_view("\0\0\0\0", 4));
      if (out.size() != 4) continue;
      const auto* u = reinterpret_cast<const unsigned char*>(out.data());
      points[static_cast<std::size_t>(byte)] = static_cast<char32_t>(
          u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<unsigned>(u[3]) << 24));
    }
  } catch (const std::runtime_error&) {
  }
  return points;
}

}  // namespace prynda
