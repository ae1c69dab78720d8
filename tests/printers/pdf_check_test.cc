// PDFs checked before they are handed on: what each kind of file is found to be, and its pages as a
// printer prints them; what a stream decodes to, measured through each filter within a bound.
#include "printers/pdf/pdf_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "printers/pdf/pdf_filters.h"

#include "support/form_files.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

using testing::FormPdf;
using testing::PdfOfObjects;

TEST(PdfCheckTest, WhatAFileIsAndItsPages) {
  testing::TempDir dir;
  const std::string three = FormPdf({"", "", ""});
  const std::string pjl = "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE=PDF\r\n";
  std::string named_20000_times;
  for (int i = 0; i < 20'000; ++i) named_20000_times += "3 0 R ";
  std::string noise(4096, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + i / 13) % 251);
  PdfCheckLimits few;
  few.Objects = 7;
  few.Pages = 2;
  const struct {
    std::string Name;
    std::string Bytes;  // "" for no file
    std::uint64_t Offset;
    PdfCheckLimits Limits;
    PdfVerdict Verdict;
    std::uint64_t Pages;
    PdfLimit Passed;
  } cases[] = {
      {"trzy.pdf", three, 0, {}, PdfVerdict::Readable, 3, PdfLimit::None},
      {"tekst.pdf", "%PDF-1.4\nTo jest tekst, nie PDF.\n", 0, {}, PdfVerdict::Unreadable, 0, PdfLimit::None},
      {"pjl.prn", pjl + three, pjl.size(), {}, PdfVerdict::Readable, 3, PdfLimit::None},
      {"20000.pdf",
       PdfOfObjects({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[" + named_20000_times + "]/Count 1>>",
                     "<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]>>"}),
       0,
       {},
       PdfVerdict::Readable,
       20'000,
       PdfLimit::None},
      // Every object's offset 40 bytes off: qpdf finds them again.
      {"przesuniety.pdf",
       "%PDF-1.4\n%" + std::string(40, '-') + three.substr(8),
       0,
       {},
       PdfVerdict::Readable,
       3,
       PdfLimit::None},
      {"szum.pdf", noise, 0, {}, PdfVerdict::Unreadable, 0, PdfLimit::None},
      {"brak.pdf", "", 0, {}, PdfVerdict::Unreadable, 0, PdfLimit::None},
      {"obiekty.pdf", FormPdf({"", "", ""}), 0, few, PdfVerdict::TooLarge, 0, PdfLimit::Objects},
      {"strony.pdf", FormPdf({"", ""}), 0, few, PdfVerdict::Readable, 2, PdfLimit::None},
      {"3strony.pdf",
       PdfOfObjects({"<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[3 0 R 3 0 R 3 0 R]>>", "<<>>"}), 0, few,
       PdfVerdict::TooLarge, 0, PdfLimit::Pages},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const PdfCheck check =
        CheckPdf(c.Bytes.empty() ? dir.File(c.Name) : dir.Write(c.Name, c.Bytes), c.Offset, c.Limits);
    EXPECT_EQ(check.Verdict, c.Verdict) << check.Detail;
    EXPECT_EQ(check.Pages, c.Pages);
    EXPECT_EQ(check.Passed, c.Passed);
  }
}

TEST(PdfCheckTest, StreamsAreMeasuredThroughEveryFilter) {
  using enum PdfFilter;
  const std::string blanks = testing::InflatingTo(' ', 8 << 20);
  std::string twice(compressBound(static_cast<uLong>(blanks.size())), '\0');
  uLongf size = static_cast<uLongf>(twice.size());
  compress(reinterpret_cast<Bytef*>(twice.data()), &size, reinterpret_cast<const Bytef*>(blanks.data()),
           static_cast<uLong>(blanks.size()));
  twice.resize(size);
  const struct {
    std::string Data;
    std::vector<PdfFilterStep> Steps;
    std::uint64_t Most;
    std::optional<std::uint64_t> Size;
  } cases[] = {
      {"48656c6c6f>", {{AsciiHex}}, 100, 5},
      {"4 8 6\n5 6>", {{AsciiHex}}, 100, 3},  // the last digit followed by 0
      {"87cURD_*#TDfTZ)~>", {{Ascii85}}, 100, 12},
      {"z!!~>", {{Ascii85}}, 100, 5},
      {std::string("\x04Hello\xfe!\x80", 9), {{RunLength}}, 100, 8},
      {"\x80\x0b\x60\x50\x22\x0c\x0c\x85\x01", {{Lzw}}, 100, 10},  // -----A---B
      {blanks, {{Flate}}, 16 << 20, 8 << 20},
      {blanks, {{Flate}}, 1 << 20, std::nullopt},
      {twice, {{Flate}, {Flate}, {AsciiHex}}, 1 << 20, std::nullopt},  // blanks are no hex digits: on the way
      {twice, {{Flate}, {Flate}}, 16 << 20, 8 << 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Data.substr(0, 20));
    EXPECT_EQ(DecodedSize(c.Data, c.Steps, c.Most), c.Size);
    EXPECT_GE(MostDecoded(c.Data.size(), c.Steps), c.Size.value_or(0));
  }
}

}  // namespace
}  // namespace prynda
