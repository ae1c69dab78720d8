// The Polish letters of every encoding and their translation to the printer fonts' Windows-1250
// codes: the table against the code-page charts, the translating read, and the letters whose
// Windows-1250 code lies among the box-drawing codes printed as letters. Then FX mode's character
// tables against the published charts.
#include "translation/code_page_table.h"
#include "translation/code_pages.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"
#include "render/input_cursor.h"
#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

// Each letter as the code-page charts give it.
struct Letter {
  const char* Name;
  std::uint8_t Plain, Mazovia, Cp852, Mark, Iso88592, Windows1250;
};
constexpr Letter kLetters[kPolishLetters] = {
    {"ą", 'a', 0x86, 0xA5, ',', 0xB1, 0xB9},  {"ć", 'c', 0x8D, 0x86, '\'', 0xE6, 0xE6},
    {"ę", 'e', 0x91, 0xA9, ',', 0xEA, 0xEA},  {"ł", 'l', 0x92, 0x88, '/', 0xB3, 0xB3},
    {"ń", 'n', 0xA4, 0xE4, '\'', 0xF1, 0xF1}, {"ó", 'o', 0xA2, 0xA2, '\'', 0xF3, 0xF3},
    {"ś", 's', 0x9E, 0x98, '\'', 0xB6, 0x9C}, {"ż", 'z', 0xA7, 0xBE, '\'', 0xBF, 0xBF},
    {"ź", 'z', 0xA6, 0xAB, '`', 0xBC, 0x9F},  {"Ą", 'A', 0x8F, 0xA4, ',', 0xA1, 0xA5},
    {"Ć", 'C', 0x95, 0x8F, '\'', 0xC6, 0xC6}, {"Ę", 'E', 0x90, 0xA8, ',', 0xCA, 0xCA},
    {"Ł", 'L', 0x9C, 0x9D, '/', 0xA3, 0xA3},  {"Ń", 'N', 0xA5, 0xE3, '\'', 0xD1, 0xD1},
    {"Ó", 'O', 0xA3, 0xE0, '\'', 0xD3, 0xD3}, {"Ś", 'S', 0x98, 0x97, '\'', 0xA6, 0x8C},
    {"Ż", 'Z', 0xA1, 0xBD, '-', 0xAF, 0xAF},  {"Ź", 'Z', 0xA0, 0x8D, '\'', 0xAC, 0x8F},
};

std::uint8_t InRow(const Letter& letter, int row) {
  const std::uint8_t codes[kCodePageRows] = {letter.Plain, letter.Mazovia,  letter.Cp852,
                                             letter.Mark,  letter.Iso88592, letter.Windows1250};
  return codes[row];
}

TEST(CodePageTableTest, EveryRowHoldsTheLettersInOneOrder) {
  for (int row = 0; row < kCodePageRows; ++row) {
    for (int k = 0; k < kPolishLetters; ++k) {
      EXPECT_EQ(int{CodePageTable[row][k]}, int{InRow(kLetters[k], row)}) << "row " << row << " " << kLetters[k].Name;
    }
  }
}

TEST(CodePageTableTest, ATranslationTakesTheLettersOfItsRowAndNothingElse) {
  for (int row = 0; row < kCodePageRows; ++row) {
    SCOPED_TRACE(row);
    const TTranslation translation = MakeTranslation(static_cast<std::uint8_t>(row));
    std::vector<bool> letter(256, false);
    for (const Letter& l : kLetters) letter[InRow(l, row)] = true;
    for (int b = 0; b < 256; ++b) {
      EXPECT_EQ(translation.Translated[b], letter[b]) << b;
      if (!letter[b]) {
        EXPECT_EQ(translation.Byte[b], b) << b;
      }
    }
    // Where a row repeats a byte, its first letter wins.
    for (int k = kPolishLetters - 1; k >= 0; --k) {
      const std::uint8_t b = InRow(kLetters[k], row);
      bool first = true;
      for (int j = 0; j < k; ++j) first = first && InRow(kLetters[j], row) != b;
      if (first) {
        EXPECT_EQ(translation.Byte[b], kLetters[k].Windows1250) << kLetters[k].Name;
      }
    }
  }
  EXPECT_EQ(MakeTranslation(0).Byte['z'], 0xBF);  // ż, not ź
  EXPECT_EQ(MakeTranslation(3).Byte['\''], 0xE6);  // ć, the first letter marked so
  for (int row : {6, 255}) {
    const TTranslation none = MakeTranslation(static_cast<std::uint8_t>(row));
    for (int b = 0; b < 256; ++b) {
      EXPECT_EQ(none.Byte[b], b);
      EXPECT_FALSE(none.Translated[b]);
    }
  }
}

class TranslatingReadTest : public EngineFixture {
 protected:
  // (byte, translated) for every character of the input, and one more read past its end.
  std::vector<std::pair<int, bool>> Read(const std::string& bytes, CodePageId code_page) {
    InputCursor state(console, printer, job.InputFileName, false);
    state.Translation = MakeTranslation(code_page);
    state.OpenMemory(bytes);
    std::vector<std::pair<int, bool>> read;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
      state.CharTranslated = true;
      const std::uint8_t c = state.NextChar();
      read.emplace_back(c, state.CharTranslated);
    }
    EXPECT_TRUE(state.AtEof);
    return read;
  }
};

TEST_F(TranslatingReadTest, PolishLettersBecomeWindows1250Codes) {
  using R = std::vector<std::pair<int, bool>>;
  EXPECT_EQ(Read("\xa5\x88\xbd\xbe\xb3\x86" "A\0"s, CodePageId::Pc852),
            (R{{0xB9, true}, {0xB3, true}, {0xAF, true}, {0xBF, true}, {0xB3, false}, {0xE6, true}, {'A', false},
               {0, false}, {0, false}}));
  EXPECT_EQ(Read("\x86\xa5\xe4" "A", CodePageId::Mazovia), (R{{0xB9, true}, {0xD1, true}, {0xE4, false}, {'A', false}, {0, false}}));
}

TEST_F(TranslatingReadTest, LettersAmongTheBoxDrawingCodesArePrintedAsLetters) {
  // ł Ż ż ą Ć Ę Ń Ó in CP852: all but Ż have Windows-1250 codes between 0xB3 and 0xDA.
  Render("\x88\xbd\xbe\xa5\x8f\xa8\xe3\xe0");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"\xb3\xaf\xbf\xb9\xc6\xca\xd1\xd3"}));
  EXPECT_TRUE(Pages()[0].Lines.empty());

  system.Documents.clear();
  job.Settings.CodePage = CodePageId::Mazovia;
  Render("\x86\xa5" "A");
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"\xb9@5,0", "\xd1@65,0", "A@125,0"}));
}

// Bytes as a table reads them (ASCII below 0x80).
std::u32string Decoded(CodePageId table, std::string_view bytes) {
  std::u32string text;
  for (char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    text += byte < 0x80 ? char32_t{byte} : UpperHalf(CodePageOf(table))[byte - 0x80u];
  }
  return text;
}

TEST(CodePagesTest, TablesHoldTheirCharts) {
  using enum CodePageId;
  struct Probe {
    CodePageId Table;
    std::string_view Bytes;
    std::u32string_view Characters;
  };
  const Probe probes[] = {
      {Pc437, "\x80\x9e\xe1\xe6\xf8\xf1\xb0\xdb\xc9\xfe", U"Ç₧ßµ°±░█╔■"},
      {Pc850, "\x81\x9b\xe1\xf5\xd5\xcf\xdf", U"üøß§ı¤▀"},
      {Pc852, "\xa5\x88\xbe\xb5\xd0\xfa\xc4", U"ąłżÁđ˙─"},
      {Pc866, "\x80\xaf\xe0\xef\xf0\xfc\xfd", U"АпряЁ№¤"},
      {Windows1250, "\x80\x8a\xb9\xbe\xff", U"€Šąľ˙"},
      {Iso8859_2, "\xa1\xb1\xbd\xbe\xff", U"Ąą˝ž˙"},
      // Ours: the pangram of Czech typesetters in both cases, as Kamenický files carry it.
      {Kamenicky, "P\xa9\xa1\xa8" "ern\x88 \x91lu\x9fou\x87k\x98 k\x96\xa4 \xa3p\x88l \x83\xa0" "belsk\x82 \xa2" "dy",
       U"Příšerně žluťoučký kůň úpěl ďábelské ódy"},
      {Kamenicky, "P\x9e\x8b\x9b" "ERN\x89 \x92LU\x86OU\x80K\x9d K\xa6\xa5 \x97P\x89L \x85\x8f" "BELSK\x90 \x95" "DY",
       U"PŘÍŠERNĚ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY"},
      {Kamenicky, "\xac\xad\xae\xb0\xdb", U"¼§«░█"},
      {Mazovia, "\x80\xe1\xb0\xdb", U"Çß░█"},
      {Pc855, "\x80\x81\xfd", U"ђЂ§"},
      {Pc857, "\x8d\x98\x9e\xa7", U"ıİŞğ"},
      {Pc858, "\xd5\xcf", U"€¤"},
      {Pc860, "\x84\x8e", U"ãÃ"},
      {Pc861, "\x8b\x8c\x8d", U"ÐðÞ"},
      {Pc863, "\x83\x84\x86", U"âÂ¶"},
      {Pc865, "\x9b\x9d\xaf", U"øØ¤"},
      {Iso8859_15, "\xa4\xa6\xbe\xff", U"€ŠŸÿ"},
  };
  for (const Probe& probe : probes) {
    EXPECT_EQ(Decoded(probe.Table, probe.Bytes), probe.Characters) << CodePageOf(probe.Table).Name;
  }
  // Mazovia's letters are those our own dialect reads in it.
  for (int k = 0; k < kPolishLetters; ++k) {
    EXPECT_EQ(UpperHalf(CodePageOf(Mazovia))[CodePageTable[1][k] - 0x80u],
              UpperHalf(CodePageOf(Windows1250))[CodePageTable[kTargetRow][k] - 0x80u])
        << kLetters[k].Name;
  }
  // A character for every upper byte, but where a table has none.
  for (const CodePage& page : CodePages()) {
    for (int b = 0x80; b < 0x100; ++b) {
      const bool iso = page.Id == Iso8859_2 || page.Id == Iso8859_1 || page.Id == Iso8859_15;
      const bool gap = (page.Id == Windows1250 && (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98)) ||
                       (page.Id == Pc857 && (b == 0xD5 || b == 0xE7 || b == 0xF2)) || (iso && b < 0xA0);
      EXPECT_EQ(UpperHalf(page)[b - 0x80u] == 0, gap) << page.Name << " " << b;
    }
  }
  // Ours: ISO 8859-1 is Windows-1252 from 0xA0 on, as the platform converts it; ISO 8859-15 differs
  // from it at its eight places.
  const std::array<char32_t, 256> windows1252 = ReadCodePage(1252);
  int differing = 0;
  for (int b = 0xA0; b < 0x100; ++b) {
    EXPECT_EQ(UpperHalf(CodePageOf(Iso8859_1))[b - 0x80u], windows1252[b]) << b;
    differing += UpperHalf(CodePageOf(Iso8859_15))[b - 0x80u] != windows1252[b];
  }
  EXPECT_EQ(differing, 8);
  EXPECT_EQ(FindCodePage(895), &CodePageOf(Kamenicky));
  EXPECT_EQ(FindCodePage(88592), &CodePageOf(Iso8859_2));
  for (int number : {0, 28592, 1251, 858}) EXPECT_EQ(FindCodePage(number), nullptr) << number;
}

}  // namespace
}  // namespace prynda::testing
