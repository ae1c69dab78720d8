#include "recognition/recognition.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/text_encoding.h"
#include "recognition/code_page_guess.h"
#include "recognition/command_walk.h"
#include "recognition/document_header.h"
#include "recognition/file_kind.h"
#include "render/own/own.h"

namespace prynda {

namespace {

using recognition::Walk;

// Whether the high bytes are UTF-8 and at least one sequence stands among them; a sequence cut
// short by the end of what is here counts as whole, be that the end of the bytes read or of the
// job (its last character cut off).
bool IsUtf8(std::span<const std::uint8_t> bytes) {
  std::size_t sequences = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(bytes.subspan(i));
    if (length == kUtf8CutShort) return sequences > 0;
    if (length == 0) return false;
    ++sequences;
    i += length;
  }
  return sequences > 0;
}

LineEnd LineEndsOf(const recognition::LineEndCounts& counts) {
  if (counts.CrLf == 0 && counts.Lf == 0 && counts.Cr == 0) return LineEnd::None;
  if (counts.CrLf >= counts.Lf && counts.CrLf >= counts.Cr) return LineEnd::CrLf;
  return counts.Lf >= counts.Cr ? LineEnd::Lf : LineEnd::Cr;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
  return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin());
}

// PostScript: "%!PS", or "%!" alone followed by PostScript - its document comments ("%%") or the
// operators every page description uses among the first words. "%!" before text is text.
bool IsPostScript(std::span<const std::uint8_t> bytes) {
  if (StartsWith(bytes, "%!PS")) return true;
  if (!StartsWith(bytes, "%!")) return false;
  static constexpr std::array<std::string_view, 16> kOperators = {
      "def",  "bind",     "dict",     "begin",     "showpage", "moveto", "lineto",  "findfont",
      "show", "setfont", "scalefont", "translate", "gsave",    "stroke", "newpath", "setpagedevice"};
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 1024));
  std::size_t at = text.find('\n');
  if (at != std::string_view::npos && text.substr(at + 1).starts_with("%%")) return true;
  for (at = 2; at < text.size();) {
    const std::size_t start = text.find_first_not_of(" \t\r\n{}[]", at);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(" \t\r\n{}[]", start), text.size());
    if (std::find(kOperators.begin(), kOperators.end(), text.substr(start, end - start)) != kOperators.end()) {
      return true;
    }
    at = end;
  }
  return false;
}

// Raster pages and PCL XL, told by what their streams begin with.
std::optional<JobLanguage> PrinterStream(std::span<const std::uint8_t> bytes) {
  for (const std::string_view sync : {"RaS2", "2SaR", "RaS3", "3SaR", "RaSt", "tSaR"}) {
    if (StartsWith(bytes, sync)) return JobLanguage::PwgRaster;
  }
  if (StartsWith(bytes, std::string_view("UNIRAST\0", 8))) return JobLanguage::AppleRaster;
  if (StartsWith(bytes, ") HP-PCL XL")) return JobLanguage::PclXl;
  return std::nullopt;
}

// UTF-16 after its byte-order mark, as long as what follows reads as text: no more stray control
// characters than a printout has.
bool IsUtf16Text(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2) return false;
  const bool little = bytes[0] == 0xFF && bytes[1] == 0xFE;
  if (!little && !(bytes[0] == 0xFE && bytes[1] == 0xFF)) return false;
  std::size_t units = 0;
  std::size_t stray = 0;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = little ? bytes[i] + 256u * bytes[i + 1] : 256u * bytes[i] + bytes[i + 1];
    ++units;
    if (unit < 0x20 && unit != '\r' && unit != '\n' && unit != '\t' && unit != '\f') ++stray;
  }
  return stray * 1000 <= units * kMostStrayPerMille;
}

// The characters the text would put on paper (blanks and line ends aside).
std::size_t PrintedCharacters(const Walk& walk) {
  return static_cast<std::size_t>(std::count_if(walk.Text.begin(), walk.Text.end(), [](std::uint8_t c) { return c > 0x20; }));
}

// `prefix_is_letter`: 0xFA is a letter of the text's table (Windows-1250's ú), no prefix.
JobLanguage LanguageOf(std::span<const std::uint8_t> bytes, const Walk& walk, bool prefix_is_letter) {
  if (walk.StrayBytes * 1000 > walk.TextBytes * kMostStrayPerMille) return JobLanguage::BinaryData;
  if (walk.InkjetCommands > 0 && PrintedCharacters(walk) * 100 <= bytes.size()) return JobLanguage::InkjetRaster;
  if (walk.ReceiptCommands >= kReceiptEvidence) return JobLanguage::Receipt;
  if (own::OwnOrientationAt(bytes)) return JobLanguage::OwnDialect;
  const std::size_t own = walk.OwnEscapes + (prefix_is_letter ? 0 : walk.PrefixCommands);
  if (own > 0 && own >= walk.EscPCommands && walk.BitImages == 0) return JobLanguage::OwnDialect;
  // ESC/P acts on the commands whose argument ours only skips.
  if (walk.EscPCommands > 0 || walk.BitImages > 0 || walk.SkippedCommands > 0 || walk.ProprinterCommands > 0) {
    const bool proprinter = walk.ProprinterCommands >= kProprinterEvidence &&
                            walk.ProprinterCommands > walk.EpsonOnlyCommands;
    return proprinter ? JobLanguage::Proprinter : JobLanguage::EscP;
  }
  if (walk.SharedCommands > 0 || own > 0) return JobLanguage::OwnDialect;
  return IsUtf8(bytes) ? JobLanguage::Utf8Text : JobLanguage::Text;
}

}  // namespace

Recognition Recognise(std::span<const std::uint8_t> head) {
  if (head.size() > kRecognitionBytes) head = head.first(kRecognitionBytes);
  Recognition job;
  const recognition::Header header = recognition::ReadHeader(head);
  const std::span<const std::uint8_t> document = head.subspan(header.Start);
  std::optional<JobLanguage> found = header.Entered;
  if (!found && StartsWith(document, "%PDF-")) found = JobLanguage::Pdf;
  if (!found && IsPostScript(document)) found = JobLanguage::PostScript;
  if (!found) found = PrinterStream(document);
  if (!found) {
    if (auto kind = recognition::KindOfFile(document)) {
      found = kind->Language;
      job.Detail = std::move(kind->Detail);
    }
  }
  if (!found && IsUtf16Text(document)) found = JobLanguage::Utf16Text;
  if (!found && (header.Pjl || recognition::StartsAsPcl(head, header.Start))) found = JobLanguage::Pcl;
  if (found) {
    job.Language = *found;
    job.DocumentStart = header.Start;
    return job;
  }
  if (head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    job.Language = JobLanguage::Utf8Text;
    job.DocumentStart = 3;
    job.LineEnds = LineEndsOf(recognition::WalkOwnDialect(head.subspan(3)).LineEnds);
    return job;
  }
  Walk walk = recognition::WalkEscP(head);
  // Where 0xFA stands before a command letter, the rest of the text tells whether it is a prefix:
  // in Windows-1250 it is ú (úgy, únor), and our dialect reads no Windows-1250.
  std::optional<Walk> own;
  std::optional<recognition::CodePageGuess> own_guess;
  bool prefix_is_letter = false;
  if (walk.PrefixCommands > 0) {
    own = recognition::WalkOwnDialect(head);
    own_guess = recognition::GuessCodePage(own->Text);
    prefix_is_letter = own_guess->Page == CodePageId::Windows1250 && own_guess->FromEvidence;
  }
  job.Language = LanguageOf(head, walk, prefix_is_letter);
  std::optional<recognition::CodePageGuess> guess;
  if (job.Language == JobLanguage::OwnDialect) {
    walk = own ? std::move(*own) : recognition::WalkOwnDialect(head);
    guess = own_guess;
  }
  job.LineEnds = LineEndsOf(walk.LineEnds);
  if (job.Language == JobLanguage::EscP && walk.Pins24) job.Pins = 24;
  if (job.Language != JobLanguage::Utf8Text) {
    if (!guess) guess = recognition::GuessCodePage(walk.Text);
    job.CodePage = guess->Page;
    job.CodePageFromEvidence = guess->FromEvidence;
  }
  return job;
}

std::string PolishName(const Recognition& job) {
  const auto with_detail = [&job](std::string_view name) {
    return job.Detail.empty() ? std::string(name) : std::string(name) + " " + job.Detail;
  };
  switch (job.Language) {
    case JobLanguage::Text: return std::string(kNameText);
    case JobLanguage::Utf8Text: return std::string(kNameUtf8Text);
    case JobLanguage::OwnDialect: return std::string(kNameOwnDialect);
    case JobLanguage::EscP: return std::string(job.Pins == 24 ? kNameEscP24 : kNameEscP9);
    case JobLanguage::Proprinter: return std::string(kNameProprinter);
    case JobLanguage::Pcl: return std::string(kNamePcl);
    case JobLanguage::PostScript: return std::string(kNamePostScript);
    case JobLanguage::Pdf: return std::string(kNamePdf);
    case JobLanguage::Utf16Text: return std::string(kNameUtf16Text);
    case JobLanguage::InkjetRaster: return std::string(kNameInkjetRaster);
    case JobLanguage::PclXl: return std::string(kNamePclXl);
    case JobLanguage::Receipt: return std::string(kNameReceipt);
    case JobLanguage::PwgRaster: return std::string(kNamePwgRaster);
    case JobLanguage::AppleRaster: return std::string(kNameAppleRaster);
    case JobLanguage::Xps: return std::string(kNameXps);
    case JobLanguage::Png: return std::string(kNamePng);
    case JobLanguage::Jpeg: return std::string(kNameJpeg);
    case JobLanguage::Tiff: return std::string(kNameTiff);
    case JobLanguage::Gif: return std::string(kNameGif);
    case JobLanguage::Bmp: return std::string(kNameBmp);
    case JobLanguage::HpGl: return std::string(kNameHpGl);
    case JobLanguage::Archive: return with_detail(kNameArchive);
    case JobLanguage::Compressed: return with_detail(kNameCompressed);
    case JobLanguage::Program: return with_detail(kNameProgram);
    case JobLanguage::BinaryData: return std::string(kNameBinaryData);
  }
  return std::string(kNameText);
}

}  // namespace prynda
