#include "jobcontrol/recognised_job.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace prynda {

namespace {

// As much of the job's start as recognition looks at; whether that is all of it.
std::vector<std::uint8_t> ReadHead(const std::string& path, bool& whole) {
  std::vector<std::uint8_t> head(kRecognitionBytes);
  InputFile file;
  whole = true;
  if (!file.Open(path)) return {};  // the render step says why it cannot be read
  std::size_t got = 0;
  while (got < head.size()) {
    const std::int64_t n = file.Read(head.data() + got, head.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  whole = static_cast<std::int64_t>(got) >= file.Size();
  head.resize(got);
  return head;
}

}  // namespace

std::optional<Recognition> RecogniseJob(TJobContext& job) {
  PryndaSettings& own = job.Prynda;
  if (own.Emulation != EmulationKind::Auto) return std::nullopt;
  bool whole = true;
  const std::vector<std::uint8_t> head = ReadHead(job.InputPath(), whole);
  const Recognition found = Recognise(head, whole);

  own.Emulation = found.Language == JobLanguage::EscP ? EmulationKind::Fx : EmulationKind::Own;
  if (job.Settings.Scale216) own.Pins = found.Pins;  // "180" says 24 pins whatever the job shows
  // The code page the user names stands; PL=1 names Mazovia as MAZ does.
  const bool named = own.CodePage.has_value() || job.Settings.CodePage == CodePageId::Mazovia;
  if (!named) own.CodePage = found.CodePage;
  if (found.LineEnds == LineEnd::Lf) own.AutoCR = true;
  if (found.Language == JobLanguage::Utf8Text) {
    own.Text = OwnText::Utf8;
  } else if (found.Language == JobLanguage::Text || found.Language == JobLanguage::OwnDialect) {
    own.Text = OwnText::CodePage;
  }
  if (found.Language == JobLanguage::Text || found.Language == JobLanguage::Utf8Text) {
    // Text as a printer takes it: a page full goes on to the next, and what ends the job after
    // its last line makes no blank sheet.
    own.PagesWhenPrinted = true;
    job.Settings.ForceFF = true;
  }
  switch (found.Language) {
    case JobLanguage::PostScript: job.Document = PassedOnDocument{TDocumentFormat::PostScript, found.DocumentStart}; break;
    case JobLanguage::Pdf: job.Document = PassedOnDocument{TDocumentFormat::Pdf, found.DocumentStart}; break;
    case JobLanguage::Pcl: job.Document = PassedOnDocument{TDocumentFormat::Raw, found.DocumentStart}; break;
    default: break;
  }
  own.Recognised = std::string(PolishName(found));
  if (found.Language != JobLanguage::Utf8Text && found.Language != JobLanguage::PostScript &&
      found.Language != JobLanguage::Pdf && found.Language != JobLanguage::Pcl) {
    own.Recognised += ", " + std::string(JobCodePage(job).Name);
    if (!found.CodePageFromEvidence && !named) own.Recognised += " (domyślna)";
  }
  return found;
}

}  // namespace prynda
