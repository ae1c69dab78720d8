#include "translation/code_pages.h"

#include <mutex>
#include <optional>

#include "platform/text_encoding.h"

namespace prynda {

namespace {

using Change = std::pair<std::uint8_t, char16_t>;

// Kamenický (KEYBCS2): PC437 with Czech and Slovak letters in 0x80-0xAD.
constexpr Change kKamenicky[] = {
    {0x80, u'Č'}, {0x81, u'ü'}, {0x82, u'é'}, {0x83, u'ď'}, {0x84, u'ä'}, {0x85, u'Ď'}, {0x86, u'Ť'}, {0x87, u'č'},
    {0x88, u'ě'}, {0x89, u'Ě'}, {0x8A, u'Ĺ'}, {0x8B, u'Í'}, {0x8C, u'ľ'}, {0x8D, u'ĺ'}, {0x8E, u'Ä'}, {0x8F, u'Á'},
    {0x90, u'É'}, {0x91, u'ž'}, {0x92, u'Ž'}, {0x93, u'ô'}, {0x94, u'ö'}, {0x95, u'Ó'}, {0x96, u'ů'}, {0x97, u'Ú'},
    {0x98, u'ý'}, {0x99, u'Ö'}, {0x9A, u'Ü'}, {0x9B, u'Š'}, {0x9C, u'Ľ'}, {0x9D, u'Ý'}, {0x9E, u'Ř'}, {0x9F, u'ť'},
    {0xA0, u'á'}, {0xA1, u'í'}, {0xA2, u'ó'}, {0xA3, u'ú'}, {0xA4, u'ň'}, {0xA5, u'Ň'}, {0xA6, u'Ů'}, {0xA7, u'Ô'},
    {0xA8, u'š'}, {0xA9, u'ř'}, {0xAA, u'ŕ'}, {0xAB, u'Ŕ'}, {0xAC, u'¼'}, {0xAD, u'§'},
};

// Mazovia: PC437 with the eighteen Polish letters where our own dialect finds them.
constexpr Change kMazovia[] = {
    {0x86, u'ą'}, {0x8D, u'ć'}, {0x91, u'ę'}, {0x92, u'ł'}, {0xA4, u'ń'}, {0xA2, u'ó'}, {0x9E, u'ś'}, {0xA7, u'ż'},
    {0xA6, u'ź'}, {0x8F, u'Ą'}, {0x95, u'Ć'}, {0x90, u'Ę'}, {0x9C, u'Ł'}, {0xA5, u'Ń'}, {0xA3, u'Ó'}, {0x98, u'Ś'},
    {0xA1, u'Ż'}, {0xA0, u'Ź'},
};

// ISO 8859-1: each byte from 0xA0 is the character of its own number; 0x80-0x9F are control codes,
// as in ISO 8859-2, its base.
constexpr auto kLatin1 = [] {
  std::array<Change, 96> changes{};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    changes[i] = {static_cast<std::uint8_t>(0xA0 + i), static_cast<char16_t>(0xA0 + i)};
  }
  return changes;
}();

// ISO 8859-15: ISO 8859-1 with the euro sign and seven letters in place of eight signs.
constexpr Change kLatin9[] = {
    {0xA4, u'€'}, {0xA6, u'Š'}, {0xA8, u'š'}, {0xB4, u'Ž'}, {0xB8, u'ž'}, {0xBC, u'Œ'}, {0xBD, u'œ'}, {0xBE, u'Ÿ'},
};

// PC858: PC850 with the euro sign in place of the dotless i (ours: not every system has the table).
constexpr Change kPc858[] = {{0xD5, u'€'}};

constexpr CodePage kCodePages[] = {
    {CodePageId::Pc437, 437, "PC437", 437, CodePageId::Pc437, {}, true},
    {CodePageId::Pc850, 850, "PC850", 850, CodePageId::Pc850, {}, true},
    {CodePageId::Pc852, 852, "PC852", 852, CodePageId::Pc852, {}, true},
    {CodePageId::Pc866, 866, "PC866", 866, CodePageId::Pc866, {}, true},
    {CodePageId::Kamenicky, 895, "Kamenický", 0, CodePageId::Pc437, kKamenicky, true},
    {CodePageId::Mazovia, 0, "Mazovia", 0, CodePageId::Pc437, kMazovia, true},
    {CodePageId::Windows1250, 1250, "Windows-1250", 1250, CodePageId::Windows1250, {}, false},
    {CodePageId::Iso8859_2, 88592, "ISO 8859-2", 28592, CodePageId::Iso8859_2, {}, false},
    {CodePageId::Pc855, 0, "PC855", 855, CodePageId::Pc855, {}, true},
    {CodePageId::Pc857, 0, "PC857", 857, CodePageId::Pc857, {}, true},
    {CodePageId::Pc858, 0, "PC858", 0, CodePageId::Pc850, kPc858, true},
    {CodePageId::Pc860, 0, "PC860", 860, CodePageId::Pc860, {}, true},
    {CodePageId::Pc861, 0, "PC861", 861, CodePageId::Pc861, {}, true},
    {CodePageId::Pc863, 0, "PC863", 863, CodePageId::Pc863, {}, true},
    {CodePageId::Pc865, 0, "PC865", 865, CodePageId::Pc865, {}, true},
    {CodePageId::Iso8859_1, 0, "ISO 8859-1", 0, CodePageId::Iso8859_2, kLatin1, false},
    {CodePageId::Iso8859_15, 0, "ISO 8859-15", 0, CodePageId::Iso8859_1, kLatin9, false},
};

// 0x00-0x1F, then 0x7F.
constexpr char16_t kPcPictures[33] = {
    u' ', u'☺', u'☻', u'♥', u'♦', u'♣', u'♠', u'•', u'◘', u'○', u'◙', u'♂', u'♀', u'♪', u'♫', u'☼', u'►',
    u'◄', u'↕', u'‼', u'¶', u'§', u'▬', u'↨', u'↑', u'↓', u'→', u'←', u'∟', u'↔', u'▲', u'▼', u'⌂',
};

struct National {
  std::uint8_t Country;
  std::array<char16_t, 12> Characters;  // at # $ @ [ \ ] ^ ` { | } ~
};
constexpr National kNationalSets[] = {
    {0, {u'#', u'$', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},   // USA
    {1, {u'#', u'$', u'à', u'°', u'ç', u'§', u'^', u'`', u'é', u'ù', u'è', u'¨'}},    // France
    {2, {u'#', u'$', u'§', u'Ä', u'Ö', u'Ü', u'^', u'`', u'ä', u'ö', u'ü', u'ß'}},    // Germany
    {3, {u'£', u'$', u'@', u'[', u'\\', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},   // United Kingdom
    {4, {u'#', u'$', u'@', u'Æ', u'Ø', u'Å', u'^', u'`', u'æ', u'ø', u'å', u'~'}},    // Denmark I
    {5, {u'#', u'¤', u'É', u'Ä', u'Ö', u'Å', u'Ü', u'é', u'ä', u'ö', u'å', u'ü'}},    // Sweden
    {6, {u'#', u'$', u'@', u'°', u'\\', u'é', u'^', u'ù', u'à', u'ò', u'è', u'ì'}},   // Italy
    {7, {u'₧', u'$', u'@', u'¡', u'Ñ', u'¿', u'^', u'`', u'¨', u'ñ', u'}', u'~'}},    // Spain I
    {8, {u'#', u'$', u'@', u'[', u'¥', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},    // Japan
    {9, {u'#', u'¤', u'É', u'Æ', u'Ø', u'Å', u'Ü', u'é', u'æ', u'ø', u'å', u'ü'}},    // Norway
    {10, {u'#', u'$', u'É', u'Æ', u'Ø', u'Å', u'Ü', u'é', u'æ', u'ø', u'å', u'ü'}},   // Denmark II
    {11, {u'#', u'$', u'á', u'¡', u'Ñ', u'¿', u'é', u'`', u'í', u'ñ', u'ó', u'ú'}},   // Spain II
    {12, {u'#', u'$', u'á', u'¡', u'Ñ', u'¿', u'é', u'ü', u'í', u'ñ', u'ó', u'ú'}},   // Latin America
    {13, {u'#', u'$', u'@', u'[', u'₩', u']', u'^', u'`', u'{', u'|', u'}', u'~'}},   // Korea
    {64, {u'#', u'$', u'§', u'°', u'’', u'”', u'¶', u'`', u'©', u'®', u'†', u'™'}},   // Legal
};

constexpr bool InIdOrder() {
  for (std::size_t i = 0; i < std::size(kCodePages); ++i) {
    if (static_cast<std::size_t>(kCodePages[i].Id) != i) return false;
  }
  return true;
}
static_assert(InIdOrder(), "CodePageOf finds a table at the place of its id");

std::array<char32_t, 128> ReadUpperHalf(const CodePage& page) {
  std::array<char32_t, 128> upper{};
  if (page.SystemNumber != 0) {
    const std::array<char32_t, 256> all = ReadCodePage(page.SystemNumber);
    for (std::size_t i = 0; i < upper.size(); ++i) {
      const char32_t c = all[128 + i];
      upper[i] = (c < 0x20 || (c >= 0x7F && c <= 0x9F)) ? 0 : c;  // the platform's control codes
    }
    return upper;
  }
  upper = UpperHalf(CodePageOf(page.Base));
  for (const auto& [byte, character] : page.Changes) upper[byte - 0x80u] = character;
  return upper;
}

}  // namespace

std::span<const CodePage> CodePages() { return kCodePages; }

const CodePage& CodePageOf(CodePageId id) { return kCodePages[static_cast<std::size_t>(id)]; }

const CodePage* FindCodePage(int number) {
  for (const CodePage& page : kCodePages) {
    if (page.Number != 0 && page.Number == number) return &page;
  }
  return nullptr;
}

const std::array<char32_t, 128>& UpperHalf(const CodePage& page) {
  static std::recursive_mutex guard;  // a table of ours reads its base under the same lock
  static std::array<std::optional<std::array<char32_t, 128>>, std::size(kCodePages)> known;
  std::lock_guard<std::recursive_mutex> lock(guard);
  auto& upper = known[static_cast<std::size_t>(page.Id)];
  if (!upper) upper = ReadUpperHalf(page);
  return *upper;
}

char32_t PcPicture(std::uint8_t byte) {
  if (byte < 0x20) return kPcPictures[byte];
  return byte == 0x7F ? kPcPictures[32] : 0;
}

const std::array<char16_t, 12>* NationalSet(std::uint8_t country) {
  for (const National& set : kNationalSets) {
    if (set.Country == country) return &set.Characters;
  }
  return nullptr;
}

}  // namespace prynda
