#include "recognition/code_page_guess.h"

#include <algorithm>
#include <optional>
#include <vector>

#ifdef PRYNDA_UCHARDET
#include <uchardet.h>

#include "platform/runtime_library.h"
#endif

namespace prynda::recognition {

namespace {

constexpr std::size_t kTables = kCandidates.size();

std::uint8_t Bit(CodePageId id) {
  for (std::size_t i = 0; i < kTables; ++i) {
    if (kCandidates[i] == id) return static_cast<std::uint8_t>(1u << i);
  }
  return 0;
}

struct Language {
  std::string_view Name;
  std::u32string_view Letters;  // beyond ASCII; empty: the Cyrillic block
  std::uint8_t Tables;          // bits of kCandidates
};

const std::array<Language, 17>& Languages() {
  using enum CodePageId;
  static const std::uint8_t central = Bit(Pc852) | Bit(Windows1250);
  static const std::uint8_t western = Bit(Pc850) | Bit(Pc437);
  static const std::array<Language, 17> languages = {{
      {"polski", U"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ", static_cast<std::uint8_t>(central | Bit(Mazovia))},
      {"czeski", U"áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ", static_cast<std::uint8_t>(central | Bit(Kamenicky))},
      {"słowacki", U"áäčďéíĺľňóôŕšťúýžÁÄČĎÉÍĹĽŇÓÔŔŠŤÚÝŽ", static_cast<std::uint8_t>(central | Bit(Kamenicky))},
      {"węgierski", U"áéíóöőúüűÁÉÍÓÖŐÚÜŰ", central},
      {"chorwacki", U"čćđšžČĆĐŠŽ", central},
      {"rumuński", U"ăâîşţșțĂÂÎŞŢȘȚ", central},
      {"niemiecki", U"äöüßÄÖÜ", western},
      {"francuski", U"àâæçéèêëîïôœùûüÿÀÂÆÇÉÈÊËÎÏÔŒÙÛÜŸ", western},
      {"hiszpański", U"áéíóúüñÁÉÍÓÚÜÑ", western},
      {"portugalski", U"áâãàçéêíóôõúüÁÂÃÀÇÉÊÍÓÔÕÚ", Bit(Pc850)},
      {"włoski", U"àèéìíîòóùúÀÈÉÌÍÎÒÓÙÚ", western},
      {"niderlandzki", U"áéèëíïóöúüÉËÏÖÜ", western},
      {"szwedzki", U"åäöéÅÄÖÉ", western},
      {"duński", U"æøåéÆØÅÉ", Bit(Pc850)},
      {"islandzki", U"áðéíóúýþæöÁÐÉÍÓÚÝÞÆÖ", Bit(Pc850)},
      {"estoński", U"äöõüšžÄÖÕÜŠŽ", Bit(Pc850)},
      {"cyrylica", U"", Bit(Pc866)},
  }};
  return languages;
}

bool IsCyrillic(char32_t c) { return (c >= 0x400 && c <= 0x45F) || c == 0x490 || c == 0x491; }

enum class Kind : std::uint8_t { Blank, Digit, Punct, Lower, Upper, Box, Sign, None };

bool IsLetter(Kind k) { return k == Kind::Lower || k == Kind::Upper; }

// The case of a letter of the code pages' repertoire; Kind::Sign for anything else.
Kind LetterKind(char32_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return Kind::Upper;
  if (c >= 0xDF && c <= 0xFF && c != 0xF7) return Kind::Lower;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x138 || c == 0x149 || c == 0x17F) return Kind::Lower;
    const bool odd_upper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x178) return Kind::Upper;
    return ((c % 2 == 1) == odd_upper) ? Kind::Upper : Kind::Lower;
  }
  if (c >= 0x218 && c <= 0x21B) return c % 2 == 0 ? Kind::Upper : Kind::Lower;
  if (c >= 0x391 && c <= 0x3A9) return Kind::Upper;
  if (c >= 0x3B1 && c <= 0x3C9) return Kind::Lower;
  if (c >= 0x400 && c <= 0x42F) return Kind::Upper;
  if (c >= 0x430 && c <= 0x45F) return Kind::Lower;
  if (c == 0x490) return Kind::Upper;
  if (c == 0x491) return Kind::Lower;
  return Kind::Sign;
}

// How one table reads every byte, and the languages each of its letters belongs to.
enum class Script : std::uint8_t { Latin, Greek, Cyrillic };

struct Reading {
  std::array<Kind, 256> Kinds{};
  std::array<Script, 256> Scripts{};
  std::array<std::uint32_t, 256> Languages{};  // bits of Languages()
};

Reading ReadingOf(CodePageId id, std::uint8_t table_bit) {
  Reading reading;
  for (int b = 0; b < 0x80; ++b) {
    Kind kind = Kind::Punct;
    if (b <= ' ' || b == 0x7F) kind = Kind::Blank;
    if (b >= '0' && b <= '9') kind = Kind::Digit;
    if (b >= 'a' && b <= 'z') kind = Kind::Lower;
    if (b >= 'A' && b <= 'Z') kind = Kind::Upper;
    reading.Kinds[static_cast<std::size_t>(b)] = kind;
  }
  const std::array<char32_t, 128>& upper = UpperHalf(CodePageOf(id));
  const auto& languages = Languages();
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const char32_t c = upper[i];
    Kind kind = LetterKind(c);
    if (c == 0) kind = Kind::None;
    if (c == 0xA0) kind = Kind::Blank;
    if ((c >= 0x2500 && c <= 0x25A0)) kind = Kind::Box;  // lines, blocks, shades
    reading.Kinds[0x80 + i] = kind;
    if (!IsLetter(kind)) continue;
    if (c >= 0x370 && c < 0x400) reading.Scripts[0x80 + i] = Script::Greek;
    if (IsCyrillic(c)) reading.Scripts[0x80 + i] = Script::Cyrillic;
    for (std::size_t l = 0; l < languages.size(); ++l) {
      const Language& language = languages[l];
      if ((language.Tables & table_bit) == 0) continue;
      const bool home =
          language.Letters.empty() ? IsCyrillic(c) : language.Letters.find(c) != std::u32string_view::npos;
      if (home) reading.Languages[0x80 + i] |= 1u << l;
    }
  }
  return reading;
}

const std::array<Reading, kTables>& Readings() {
  static const std::array<Reading, kTables> readings = [] {
    std::array<Reading, kTables> r;
    for (std::size_t t = 0; t < kTables; ++t) r[t] = ReadingOf(kCandidates[t], static_cast<std::uint8_t>(1u << t));
    return r;
  }();
  return readings;
}

// Points of a reading in its context.
constexpr double kUndefined = -4;    // a byte the table has no character for
constexpr double kBoxInWord = -3;    // a box piece between letters
constexpr double kBoxInFrame = 1;    // in a run, or beside box pieces across or down
constexpr double kSignInWord = -2;   // another sign between letters
constexpr double kLetterInRun = -2;  // three and more of one letter in a row
constexpr double kLetterByBox = -2;  // a letter alone beside a box piece, across or down
constexpr double kHome = 2;          // a letter of the language inside a word
constexpr double kHomeAlone = 1;     // ... or a word of its own (à, è)
constexpr double kForeign = -1;      // any other letter inside a word, or alone

// One table's points over the text: what does not depend on the language, and for each language
// the letters' points.
struct Tally {
  double Base = 0;
  std::array<std::size_t, 256> InWord{};  // per byte: letters inside words, in their case
  std::array<std::size_t, 256> Alone{};   // letters alone, by no box piece
  std::size_t Misplaced = 0;              // letters that count against every language
};

// A high byte in its context, the same for every table: the bytes beside it, above and below it
// (a blank where there is none), and which of them stand in a run of three or more equal bytes.
struct Site {
  std::uint8_t Byte, Left, Right, Up, Down;
  std::uint8_t Runs;  // bits: kRunHere, kRunLeft, ...
};
constexpr std::uint8_t kRunHere = 1, kRunLeft = 2, kRunRight = 4, kRunUp = 8, kRunDown = 16;

std::vector<Site> SitesOf(std::span<const std::uint8_t> text) {
  const std::size_t n = text.size();
  // Runs, and where each line begins (the last past the text).
  std::vector<std::uint8_t> in_run(n, 0);
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    while (j < n && text[j] == text[i]) ++j;
    if (j - i >= 3) std::fill(&in_run[i], &in_run[i] + (j - i), 1);
    i = j;
  }
  std::vector<std::size_t> lines = {0};
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] == '\n') lines.push_back(i + 1);
  }
  lines.push_back(n + 1);

  std::vector<Site> sites;
  std::size_t line = 0;  // lines[line] <= i < lines[line + 1]
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] < 0x80) continue;
    while (lines[line + 1] <= i) ++line;
    const std::size_t column = i - lines[line];
    // Column `column` of line k, if that line is so long; n if not.
    auto in_line = [&](std::size_t k) { return lines[k] + column + 1 < lines[k + 1] ? lines[k] + column : n; };
    const std::size_t at[4] = {i == 0 ? n : i - 1, i + 1, line > 0 ? in_line(line - 1) : n,
                               line + 2 < lines.size() ? in_line(line + 1) : n};
    Site site{text[i], ' ', ' ', ' ', ' ', in_run[i] ? kRunHere : std::uint8_t{0}};
    std::uint8_t* bytes[4] = {&site.Left, &site.Right, &site.Up, &site.Down};
    for (int k = 0; k < 4; ++k) {
      if (at[k] >= n) continue;
      *bytes[k] = text[at[k]];
      if (in_run[at[k]]) site.Runs |= static_cast<std::uint8_t>(kRunLeft << k);
    }
    sites.push_back(site);
  }
  return sites;
}

Tally TallyOf(const Reading& reading, const std::vector<Site>& sites) {
  Tally tally;
  const auto& kinds = reading.Kinds;
  for (const Site& site : sites) {
    const std::uint8_t b = site.Byte;
    const bool run = site.Runs & kRunHere;
    // A letter neighbour: no run of one byte is a word. A box piece above or below: a side of a
    // frame, not a rule across it.
    const bool letter_left = IsLetter(kinds[site.Left]) && !(site.Runs & kRunLeft);
    const bool letter_right = IsLetter(kinds[site.Right]) && !(site.Runs & kRunRight);
    const bool box_across = kinds[site.Left] == Kind::Box || kinds[site.Right] == Kind::Box;
    const bool box_down = (kinds[site.Up] == Kind::Box && !(site.Runs & kRunUp)) ||
                          (kinds[site.Down] == Kind::Box && !(site.Runs & kRunDown));
    switch (kinds[b]) {
      case Kind::None: tally.Base += kUndefined; break;
      case Kind::Box:
        if (run) {
          tally.Base += kBoxInFrame;
        } else if (letter_left && letter_right) {
          tally.Base += kBoxInWord;
        } else if (!letter_left && !letter_right && (box_across || box_down)) {
          tally.Base += kBoxInFrame;
        }
        break;
      case Kind::Sign:
        if (letter_left && letter_right) tally.Base += kSignInWord;
        break;
      case Kind::Lower:
      case Kind::Upper:
        if (run) {
          tally.Base += kLetterInRun;
        } else if (letter_left || letter_right) {
          // An upper-case letter right after a lower-case one is no letter of a word, nor one of
          // another script than its neighbours'.
          const Script script = reading.Scripts[b];
          const bool mixed = (letter_left && reading.Scripts[site.Left] != script) ||
                             (letter_right && reading.Scripts[site.Right] != script);
          if (mixed || (kinds[b] == Kind::Upper && letter_left && kinds[site.Left] == Kind::Lower)) {
            ++tally.Misplaced;
          } else {
            ++tally.InWord[b];
          }
        } else if (box_across || box_down) {
          tally.Base += kLetterByBox;
        } else {
          ++tally.Alone[b];
        }
        break;
      default: break;
    }
  }
  return tally;
}

#ifdef PRYNDA_UCHARDET
#define PRYNDA_UCHARDET_FUNCTIONS(X) \
  X(uchardet_new) X(uchardet_delete) X(uchardet_handle_data) X(uchardet_data_end) X(uchardet_get_charset)

struct Detector {
  PRYNDA_UCHARDET_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// The library, opened the first time a tie asks for it and kept for the run; nullptr where it
// is not installed, and the tie is broken without it.
const Detector* DetectorLibrary() {
  static Detector detector;
  static const bool loaded = PRYNDA_LOAD_LIBRARY("libuchardet.so.0", PRYNDA_UCHARDET_FUNCTIONS, detector);
  return loaded ? &detector : nullptr;
}

// uchardet's answer on the words of the text: what stands only of box-region bytes (0xB0-0xDF,
// the frames of every DOS table) is left out, for frames make it answer Japanese or Korean.
std::string AskDetector(std::span<const std::uint8_t> text) {
  std::vector<char> words;
  words.reserve(text.size());
  auto separates = [](std::uint8_t c) { return c < 0x80 && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); };
  for (std::size_t i = 0; i < text.size();) {
    if (separates(text[i])) {
      words.push_back(static_cast<char>(text[i++]));
      continue;
    }
    std::size_t j = i;
    bool frame = true;
    while (j < text.size() && !separates(text[j])) {
      frame = frame && text[j] >= 0xB0 && text[j] <= 0xDF;
      ++j;
    }
    if (frame) {
      words.push_back(' ');
    } else {
      words.insert(words.end(), &text[i], &text[i] + (j - i));
    }
    i = j;
  }
  const Detector* library = DetectorLibrary();
  if (library == nullptr) return "";
  uchardet_t detector = library->uchardet_new();
  std::string answer;
  if (library->uchardet_handle_data(detector, words.data(), words.size()) == 0) {
    library->uchardet_data_end(detector);
    answer = library->uchardet_get_charset(detector);
  }
  library->uchardet_delete(detector);
  return answer;
}

// The table of an answer of uchardet's, of those it can break a tie for (PC852 stands in none:
// the default is kept before a tie is looked at).
std::size_t DetectedTable(std::string_view answer) {
  CodePageId id;
  if (answer == "IBM866") {
    id = CodePageId::Pc866;
  } else if (answer == "WINDOWS-1250" || answer == "ISO-8859-2") {
    id = CodePageId::Windows1250;
  } else {
    return kTables;
  }
  return static_cast<std::size_t>(std::find(kCandidates.begin(), kCandidates.end(), id) - kCandidates.begin());
}
#endif

}  // namespace

CodePageGuess GuessCodePage(std::span<const std::uint8_t> text) {
  CodePageGuess guess;
  // The lines up to the kJudgedHighBytes-th high byte.
  std::size_t end = 0;
  for (; end < text.size() && guess.HighBytes < kJudgedHighBytes; ++end) guess.HighBytes += text[end] >= 0x80;
  while (end < text.size() && text[end] != '\n') ++end;
  text = text.first(end);
  if (guess.HighBytes == 0) return guess;

  const std::vector<Site> sites = SitesOf(text);
  const auto& languages = Languages();
  for (std::size_t t = 0; t < kTables; ++t) {
    const Reading& reading = Readings()[t];
    const Tally tally = TallyOf(reading, sites);
    double best = 0;
    std::string_view best_language;
    bool first = true;
    for (std::size_t l = 0; l < languages.size(); ++l) {
      if ((languages[l].Tables & (1u << t)) == 0) continue;
      double points = kForeign * static_cast<double>(tally.Misplaced);
      for (int b = 0x80; b < 0x100; ++b) {
        const bool home = (reading.Languages[static_cast<std::size_t>(b)] >> l) & 1u;
        points += static_cast<double>(tally.InWord[static_cast<std::size_t>(b)]) * (home ? kHome : kForeign);
        points += static_cast<double>(tally.Alone[static_cast<std::size_t>(b)]) * (home ? kHomeAlone : kForeign);
      }
      if (first || points > best) {
        best = points;
        best_language = languages[l].Name;
        first = false;
      }
    }
    guess.Scores[t] = tally.Base + best;
    guess.Languages[t] = best_language;
  }

  const std::array<double, kTables>& scores = guess.Scores;
  const double best = *std::max_element(scores.begin(), scores.end());
  // One byte value alone does not tell a table: Atari's line end 0x9B reads as ø in PC850.
  std::array<bool, 256> seen{};
  std::size_t distinct = 0;
  for (const std::uint8_t c : text) {
    if (c >= 0x80 && !seen[c]) {
      seen[c] = true;
      ++distinct;
    }
  }
  if (scores[0] >= best - kKeepDefault || distinct < 2) {
    guess.Page = kCandidates[0];
    guess.FromEvidence = distinct >= 2 && std::all_of(scores.begin() + 1, scores.end(),
                                                      [&](double s) { return s < scores[0] - kNear; });
    return guess;
  }
  guess.FromEvidence = true;
  std::size_t chosen = kTables;
#ifdef PRYNDA_UCHARDET
  // A tie it can break: a table it names among those within kNear of the best.
  std::size_t near = 0;
  bool nameable = false;
  for (std::size_t t = 0; t < kTables; ++t) {
    if (scores[t] < best - kNear) continue;
    ++near;
    nameable = nameable || kCandidates[t] == CodePageId::Pc866 || kCandidates[t] == CodePageId::Windows1250;
  }
  if (near > 1 && nameable) {
    guess.Detector = AskDetector(text);
    if (const std::size_t t = DetectedTable(guess.Detector); t < kTables && scores[t] >= best - kNear) chosen = t;
  }
#endif
  for (std::size_t t = 0; t < kTables && chosen == kTables; ++t) {
    if (scores[t] >= best - kNear) chosen = t;
  }
  guess.Page = kCandidates[chosen];
  return guess;
}

}  // namespace prynda::recognition
