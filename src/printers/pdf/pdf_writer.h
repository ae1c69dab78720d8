// Writes a PDF front to back into a sink: numbered objects, compressed streams, and the
// cross-reference table at the end. Output is buffered and handed to the sink in large pieces;
// a sink that fails raises EPrinter with its own text. Numbers are written locale-proof.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "printers/pdf/deflate.h"
#include "printers/pdf/pdf_sink.h"

namespace prynda {

// Appends a number as PDF writes it: integers plainly, reals with at most `decimals` decimals and
// no trailing zeros.
void AppendInt(std::string& out, long long value);
void AppendReal(std::string& out, double value, int decimals = 3);

class PdfWriter {
 public:
  explicit PdfWriter(PdfSink& sink);
  ~PdfWriter();
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // Reserves an object number; the object itself may be written later.
  int NewObject();
  void BeginObject(int number);
  void EndObject();
  void Write(std::string_view text);
  void WriteInt(long long value);
  void WriteReal(double value, int decimals = 3);
  // A whole stream object; `dictionary` holds further entries (without the brackets).
  void WriteStream(int number, std::string_view data, std::string_view dictionary = {}, bool compress = true);
  // A stream whose data is already compressed with zlib.
  void WriteCompressedStream(int number, std::string_view compressed, std::string_view dictionary = {});
  // The cross-reference table and trailer; then everything is flushed to the sink.
  void Finish(int catalog, int info);

 private:
  void Flush();

  PdfSink& sink_;
  std::string buffer_;
  std::uint64_t flushed_ = 0;  // bytes handed to the sink so far
  std::vector<std::uint64_t> offsets_{0};  // by object number; 0 = not written yet
  Deflater deflater_;
};

}  // namespace prynda
