#include "printers/pdf/pdf_writer.h"

#include <charconv>
#include <cmath>

#include "device/printer_error.h"

namespace prynda {

namespace {

constexpr std::size_t kFlushSize = 1 << 16;
// Level 3 of libdeflate, measured on the standard workload: level 1 is a sixth faster but its
// file a tenth larger; from level 4 on the time grows faster than the file shrinks.
constexpr int kCompressionLevel = 3;

}  // namespace

void AppendInt(std::string& out, long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendReal(std::string& out, double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::nearbyint(value * scale) / scale;
  if (rounded == std::nearbyint(rounded) && std::fabs(rounded) < 9e15) {
    AppendInt(out, static_cast<long long>(rounded));
    return;
  }
  char digits[48];
  auto result = std::to_chars(digits, digits + sizeof digits, rounded, std::chars_format::fixed, decimals);
  char* end = result.ptr;
  while (end > digits && end[-1] == '0') --end;
  if (end > digits && end[-1] == '.') --end;
  out.append(digits, end);
}

PdfWriter::PdfWriter(PdfSink& sink) : sink_(sink), deflater_(kCompressionLevel) {
  buffer_.reserve(kFlushSize * 2);
  // The comment of high bytes tells file transfer programs that this is a binary file.
  Write("%PDF-1.5\n%\xe2\xe3\xcf\xd3\n");
}

PdfWriter::~PdfWriter() = default;

int PdfWriter::NewObject() {
  offsets_.push_back(0);
  return static_cast<int>(offsets_.size() - 1);
}

void PdfWriter::BeginObject(int number) {
  offsets_.at(static_cast<std::size_t>(number)) = flushed_ + buffer_.size();
  AppendInt(buffer_, number);
  buffer_ += " 0 obj\n";
}

void PdfWriter::EndObject() {
  buffer_ += "\nendobj\n";
  if (buffer_.size() >= kFlushSize) Flush();
}

void PdfWriter::Write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kFlushSize) Flush();
}

void PdfWriter::WriteInt(long long value) { AppendInt(buffer_, value); }

void PdfWriter::WriteReal(double value, int decimals) { AppendReal(buffer_, value, decimals); }

void PdfWriter::WriteStream(int number, std::string_view data, std::string_view dictionary, bool compress) {
  if (compress) {
    WriteCompressedStream(number, deflater_.Compress(data), dictionary);
    return;
  }
  const std::string_view body = data;
  BeginObject(number);
  buffer_ += "<</Length ";
  AppendInt(buffer_, static_cast<long long>(body.size()));
  buffer_.append(dictionary);
  buffer_ += ">>stream\n";
  buffer_.append(body);
  buffer_ += "\nendstream";
  EndObject();
}

void PdfWriter::WriteCompressedStream(int number, std::string_view compressed, std::string_view dictionary) {
  BeginObject(number);
  buffer_ += "<</Length ";
  AppendInt(buffer_, static_cast<long long>(compressed.size()));
  buffer_ += "/Filter/FlateDecode";
  buffer_.append(dictionary);
  buffer_ += ">>stream\n";
  buffer_.append(compressed);
  buffer_ += "\nendstream";
  EndObject();
}

void PdfWriter::Finish(int catalog, int info) {
  const std::uint64_t xref = flushed_ + buffer_.size();
  buffer_ += "xref\n0 ";
  AppendInt(buffer_, static_cast<long long>(offsets_.size()));
  buffer_ += "\n0000000000 65535 f \n";
  for (std::size_t i = 1; i < offsets_.size(); ++i) {
    if (offsets_[i] == 0) throw EPrinter("A PDF object was never written");
    char entry[21];
    std::uint64_t offset = offsets_[i];
    for (int k = 9; k >= 0; --k) {
      entry[k] = static_cast<char>('0' + offset % 10);
      offset /= 10;
    }
    std::char_traits<char>::copy(entry + 10, " 00000 n \n", 10);
    buffer_.append(entry, 20);
    if (buffer_.size() >= kFlushSize) Flush();
  }
  buffer_ += "trailer\n<</Size ";
  AppendInt(buffer_, static_cast<long long>(offsets_.size()));
  buffer_ += "/Root ";
  AppendInt(buffer_, catalog);
  buffer_ += " 0 R/Info ";
  AppendInt(buffer_, info);
  buffer_ += " 0 R>>\nstartxref\n";
  AppendInt(buffer_, static_cast<long long>(xref));
  buffer_ += "\n%%EOF\n";
  Flush();
}

void PdfWriter::Flush() {
  if (buffer_.empty()) return;
  if (!sink_.Write(reinterpret_cast<const unsigned char*>(buffer_.data()), buffer_.size())) {
    const std::string failure = sink_.FailureText();
    throw EPrinter(failure.empty() ? "The PDF cannot be written" : failure);
  }
  flushed_ += buffer_.size();
  buffer_.clear();
}

}  // namespace prynda
