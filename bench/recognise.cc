// What recognition says of each file given: language, pins, line ends, code page (and whether
// the bytes chose it), where the document begins; with -v also each table's score, the language
// it scored with, uchardet's answer and the walk's command counts; with -t the time Recognise
// took (the first file's includes reading the code-page tables).
//
//   recognise [-v] [-t] FILE...
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/code_page_guess.h"
#include "recognition/command_walk.h"
#include "recognition/recognition.h"

namespace {

using namespace prynda;

std::string_view LanguageKey(JobLanguage language) {
  switch (language) {
    case JobLanguage::Text: return "text";
    case JobLanguage::Utf8Text: return "utf-8";
    case JobLanguage::OwnDialect: return "own";
    case JobLanguage::EscP: return "escp";
    case JobLanguage::Proprinter: return "proprinter";
    case JobLanguage::Pcl: return "pcl";
    case JobLanguage::PostScript: return "postscript";
    case JobLanguage::Pdf: return "pdf";
    case JobLanguage::Utf16Text: return "utf-16";
    case JobLanguage::InkjetRaster: return "inkjet";
    case JobLanguage::PclXl: return "pcl-xl";
    case JobLanguage::Receipt: return "escpos";
    case JobLanguage::PwgRaster: return "pwg";
    case JobLanguage::AppleRaster: return "urf";
    case JobLanguage::Xps: return "xps";
    case JobLanguage::Png: return "png";
    case JobLanguage::Jpeg: return "jpeg";
    case JobLanguage::Tiff: return "tiff";
    case JobLanguage::Gif: return "gif";
    case JobLanguage::Bmp: return "bmp";
    case JobLanguage::HpGl: return "hpgl";
    case JobLanguage::Archive: return "archive";
    case JobLanguage::Compressed: return "compressed";
    case JobLanguage::Program: return "program";
    case JobLanguage::BinaryData: return "binary";
  }
  return "?";
}

std::string_view LineEndKey(LineEnd ends) {
  switch (ends) {
    case LineEnd::None: return "none";
    case LineEnd::CrLf: return "crlf";
    case LineEnd::Lf: return "lf";
    case LineEnd::Cr: return "cr";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  bool timed = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-v") {
      verbose = true;
    } else if (arg == "-t") {
      timed = true;
    } else {
      files.emplace_back(arg);
    }
  }
  if (files.empty()) {
    std::cerr << "usage: recognise [-v] [-t] FILE...\n";
    return 2;
  }
  int status = 0;
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::cerr << file << ": cannot be read\n";
      status = 1;
      continue;
    }
    std::vector<std::uint8_t> head(kRecognitionBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const auto start = std::chrono::steady_clock::now();
    const Recognition job = Recognise(head);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    std::cout << file << '\t' << LanguageKey(job.Language) << '\t' << job.Pins << '\t' << LineEndKey(job.LineEnds)
              << '\t' << CodePageOf(job.CodePage).Name << '\t' << (job.CodePageFromEvidence ? "evidence" : "default") << '\t'
              << job.DocumentStart << '\t' << PolishName(job);
    if (timed) std::cout << '\t' << ms << " ms";
    std::cout << '\n';
    if (!verbose) continue;
    if (head.size() > kRecognitionBytes) head.resize(kRecognitionBytes);
    const recognition::Walk walk = recognition::WalkEscP(head);
    std::cout << "  walk: prefix " << walk.PrefixCommands << ", own " << walk.OwnEscapes << ", escp " << walk.EscPCommands << ", shared "
              << walk.SharedCommands << ", skipped " << walk.SkippedCommands << ", images " << walk.BitImages
              << ", 24-pin " << walk.Pins24 << ", inkjet " << walk.InkjetCommands << ", receipt "
              << walk.ReceiptCommands << ", stray " << walk.StrayBytes << " of " << walk.TextBytes
              << ", line ends crlf " << walk.LineEnds.CrLf << " lf " << walk.LineEnds.Lf << " cr "
              << walk.LineEnds.Cr << '\n';
    const recognition::Walk& text_walk =
        job.Language == JobLanguage::OwnDialect ? recognition::WalkOwnDialect(head) : walk;
    const recognition::CodePageGuess guess = recognition::GuessCodePage(text_walk.Text);
    std::cout << "  high bytes " << guess.HighBytes << ", uchardet " << (guess.Detector.empty() ? "-" : guess.Detector)
              << '\n';
    for (std::size_t t = 0; t < recognition::kCandidates.size(); ++t) {
      std::printf("    %-13s %9.1f  %s\n", std::string(CodePageOf(recognition::kCandidates[t]).Name).c_str(),
                  guess.Scores[t], std::string(guess.Languages[t]).c_str());
    }
  }
  return status;
}
