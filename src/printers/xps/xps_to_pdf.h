// An XPS document (OpenXPS too) made a PDF of one page for each of its pages, each the page's own
// size: read and drawn by libgxps, opened at run time (xps_to_pdf_gxps.cc); a machine without it,
// and the Windows build (xps_to_pdf_none.cc), answer NoConverter.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "printers/problem_error.h"

namespace prynda {

enum class XpsProblem {
  NoConverter,  // this build or machine has no libgxps
  Damaged,      // not a document libgxps can read, a page it cannot draw, or no page at all
  TooLarge,     // more than XpsLimits allows
};

using XpsError = ProblemError<XpsProblem>;

// What a document may bring before it is refused as TooLarge: it is unpacked and checked in this
// process and drawn in another, and these bound the memory, time and disk that takes. The defaults
// let through what a Windows printer driver makes of a long document with photographs or scans.
struct XpsLimits {
  std::uint64_t FileBytes = std::uint64_t{512} << 20;   // the document, from its offset on
  std::uint64_t PartBytes = std::uint64_t{256} << 20;   // one part (page, font, picture), unpacked
  std::uint64_t PackageBytes = std::uint64_t{1} << 30;  // all parts unpacked
  std::uint32_t Parts = 10'000;                         // at most 65,535
  std::uint32_t Pages = 2'500;                          // of all its documents together
  std::uint64_t MarkupBytes = std::uint64_t{16} << 20;  // one part of markup (a page), unpacked
  std::uint32_t Nesting = 256;                          // of the elements of one part of markup
  std::uint64_t PictureDots = 64'000'000;               // one picture: A4 at 600 dpi is 35 million
  std::uint32_t PageSide = 50 * 96;                     // in 1/96 inch: 50 inches, A0 either way
  std::uint32_t Seconds = 600;                          // of the processor, for drawing
  std::uint32_t ClockSeconds = 0;                       // on the clock; 0: four times Seconds and a minute
  // The PDF made; never more than 64 MiB and 100 times the document's size either (a page that
  // the document repeats can make gigabytes of a few kilobytes).
  std::uint64_t PdfBytes = std::uint64_t{2} << 30;
  // Drawing is done in a process of its own, so that a crash of libgxps or cairo ends only that
  // process, which may take MemoryBytes more than this one and Seconds of the processor (false:
  // in this process, as the fuzz target has it, where such a crash is found).
  bool SeparateProcess = true;
  std::uint64_t MemoryBytes = std::uint64_t{3} << 29;  // 1.5 GiB; a picture of the most dots takes 700 MB
};

// Writes the PDF of the XPS document in the file at `path`, from byte `offset` on (a PJL header
// before it is skipped), into `pdf`, which it creates. Raises XpsError for the document (Damaged too
// where the drawing process crashed), EPrinter when a file or process of its own cannot be made,
// read or written; after a raise `pdf` holds nothing to use.
void XpsToPdf(const std::string& path, std::uint64_t offset, HiddenFile& pdf, const XpsLimits& limits = {});

}  // namespace prynda
