// XPS documents made PDFs, over arbitrary bytes. The first byte says what the rest is: 'Z' the file
// itself (the package's ZIP reading gets the bytes as they come); otherwise parts, split at lines
// "=====", each its name, a line end and its bytes, which are zipped here with true sizes and
// checksums (stored where the first byte is odd, else deflated), so that mutations reach libgxps's
// reading of markup and pictures rather than end at a checksum. Where the first byte has bit 1 set,
// the package's frame is added here too (its relationships, sequence, and one document of pages)
// and each part without a name is the next page, so that most mutations change what is drawn.
//
// Whatever the bytes, the conversion ends with a PDF or an XpsError, within limits small enough
// for many executions a second; a PDF made starts as one.
#include <stdlib.h>

#include <algorithm>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_job.h"
#include "printers/xps/xps_to_pdf.h"
#include "support/zip_files.h"

using namespace prynda;

namespace {

constexpr std::string_view kBetweenParts = "\n=====\n";

std::vector<testing::ZipPart> Parts(std::string_view bytes) {
  std::vector<testing::ZipPart> parts;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find(kBetweenParts), bytes.size());
    const std::string_view part = bytes.substr(0, end);
    const std::size_t line = std::min(part.find('\n'), part.size());
    parts.push_back({std::string(part.substr(0, line)), std::string(part.substr(std::min(line + 1, part.size())))});
    bytes.remove_prefix(std::min(end + kBetweenParts.size(), bytes.size()));
  }
  return parts;
}

// The parts with the package's frame around them, the pages named.
std::vector<testing::ZipPart> Framed(std::vector<testing::ZipPart> parts) {
  const std::string xps = "http://schemas.microsoft.com/xps/2005/06";
  std::string document = "<FixedDocument xmlns=\"" + xps + "\">";
  int pages = 0;
  for (testing::ZipPart& part : parts) {
    if (!part.Name.empty()) continue;
    part.Name = "Documents/1/Pages/" + std::to_string(++pages) + ".fpage";
    document += "<PageContent Source=\"/" + part.Name + "\"/>";
  }
  parts.push_back({"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                  "<Relationship Type=\"" + xps + "/fixedrepresentation\" Target=\"/FixedDocSeq.fdseq\" "
                                  "Id=\"R0\"/></Relationships>"});
  parts.push_back({"FixedDocSeq.fdseq", "<FixedDocumentSequence xmlns=\"" + xps +
                                            "\"><DocumentReference Source=\"/Documents/1/FixedDoc.fdoc\"/>"
                                            "</FixedDocumentSequence>"});
  parts.push_back({"Documents/1/FixedDoc.fdoc", document + "</FixedDocument>"});
  return parts;
}

XpsLimits FuzzLimits() {
  XpsLimits limits;
  limits.FileBytes = 1 << 20;
  limits.PartBytes = 1 << 20;
  limits.PackageBytes = 4 << 20;
  limits.Parts = 64;
  limits.Pages = 8;
  limits.MarkupBytes = 256 << 10;
  limits.Nesting = 64;
  limits.PictureDots = 1'000'000;
  limits.Seconds = 20;
  limits.PdfBytes = 16 << 20;
  limits.SeparateProcess = false;  // a crash of libgxps or cairo is what is looked for
  return limits;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The hidden files of every execution in the target's own folder, in memory where it can be.
  setenv("TMPDIR", fuzzing::ScratchFolder().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string file(rest);
  if (data[0] != 'Z') {
    std::vector<testing::ZipPart> parts = Parts(rest);
    if (data[0] & 2) parts = Framed(std::move(parts));
    file = testing::Zip(parts, (data[0] & 1) == 0);
  }
  const std::string path =
      fuzzing::WriteFile("job.xps", reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
  static const XpsLimits limits = FuzzLimits();
  HiddenFile pdf;
  try {
    XpsToPdf(path, 0, pdf, limits);
  } catch (const XpsError&) {
    return 0;
  }
  std::ifstream written(pdf.Path(), std::ios::binary);
  char start[5] = {};
  if (!written.read(start, sizeof start) || std::string_view(start, sizeof start) != "%PDF-") __builtin_trap();
  return 0;
}
