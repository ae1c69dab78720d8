// Character tables and user-defined characters. The tables themselves are the job's code page
// (CP852, or Mazovia with MAZ); ESC t, ESC R and ESC ( t are remembered for the tables to come.
// Bytes 0x80-0x9F print as characters whatever ESC 6 and ESC 7 say: DOS code pages keep letters
// there. Character definitions are consumed; the faces of the font set print every character.
#include "render/escp/fx.h"

namespace prynda::escp {

namespace {

void SelectTable(Fx& fx, const Args& args) { fx.Table = args[0]; }
void SelectCountry(Fx& fx, const Args& args) { fx.Country = args[0]; }
void PrintUpperControls(Fx& fx, const Args&) { fx.UpperControls = false; }
void UpperControlsAsCodes(Fx& fx, const Args&) { fx.UpperControls = true; }
void Ignore(Fx&, const Args&) {}

// ESC & NUL n m, then for each character n to m: on 9-pin printers an attribute byte and eleven
// columns; on 24-pin ones a0 a1 a2 and a1 columns of three bytes (two in super- or subscript).
void DefineCharacters(Fx& fx, const Args& args) {
  const int characters = args[2] >= args[1] ? args[2] - args[1] + 1 : 0;
  for (int i = 0; i < characters && !fx.State.AtEof; ++i) {
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

// ESC ( t 3 0 d1 d2 d3: the registered table d2 (d3 its version) into slot d1.
void AssignTable(Fx& fx, std::uint32_t count) {
  const auto data = TakeCounted<3>(fx, count);
  if (count >= 3 && data[0] < fx.TableSlots.size()) fx.TableSlots[data[0]] = data[1];
}

// ESC ( ^ nL nH data: every byte of the data printed as a character, control codes too.
void DataAsCharacters(Fx& fx, std::uint32_t count) {
  const TTranslation& translation = fx.State.Translation;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t byte = Next(fx);
    if (fx.State.AtEof) return;
    PrintCharacter(fx, translation.Byte[byte], translation.Translated[byte]);
  }
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

std::span<const EscCommand> CharacterTableCommands() { return kCommands; }
std::span<const ParenCommand> CharacterTableParenCommands() { return kParenCommands; }

void ResetCharacterTables(Fx& fx) {
  fx.Table = 1;
  fx.Country = 0;
  fx.TableSlots = {0, 1, 0, 0};
  fx.UpperControls = true;
}

}  // namespace prynda::escp
