#include "printers/pass_on/pass_on.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "device/printer_error.h"
#include "platform/files.h"
#include "platform/stop_requests.h"

namespace prynda {

namespace {

constexpr std::size_t kBlock = 65536;

}  // namespace

void ReadDocument(const std::string& path, std::uint64_t offset, const DocumentBytes& write) {
  InputFile file;
  if (!file.Open(path)) throw EPrinter("Cannot read the document " + path);
  if (offset > static_cast<std::uint64_t>(file.Size())) {
    throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
  }
  std::vector<unsigned char> block(kBlock);
  std::uint64_t skip = offset;
  for (;;) {
    StopIfRequested();
    const std::size_t want = skip > 0 ? static_cast<std::size_t>(std::min<std::uint64_t>(skip, kBlock)) : kBlock;
    const std::int64_t got = file.Read(block.data(), want);
    if (got < 0) throw EPrinter("Cannot read the document " + path);
    if (got == 0) break;
    if (skip > 0) {
      skip -= static_cast<std::uint64_t>(got);
      continue;
    }
    write(block.data(), static_cast<std::size_t>(got));
  }
  if (skip > 0) throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
}

std::string GhostscriptFailure(const ProgramResult& result) {
  const std::string_view errors = result.Errors;
  auto line_at = [&](std::size_t start) {
    const std::size_t end = errors.find_first_of("\r\n", start);
    std::string_view line = errors.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return std::string(line);
  };
  // What the document printed itself may stand before the error on the same line.
  if (const std::size_t error = errors.find("Error: "); error != std::string_view::npos) return line_at(error);
  if (const std::size_t first = errors.find_first_not_of(" \t\r\n"); first != std::string_view::npos) {
    return line_at(first);
  }
  return "exit code " + std::to_string(result.ExitCode);
}

PostScriptPdf PdfOfPostScript(const std::string& path, std::uint64_t offset, const DocumentBytes& write,
                              const ProgramBox& box) {
  static constexpr std::string_view kPdfStart = "%PDF-";
  std::uint64_t written = 0;
  std::string start;  // the output's first bytes
  const DocumentBytes counted = [&](const unsigned char* data, std::size_t size) {
    if (start.size() < kPdfStart.size()) {
      start.append(reinterpret_cast<const char*>(data), std::min(size, kPdfStart.size() - start.size()));
    }
    written += size;
    write(data, size);
  };
  // PostScript's own output (print, =) goes to standard error, so that only the PDF comes out.
  const std::string program = GhostscriptProgram();
  std::optional<ProgramResult> run;
  if (!program.empty()) {
    run = RunProgramOnDocument({program, "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dQUIET", "-sDEVICE=pdfwrite",
                                "-sstdout=%stderr", "-sOutputFile=-", "-"},
                               path, offset, counted, box);
  }
  if (!run) return {PostScriptPdf::Outcome::NoGhostscript, GhostscriptHint()};
  if (run->ExitCode != 0) return {PostScriptPdf::Outcome::Failed, GhostscriptFailure(*run)};
  // A document that sends its pages elsewhere (a setpagedevice of its own OutputFile) leaves
  // nothing here, though Ghostscript ends well.
  if (written == 0) return {PostScriptPdf::Outcome::NoPdf, "the document sent its pages elsewhere"};
  if (start != kPdfStart) return {PostScriptPdf::Outcome::NoPdf, "what it wrote is not a PDF"};
  return {};
}

}  // namespace prynda
