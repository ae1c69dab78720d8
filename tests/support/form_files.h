// Form files for the tests: a PDF written byte by byte, its pages in a font every reader has.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace prynda::testing {

// A PDF of the objects given, numbered from 1 in order, the first the catalog.
inline std::string PdfOfObjects(const std::vector<std::string>& objects) {
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    std::string number = std::to_string(offset);
    pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
  }
  pdf += "trailer\n<</Size " + std::to_string(objects.size() + 1) + "/Root 1 0 R>>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// A stream object of `data`, its dictionary's further entries in `entries`.
inline std::string PdfStream(const std::string& data, const std::string& entries = "") {
  return "<</Length " + std::to_string(data.size()) + entries + ">>stream\n" + data + "\nendstream";
}

// zlib data that inflates to `prefix` and then `size` bytes of `byte`: a compressed mebibyte that
// stands alone, repeated, its checksum the whole data's. A few hundred bytes for every mebibyte.
inline std::string InflatingTo(char byte, std::uint64_t size, const std::string& prefix = "") {
  const std::uint64_t whole = std::uint64_t{1} << 20;
  const std::string mebibyte(whole, byte);
  z_stream z{};
  deflateInit(&z, 9);
  const auto deflate_part = [&](const std::string& data, int flush) {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::string part(data.size() + 1024, '\0');
    z.next_out = reinterpret_cast<Bytef*>(part.data());
    z.avail_out = static_cast<uInt>(part.size());
    deflate(&z, flush);
    part.resize(part.size() - z.avail_out);
    return part;
  };
  const std::uint64_t first = std::min(size, whole), middle = size > whole ? (size - first) / whole : 0;
  const std::uint64_t last = size - first - middle * whole;
  std::string out = deflate_part(prefix + mebibyte.substr(0, first), Z_FULL_FLUSH);
  const std::string repeated = middle > 0 ? deflate_part(mebibyte, Z_FULL_FLUSH) : "";
  for (std::uint64_t i = 1; i < middle; ++i) out += repeated;
  out += repeated + deflate_part(mebibyte.substr(0, last), Z_FINISH);
  deflateEnd(&z);
  const auto adler = [](const std::string& data) {
    return adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  };
  uLong sum = adler(prefix + mebibyte.substr(0, first));
  for (std::uint64_t i = 0; i < middle; ++i) sum = adler32_combine(sum, adler(mebibyte), static_cast<z_off_t>(whole));
  sum = adler32_combine(sum, adler(mebibyte.substr(0, last)), static_cast<z_off_t>(last));
  for (int i = 0; i < 4; ++i) out[out.size() - 4 + i] = static_cast<char>(sum >> (24 - 8 * i));
  return out;
}

// A PDF whose objects but the first (the catalog, object 1) are in one object stream, `blanks`
// spaces after them, compressed; the objects found through a cross-reference stream.
inline std::string PdfWithObjectStream(const std::vector<std::string>& objects, std::uint64_t blanks = 0) {
  const int count = static_cast<int>(objects.size()), stream = count + 1, xref = count + 2;
  std::string numbers, bodies;
  for (int i = 1; i < count; ++i) {
    numbers += std::to_string(i + 1) + " " + std::to_string(bodies.size()) + " ";
    bodies += objects[static_cast<std::size_t>(i)] + " ";
  }
  std::string pdf = "%PDF-1.5\n";
  std::vector<std::size_t> offsets = {0, pdf.size()};
  pdf += "1 0 obj\n" + objects[0] + "\nendobj\n";
  offsets.push_back(pdf.size());
  pdf += std::to_string(stream) + " 0 obj\n" +
         PdfStream(InflatingTo(' ', blanks, numbers + bodies),
                   "/Type/ObjStm/N " + std::to_string(count - 1) + "/First " + std::to_string(numbers.size()) +
                       "/Filter/FlateDecode") +
         "\nendobj\n";
  offsets.push_back(pdf.size());
  // Entries of a type byte, four bytes of offset or object stream, two of generation or index.
  const auto entry = [](int type, std::size_t field, int second) {
    std::string bytes(1, static_cast<char>(type));
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(field >> shift);
    return bytes + static_cast<char>(second >> 8) + static_cast<char>(second);
  };
  std::string entries = entry(0, 0, 0xffff) + entry(1, offsets[1], 0);
  for (int i = 1; i < count; ++i) entries += entry(2, static_cast<std::size_t>(stream), i - 1);
  entries += entry(1, offsets[2], 0) + entry(1, offsets[3], 0);
  pdf += std::to_string(xref) + " 0 obj\n" +
         PdfStream(entries, "/Type/XRef/W[1 4 2]/Size " + std::to_string(xref + 1) + "/Root 1 0 R") + "\nendobj\n";
  return pdf + "startxref\n" + std::to_string(offsets[3]) + "\n%%EOF\n";
}

// A PDF of A4 pages, each drawn by its content stream (uncompressed), the font /F1 (Helvetica)
// in resources that every page inherits; `rotate` is the pages' /Rotate.
inline std::string FormPdf(const std::vector<std::string>& contents, int rotate = 0) {
  std::vector<std::string> objects;
  const int pages = static_cast<int>(3 + 2 * contents.size());
  objects.push_back("<</Type/Catalog/Pages " + std::to_string(pages) + " 0 R>>");
  objects.push_back("<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>");
  std::string kids;
  for (const std::string& content : contents) {
    objects.push_back("<</Length " + std::to_string(content.size()) + ">>stream\n" + content + "\nendstream");
    objects.push_back("<</Type/Page/Parent " + std::to_string(pages) + " 0 R/Contents " +
                      std::to_string(objects.size()) + " 0 R" +
                      (rotate != 0 ? "/Rotate " + std::to_string(rotate) : std::string()) + ">>");
    kids += std::to_string(objects.size()) + " 0 R ";
  }
  objects.push_back("<</Type/Pages/Kids[" + kids + "]/Count " + std::to_string(contents.size()) +
                    "/MediaBox[0 0 595.276 841.89]/Resources<</Font<</F1 2 0 R>>>>>>");
  return PdfOfObjects(objects);
}

// Text in /F1 at (x, y) points from the page's bottom-left corner.
inline std::string FormText(double x, double y, const std::string& text, int size = 12) {
  return "BT /F1 " + std::to_string(size) + " Tf " + std::to_string(x) + " " + std::to_string(y) + " Td (" + text +
         ") Tj ET\n";
}

// A rectangle filled in grey `level` (0 black, 1 white), points from the bottom-left corner.
inline std::string FormBox(double x, double y, double width, double height, double level = 0) {
  return std::to_string(level) + " g " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) +
         " " + std::to_string(height) + " re f 0 g\n";
}

}  // namespace prynda::testing
