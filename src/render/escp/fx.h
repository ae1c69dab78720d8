// FX mode: the Epson ESC/P printer language (9-pin FX/LX units; 24-pin LQ/ESC/P2 units when the
// job's printer has 24 pins). This is what its command groups share: the mode's own state beside
// the render state, the shape of a command row, and the operations more than one group needs.
//
// The head moves through the render state's page model: PosX in device pixels right of the left
// margin, PosY below the top of the printable area, the line spacing, all doubles rounded only when
// drawn; characters sit in the cells of the pitch as in our own dialect. A sheet asked for (a form
// feed, the end of a form) is the page model's PageFull: it is begun when something is printed on
// it, and positions meanwhile are those on it. A sheet with nothing printed on it becomes a page
// only by a form feed: however many forms the feeds pass while it is blank, they are that one sheet.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/characters.h"
#include "render/escp/inks.h"
#include "render/missing_characters.h"
#include "render/render_state.h"
#include "translation/code_pages.h"

namespace prynda::escp {

enum class BasePitch : std::uint8_t { Pica, Elite, Fifteen };  // 10, 12, 15 characters per inch
enum class ScriptPosition : std::uint8_t { None, Super, Sub };

// What the print-mode commands select; the font and the cell follow from it (print_modes.cc).
struct PrintMode {
  BasePitch Pitch = BasePitch::Pica;
  // Multipoint mode (ESC X) until ESC P, M, g, p, ! or @; the HMI of ESC c until a pitch command.
  std::int32_t FixedPitch = 0;  // ESC X: 360/m characters per inch, in thousandths; 0: Pitch's
  std::uint16_t PointSize = 0;  // ESC X: half points; 0: the sizes of the job's fonts
  std::uint16_t Hmi = 0;        // ESC c: the cell in 1/360 inch; 0: the pitch's
  bool Proportional = false;
  bool Condensed = false;
  bool Bold = false;          // ESC E
  bool DoubleStrike = false;  // ESC G
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;     // ESC ( -
  bool DoubleWidth = false;   // ESC W, ESC !
  bool LineWide = false;      // SO, ESC SO: double width to the end of the line
  bool DoubleHeight = false;
  ScriptPosition Script = ScriptPosition::None;
  bool Quality = false;       // ESC x 1 (NLQ/LQ): only the units of ESC \ and ESC SP depend on it
  std::int8_t Typeface = -1;  // ESC k: a row of Typefaces() (typefaces.h); -1: the job's own fonts
};

// A slot of ESC t: the italic table, or a table of the registry.
inline constexpr int kItalicTable = -1;

enum class VerticalTabs : std::uint8_t {
  NeverSet,  // VT is a line feed
  Cleared,   // ESC B NUL: VT is a carriage return
  Set,
};

struct CommandTables;
const CommandTables& FxCommandTables();

struct Fx {
  Fx(TRenderState& state, bool pins24, const CodePage& job_table, const CommandTables& commands = FxCommandTables())
      : State(state), Pins24(pins24), JobTable(job_table), Commands(commands) {}

  TRenderState& State;
  const bool Pins24;  // 24-pin units: ESC 3/J/j in 1/180 inch, ESC A in 1/60
  const CodePage& JobTable;  // the table the printer is set to (/CP=, CodePage=, MAZ): its graphics table
  const CommandTables& Commands;  // the dialect's rows: FX mode's, or another dialect's built on them

  PrintMode Mode;
  bool FontStale = true;  // the canvas font does not show Mode yet; selected before the next character
  // Kept with the pitch, the margins and the modes for the per-character path:
  double Cell = 0;          // CellWidth of state.Text.Pitch
  bool ByWidth = false;     // proportional print: characters advance by their own width (not under ESC c)
  double WrapAt = 0;        // a character at a PosX past this would pass the right margin (not below 0)
  bool DrawBlanks = false;  // underline or strike-out: blanks carry the line
  // Each byte's character in the table in use, and as the canvas font draws it: its width,
  // measured once (-1 not yet), and the character drawn (a substitute where no face has it).
  std::array<Character, 256> Characters{};
  std::array<int, 256> Widths{};
  std::array<char32_t, 256> Drawn{};
  MissingCharacters Missing;  // characters no face has, drawn as a substitute
  std::vector<std::optional<std::string>> Faces;  // typefaces.cc: each family's face on this printer, once known

  // Vertical, in device pixels; the line spacing is the page model's.
  double PageLength = 0;     // the form, from the top of the sheet's printable area (state.Page.TopMargin)
  double TopOfPage = 0;      // where a page's first line is, below state.Page.TopMargin (ESC ( c)
  double BottomMargin = 0;   // ESC ( c; 0: none
  double Perforation = 0;    // ESC N: skipped at the end of the form
  VerticalTabs VerticalTabState = VerticalTabs::NeverSet;
  std::vector<double> VerticalTabStops;  // below the top of the form

  // Horizontal, in device pixels.
  double RightMargin = 0;             // from the left edge of the printable area
  std::vector<double> TabStops;       // right of the left margin
  double ExtraSpace = 0;              // ESC SP, after every character
  double HorizontalUnit = 0;          // ESC ( U, inches per unit; 0: the command's own unit
  double VerticalUnit = 1.0 / 360;    // ESC ( U: ESC ( V, v
  double PageUnit = 1.0 / 360;        // ESC ( U: ESC ( C, c
  bool UnitsGiven = false;            // ESC ( U since the power-on state or graphics mode began

  // Character tables: the slot ESC t selects, the table in each slot (ESC ( t; kItalicTable or a
  // CodePageId), the country of ESC R. Bytes 0x80-0x9F of a graphics table print whatever ESC 6
  // and ESC 7 say; of the italic table they are control codes until ESC 6.
  std::uint8_t Table = 1;
  std::array<int, 4> TableSlots{};
  std::uint8_t Country = 0;
  bool UpperControls = true;
  std::array<std::uint8_t, 4> ImageModes = {0, 1, 2, 3};  // ESC ? for ESC K, L, Y, Z
  std::vector<std::uint8_t> ImageData;  // a bit image's columns as they came, kept between images
  std::vector<std::uint8_t> ImageBits;  // and its rows of dots

  // Graphics mode (raster.cc): raster lines in inks, no characters.
  bool Graphics = false;
  InkSet Ink = 0;          // ESC r, ESC ( r, ESC i; none: the text colour (black in graphics mode)
  double DotPitchX = 0;    // ESC ( D: inches between the dots of ESC i across, and down; 0: the
  double DotPitchY = 0;    // units of ESC ( U
  double SheetWidth = 0;   // the printable width, device pixels: graphics mode's right margin
  InkLayers Inks;          // the sheet's raster dots not drawn yet
};

// A command after ESC: the argument bytes the dispatcher reads before calling Act; a command of
// variable length reads the rest itself (a NUL-ended list, counted data). A command cut short by
// the end of the input does not act.
using Args = std::array<std::uint8_t, 3>;
struct EscCommand {
  std::uint8_t Code;
  std::uint8_t Arguments;
  void (*Act)(Fx& fx, const Args& args);
};
// A control byte (0x00-0x1F, 0x7F).
struct ControlCode {
  std::uint8_t Code;
  void (*Act)(Fx& fx);
};
// ESC ( c nL nH and its nL + 256 nH bytes: Act takes them all from the input.
struct ParenCommand {
  std::uint8_t Code;
  void (*Act)(Fx& fx, std::uint32_t count);
};

// Every group's rows, looked up by their code, as the dispatcher reads them. A dialect that shares
// FX mode's groups starts from FxCommandTables() and puts its own rows over the ones that differ.
struct CommandTables {
  std::array<const EscCommand*, 256> Esc{};
  std::array<void (*)(Fx&), 32> Controls{};
  std::array<void (*)(Fx&, std::uint32_t), 256> Paren{};

  void Add(std::span<const EscCommand> rows) {
    for (const EscCommand& row : rows) Esc[row.Code] = &row;
  }
  void Add(std::span<const ControlCode> rows) {
    for (const ControlCode& row : rows) Controls[row.Code] = row.Act;
  }
  void Add(std::span<const ParenCommand> rows) {
    for (const ParenCommand& row : rows) Paren[row.Code] = row.Act;
  }
};

// The rows of each command group, for the dispatcher.
std::span<const EscCommand> PrinterControlCommands();
std::span<const EscCommand> PrintModeCommands();
std::span<const EscCommand> LineAndFormCommands();
std::span<const EscCommand> HorizontalCommands();
std::span<const EscCommand> BitImageCommands();
std::span<const EscCommand> CharacterTableCommands();
std::span<const ControlCode> PrinterControlCodes();
std::span<const ControlCode> PrintModeControlCodes();
std::span<const ControlCode> LineAndFormControlCodes();
std::span<const ControlCode> HorizontalControlCodes();
std::span<const ParenCommand> LineAndFormParenCommands();
std::span<const ParenCommand> PrintModeParenCommands();
std::span<const ParenCommand> CharacterTableParenCommands();
std::span<const ParenCommand> HorizontalParenCommands();
std::span<const EscCommand> RasterCommands();
std::span<const ParenCommand> RasterParenCommands();
std::span<const ParenCommand> BarCodeParenCommands();  // bar_codes.cc
// Rows of the printer-control group whose handlers are graphics mode's (raster.cc): ESC r n, the
// ink; ESC i n, immediate print, and in graphics mode ESC i r c b nL nH mL mH and its lines.
void SelectRibbonColor(Fx& fx, const Args& args);
void ImmediatePrintOrRasterLines(Fx& fx, const Args& args);

// Power-on state of each group (ESC @ and the start of the job).
void ResetPrintModes(Fx& fx);
void ResetLinesAndForms(Fx& fx);
void ResetHorizontal(Fx& fx);
void ResetCharacterTables(Fx& fx);
void ResetRaster(Fx& fx);  // raster.cc: draws the inks kept, leaves graphics mode

// Input: the next raw byte; skipping stops at the end of the input.
inline std::uint8_t Next(Fx& fx) { return fx.State.Input.NextByte(); }
inline void Skip(Fx& fx, std::uint64_t count) { fx.State.Input.SkipBytes(count); }
// The first `count` bytes (at most N) of counted data into `out`, the rest skipped; zeros for bytes
// the data does not have.
template <std::size_t N>
std::array<std::uint8_t, N> TakeCounted(Fx& fx, std::uint32_t count) {
  std::array<std::uint8_t, N> out{};
  for (std::uint32_t i = 0; i < count && i < N; ++i) out[i] = Next(fx);
  if (count > N) Skip(fx, count - N);
  return out;
}

// Counted data printed byte by byte as characters of the table in use, control codes among them
// (the PC's pictures in a PC table; a blank where the table has none): ESC ( ^.
void DataAsCharacters(Fx& fx, std::uint32_t count);  // character_tables.cc
// Margins in columns of the pitch in force (ESC l, ESC Q); a margin that would leave no room
// between them, or pass the printable width, is not set.
void SetLeftMargin(Fx& fx, std::uint8_t columns);   // horizontal.cc
void SetRightMargin(Fx& fx, std::uint8_t columns);  // horizontal.cc
void DefaultTabs(Fx& fx);                            // horizontal.cc: a tab stop every eight columns of 10 cpi

// ESC B, ESC D: values until NUL or one that is not above the one before (that one ends the list
// too, as NUL does).
std::vector<std::uint8_t> ReadStops(Fx& fx);

// Shared operations. Whatever prints calls MarkSheet first when the sheet is blank or asked for:
//   if (NeedsMark(fx)) MarkSheet(fx);
inline bool NeedsMark(const Fx& fx) { return fx.State.Page.PageFull || fx.State.Page.Blank; }
void TakeByte(Fx& fx, std::uint8_t c);                           // fx_dialect.cc: a byte as the file's bytes are taken
void TakeEscape(Fx& fx, std::uint8_t code);                      // fx_dialect.cc: ESC and `code`, read already
void PrintCharacter(Fx& fx, std::uint8_t c);                     // fx_dialect.cc: in the table in use
void UpdateCharacters(Fx& fx);                                   // character_tables.cc: after a table change
void MarkSheet(Fx& fx);                                          // fx_dialect.cc: before anything is put on it
void ResetPrinter(Fx& fx);                                       // fx_dialect.cc: ESC @, the start of the job
void StartJob(Fx& fx);                                           // fx_dialect.cc: power-on state, at the first line
void FinishJob(Fx& fx);                                          // fx_dialect.cc: the inks kept, the missing characters
void PrintModeChanged(Fx& fx);                                   // print_modes.cc: new pitch, font to select
void SelectModeFont(Fx& fx);                                     // print_modes.cc
void SelectTypeface(Fx& fx, std::uint8_t n);                     // typefaces.cc: ESC k n
void ApplyFaceAndColor(Fx& fx);                                  // typefaces.cc: on the canvas font, after SelectFont
void EndLineWide(Fx& fx);                                        // print_modes.cc: SO ends
void EndHmi(Fx& fx);                                             // print_modes.cc: ESC c's cell ends
void CarriageReturn(Fx& fx);                                     // horizontal.cc
double ColumnWidth(const Fx& fx);                                // horizontal.cc: a column for margins and tabs
void UpdateWrap(Fx& fx);                                         // horizontal.cc: after margins or the cell change
void SetLineSpacing(Fx& fx, double pixels);                      // lines_forms.cc
void Feed(Fx& fx, double pixels);                                // lines_forms.cc: down, to the next form past its end
void LineFeed(Fx& fx);                                           // lines_forms.cc: CR, one line down, SO ends
void FormFeed(Fx& fx);                                           // lines_forms.cc: FF, the next sheet
void DrawInks(Fx& fx);                                           // raster.cc: the raster dots kept, drawn

// Pixels of n units of 1/per_inch inch.
inline double PixelsX(const Fx& fx, double n, double per_inch) { return n * fx.State.Page.DpiX / per_inch; }
inline double PixelsY(const Fx& fx, double n, double per_inch) { return n * fx.State.Page.DpiY / per_inch; }
// The on/off argument of the mode commands: 0 or '0' off, 1 or '1' on; anything else changes nothing.
inline bool IsOn(std::uint8_t n) { return n == 1 || n == '1'; }
inline bool IsOff(std::uint8_t n) { return n == 0 || n == '0'; }

// The bytes the command at the front of `bytes` takes (ESC and its code byte among them), for the
// commands whose length the rows do not say: ESC . with its data; in graphics mode (`graphics`:
// after ESC ( G 1 0 1, until ESC @) ESC i r c b nL nH mL mH with its data; ESC ( R and the remote
// mode it enters, up to ESC NUL NUL NUL; ESC SOH and the job language's @EJL lines. 0 for any
// other command. A command cut short by the end of `bytes` takes them all.
std::size_t CommandLength(std::span<const std::uint8_t> bytes, bool graphics);

}  // namespace prynda::escp
