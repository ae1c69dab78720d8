// Character tables: what each byte prints as. Four slots hold tables, ESC t selects one: slot 0
// the italic table (ASCII again in 0xA0-0xFE, slanted), slots 1 to 3 the job's table (/CP=,
// CodePage=, MAZ: the table the printer is set to, PC852 unless the job says otherwise) until
// ESC ( t registers another there. ESC R puts a country's characters at twelve places of ASCII.
// A box-drawing character is drawn as lines, a shade or block as a filled cell, whatever table
// brings it. Character definitions are consumed; they and a table nobody knows are named once at
// the end of the job. The faces of the font set print every character.
#include <string>

#include "render/box_drawing.h"
#include "render/escp/fx.h"

namespace prynda::escp {

namespace {

// ESC ( t: the tables the printers register by two numbers, as far as the registry has them.
struct Registered {
  std::uint8_t Number;
  std::uint8_t Version;
  int Table;
};
constexpr int TableOf(CodePageId id) { return static_cast<int>(id); }
constexpr Registered kRegistered[] = {
    {0, 0, kItalicTable},
    {1, 0, TableOf(CodePageId::Pc437)},
    {3, 0, TableOf(CodePageId::Pc850)},
    {6, 0, TableOf(CodePageId::Pc855)},
    {7, 0, TableOf(CodePageId::Pc860)},
    {8, 0, TableOf(CodePageId::Pc863)},
    {9, 0, TableOf(CodePageId::Pc865)},
    {10, 0, TableOf(CodePageId::Pc852)},
    {11, 0, TableOf(CodePageId::Pc857)},
    {14, 0, TableOf(CodePageId::Pc866)},
    {24, 0, TableOf(CodePageId::Pc861)},
    {27, 0, TableOf(CodePageId::Mazovia)},
    {29, 2, TableOf(CodePageId::Iso8859_2)},
    {29, 15, TableOf(CodePageId::Iso8859_15)},
    {29, 16, TableOf(CodePageId::Iso8859_1)},
    {44, 0, TableOf(CodePageId::Pc858)},
    {127, 2, TableOf(CodePageId::Iso8859_2)},
};

// The argument of ESC t and the slot of ESC ( t: 0-3 or '0'-'3'; -1 for anything else.
int SlotOf(std::uint8_t n) {
  if (n <= 3) return n;
  if (n >= '0' && n <= '3') return n - '0';
  return -1;
}

void SelectTable(Fx& fx, const Args& args) {
  const int slot = SlotOf(args[0]);
  if (slot < 0) return;
  fx.Table = static_cast<std::uint8_t>(slot);
  UpdateCharacters(fx);
}

void SelectCountry(Fx& fx, const Args& args) {
  if (NationalSet(args[0]) == nullptr) return;
  fx.Country = args[0];
  UpdateCharacters(fx);
}

void PrintUpperControls(Fx& fx, const Args&) {
  fx.UpperControls = false;
  UpdateCharacters(fx);
}
void UpperControlsAsCodes(Fx& fx, const Args&) {
  fx.UpperControls = true;
  UpdateCharacters(fx);
}
void Ignore(Fx&, const Args&) {}

// ESC & NUL n m, then for each character n to m: on 9-pin printers an attribute byte and eleven
// columns; on 24-pin ones a0 a1 a2 and a1 columns of three bytes (two in super- or subscript).
void DefineCharacters(Fx& fx, const Args& args) {
  fx.State.Unprinted.Note("Znaki ładowane do drukarki (ESC &) pominięto, drukuję w ich miejscu znaki tablicy");
  const int characters = args[2] >= args[1] ? args[2] - args[1] + 1 : 0;
  for (int i = 0; i < characters && !fx.State.Input.AtEof; ++i) {
    if (fx.Pins24) {
      Next(fx);
      const std::uint8_t columns = Next(fx);
      Next(fx);
      Skip(fx, columns * (fx.Mode.Script == ScriptPosition::None ? 3u : 2u));
    } else {
      Skip(fx, 12);
    }
  }
}

// ESC ( t 3 0 d1 d2 d3: the registered table d2 (d3 its version) into slot d1; a table the
// registry does not have leaves the slot as it was, as the printer ignores one it lacks, and is
// named at the end of the job.
void AssignTable(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<3>(fx, count);
  const int slot = SlotOf(data[0]);
  if (count < 3 || slot < 0) return;
  for (const Registered& table : kRegistered) {
    if (table.Number == data[1] && table.Version == data[2]) {
      fx.TableSlots[static_cast<std::size_t>(slot)] = table.Table;
      if (slot == fx.Table) UpdateCharacters(fx);
      return;
    }
  }
  fx.State.Unprinted.Note("Tablicy znaków " + std::to_string(data[1]) + " " + std::to_string(data[2]) +
                          " (ESC ( t) nie znam, drukuję w poprzedniej");
}

constexpr EscCommand kCommands[] = {
    {'t', 1, SelectTable},
    {'R', 1, SelectCountry},
    {'6', 0, PrintUpperControls},
    {'7', 0, UpperControlsAsCodes},
    {'&', 3, DefineCharacters},  // NUL n m, then the characters' data
    {':', 3, Ignore},            // copy the ROM characters to the user-defined set
    {'%', 1, Ignore},            // select the user-defined set
    {'I', 1, Ignore},            // control codes printed as characters (9-pin)
    {'m', 1, Ignore},            // 0x80-0x9F as graphics (9-pin)
};

constexpr ParenCommand kParenCommands[] = {
    {'t', AssignTable},
    {'^', DataAsCharacters},
};

}  // namespace

void DataAsCharacters(Fx& fx, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t byte = Next(fx);
    if (fx.State.Input.AtEof) return;
    const CharacterKind kind = fx.Characters[byte].Kind;
    PrintCharacter(fx, kind == CharacterKind::Control || kind == CharacterKind::Ignored ? ' ' : byte);
  }
}

std::span<const EscCommand> CharacterTableCommands() { return kCommands; }
std::span<const ParenCommand> CharacterTableParenCommands() { return kParenCommands; }

void UpdateCharacters(Fx& fx) {
  std::array<char32_t, 128> ascii{};
  for (std::size_t b = 0; b < ascii.size(); ++b) ascii[b] = static_cast<char32_t>(b);
  const auto& national = *NationalSet(fx.Country);
  for (std::size_t i = 0; i < kNationalPlaces.size(); ++i) ascii[kNationalPlaces[i]] = national[i];

  std::array<Character, 256>& characters = fx.Characters;
  const int table = fx.TableSlots[fx.Table];
  for (int b = 0x20; b < 0x7F; ++b) characters[static_cast<std::size_t>(b)] = ClassifyCharacter(ascii[static_cast<std::size_t>(b)]);
  if (table == kItalicTable) {
    for (int b = 0; b < 0x20; ++b) characters[static_cast<std::size_t>(b)] = Character{};
    characters[0x7F] = Character{};
    for (int b = 0x80; b < 0xA0; ++b) {
      Character control;
      control.Kind = fx.UpperControls ? CharacterKind::Control : CharacterKind::Ignored;
      characters[static_cast<std::size_t>(b)] = control;
    }
    for (int b = 0xA0; b < 0x100; ++b) {
      Character character = b < 0xFF ? ClassifyCharacter(ascii[static_cast<std::size_t>(b - 0x80)]) : Character{};
      character.Italic = character.Kind == CharacterKind::Text;
      characters[static_cast<std::size_t>(b)] = character;
    }
  } else {
    const CodePage& page = CodePageOf(static_cast<CodePageId>(table));
    for (int b = 0; b < 0x20; ++b) {
      characters[static_cast<std::size_t>(b)] = ClassifyCharacter(page.PcPictures ? PcPicture(static_cast<std::uint8_t>(b)) : 0);
    }
    characters[0x7F] = ClassifyCharacter(page.PcPictures ? PcPicture(0x7F) : 0);
    const std::array<char32_t, 128>& upper = UpperHalf(page);
    for (std::size_t b = 0; b < upper.size(); ++b) characters[0x80 + b] = ClassifyCharacter(upper[b]);
  }
  fx.Widths.fill(-1);
}

void ResetCharacterTables(Fx& fx) {
  const int job = static_cast<int>(fx.JobTable.Id);
  fx.TableSlots = {kItalicTable, job, job, job};
  fx.Table = 1;
  fx.Country = 0;
  fx.UpperControls = true;
  UpdateCharacters(fx);
}

}  // namespace prynda::escp
