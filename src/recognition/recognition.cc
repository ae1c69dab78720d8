#include "recognition/recognition.h"

#include <algorithm>
#include <optional>

#include "platform/text_encoding.h"
#include "recognition/code_page_guess.h"
#include "recognition/command_walk.h"
#include "recognition/document_header.h"
#include "render/own/own.h"

namespace prynda {

namespace {

using recognition::Walk;

// Whether the high bytes are UTF-8 and at least one sequence stands among them; a sequence cut
// short by the end of what is here counts as whole unless that is the end of the job.
bool IsUtf8(std::span<const std::uint8_t> bytes, bool whole_job) {
  std::size_t sequences = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(bytes.subspan(i));
    if (length == kUtf8CutShort) return !whole_job && sequences > 0;
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

// `prefix_is_letter`: 0xFA is a letter of the text's table (Windows-1250's ú), no prefix.
JobLanguage LanguageOf(std::span<const std::uint8_t> bytes, const Walk& walk, bool prefix_is_letter, bool whole_job) {
  if (own::OwnOrientationAt(bytes)) return JobLanguage::OwnDialect;
  const std::size_t own = walk.OwnEscapes + (prefix_is_letter ? 0 : walk.PrefixCommands);
  if (own > 0 && own >= walk.EscPCommands && walk.BitImages == 0) return JobLanguage::OwnDialect;
  // ESC/P acts on the commands whose argument ours only skips.
  if (walk.EscPCommands > 0 || walk.BitImages > 0 || walk.SkippedCommands > 0) return JobLanguage::EscP;
  if (walk.SharedCommands > 0 || own > 0) return JobLanguage::OwnDialect;
  return IsUtf8(bytes, whole_job) ? JobLanguage::Utf8Text : JobLanguage::Text;
}

}  // namespace

Recognition Recognise(std::span<const std::uint8_t> head, bool whole_job) {
  if (head.size() > kRecognitionBytes) {
    head = head.first(kRecognitionBytes);
    whole_job = false;
  }
  Recognition job;
  if (const auto document = recognition::FindDocument(head)) {
    job.Language = document->Language;
    job.DocumentStart = document->Start;
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
  job.Language = LanguageOf(head, walk, prefix_is_letter, whole_job);
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

std::string_view PolishName(const Recognition& job) {
  switch (job.Language) {
    case JobLanguage::Text: return kNameText;
    case JobLanguage::Utf8Text: return kNameUtf8Text;
    case JobLanguage::OwnDialect: return kNameOwnDialect;
    case JobLanguage::EscP: return job.Pins == 24 ? kNameEscP24 : kNameEscP9;
    case JobLanguage::Pcl: return kNamePcl;
    case JobLanguage::PostScript: return kNamePostScript;
    case JobLanguage::Pdf: return kNamePdf;
  }
  return kNameText;
}

}  // namespace prynda
