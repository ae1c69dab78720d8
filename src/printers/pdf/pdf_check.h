// A PDF about to be handed on as it is - a job that is one, or the PDF Ghostscript made of a
// PostScript job - checked first: read by qpdf within limits, its pages counted as a printer
// prints them. On Linux through qpdf's library, opened at run time (pdf_check_qpdf.cc); where it
// is not installed, and on Windows (pdf_check_none.cc), the answer is NoChecker: hand it on
// unchecked.
#pragma once

#include <cstdint>
#include <string>

namespace prynda {

enum class PdfVerdict {
  Readable,    // Pages holds its pages (0 for a document without one)
  Unreadable,  // no PDF that qpdf can read, repaired or not; Detail holds its reason
  TooLarge,    // past a limit, which Passed names
  NoChecker,   // nothing here can check it
};

enum class PdfLimit { None, FileBytes, Objects, Pages, Decoding, Seconds };

// What a check may take before the document is refused as TooLarge. The defaults let through a
// document of thousands of pages of scans; a caller with a page limit may set Pages to it, a
// document of more pages is then TooLarge with Passed == Pages.
struct PdfCheckLimits {
  std::uint64_t FileBytes = std::uint64_t{1} << 30;  // from the offset to the end
  std::uint64_t Objects = 1'000'000;                 // in the file, and nodes of its page tree
  std::uint64_t Pages = 100'000;                     // as its page tree names them
  // One cross-reference or object stream, which qpdf decodes whole as it reads and then parses,
  // and all of them together.
  std::uint64_t ObjectStreamBytes = std::uint64_t{16} << 20;
  std::uint64_t DecodedBytes = std::uint64_t{256} << 20;
  std::uint32_t Seconds = 20;
};

struct PdfCheck {
  PdfVerdict Verdict = PdfVerdict::NoChecker;
  std::uint64_t Pages = 0;           // Readable: the pages a printer prints, a page named n times n times
  PdfLimit Passed = PdfLimit::None;  // TooLarge: which limit
  std::string Detail;                // why it is not Readable, in English, for a log
};

// Checks the PDF in the file at `path` from byte `offset` on (a PJL header before it is left
// out), reading the file where it lies: it must not shrink meanwhile. Never raises.
PdfCheck CheckPdf(const std::string& path, std::uint64_t offset, const PdfCheckLimits& limits = {});

}  // namespace prynda
