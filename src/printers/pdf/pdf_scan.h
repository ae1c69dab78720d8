// A PDF's bytes looked over before qpdf reads them, so that what qpdf would do by itself as it
// reads is bounded first: the cross-reference streams, which qpdf decodes whole as it reads the
// document, are found as qpdf finds them (from "startxref" on, section by section) and decoded
// here within limits (pdf_filters.h), for the object streams they list; the objects are counted
// ("n g obj" in the bytes, and those listed in object streams). The object streams themselves are
// measured once qpdf has read the document, as qpdf decodes them (qpdf_document.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "printers/pdf/pdf_filters.h"
#include "printers/pictures/pictures.h"

namespace prynda {

// Why reading stopped: a limit passed (the first four), or damage.
enum class PdfReadProblem {
  Objects,   // more objects, or page tree nodes, than allowed
  Pages,     // more pages
  Decoding,  // streams that decode to more than allowed, or whose size cannot be told
  Time,      // reading took longer than allowed
  Damaged,   // what qpdf or the page tree's walk cannot read
};

using PdfReadError = ProblemError<PdfReadProblem>;

using PdfClock = std::chrono::steady_clock;

// What reading one document may take before it is refused.
struct PdfReadLimits {
  std::uint64_t Objects = 0;       // in the file; and nodes of its page tree walked
  std::uint64_t Pages = 0;         // the page tree's leaves walked, a page named twice counted twice
  std::uint64_t ObjectStream = 0;  // one cross-reference or object stream decoded
  PdfClock::time_point Deadline;
};

// Raises Time once `deadline` has passed.
void CheckDeadline(PdfClock::time_point deadline);

// The bytes a reading may still decode: at most a given number for one stream, and `all` together.
class DecodeBudget {
 public:
  explicit DecodeBudget(std::uint64_t all) : left_(all) {}

  std::uint64_t Left() const { return left_; }
  // The size `raw` decodes to through `steps`, measured, at most min(`most`, Left()); raises
  // Decoding where more. Spends nothing.
  std::uint64_t Measure(std::string_view raw, std::span<const PdfFilterStep> steps, std::uint64_t most) const;
  // At least what `raw` decodes to through `steps`, at most min(`most`, Left()): the most its
  // filters could make of it, or where that is more, its size measured. Raises Decoding where more.
  std::uint64_t Allow(std::string_view raw, std::span<const PdfFilterStep> steps, std::uint64_t most) const;
  // Takes `bytes` decoded from what is left; raises Decoding where that is less.
  void Spend(std::uint64_t bytes);

 private:
  std::uint64_t left_;
};

struct PdfScan {
  std::uint64_t Objects = 0;  // "n g obj" in the bytes, and objects in object streams
  // The object streams the cross-reference streams list, by number, in order.
  std::vector<long long> ObjectStreams;
};

// Looks over `bytes` as above; raises PdfReadError past `limits` or `budget`, Damaged for an
// object stream listed within another.
PdfScan ScanPdf(std::string_view bytes, const PdfReadLimits& limits, DecodeBudget& budget);

}  // namespace prynda
