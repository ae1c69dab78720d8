#include "render/escp/fx_dialect.h"

#include <algorithm>

#include "render/box_drawing.h"
#include "render/page_cycle.h"

namespace prynda::escp {

namespace {

constexpr std::uint8_t kEsc = 0x1B;

void DoEscape(Fx& fx);

// ESC ( c nL nH and its counted bytes; a command no group acts on is skipped by its count.
void DoParenCommand(Fx& fx, const Args& args);

}  // namespace

const CommandTables& FxCommandTables() {
  static const CommandTables tables = [] {
    CommandTables t;
    static constexpr EscCommand kParen[] = {{'(', 3, DoParenCommand}};
    t.Add(kParen);
    for (const auto group : {PrinterControlCommands(), PrintModeCommands(), LineAndFormCommands(),
                             HorizontalCommands(), BitImageCommands(), CharacterTableCommands(), RasterCommands()}) {
      t.Add(group);
    }
    static constexpr ControlCode kEscape[] = {{kEsc, DoEscape}};
    t.Add(kEscape);
    for (const auto group : {PrinterControlCodes(), PrintModeControlCodes(), LineAndFormControlCodes(),
                             HorizontalControlCodes()}) {
      t.Add(group);
    }
    for (const auto group : {LineAndFormParenCommands(), PrintModeParenCommands(), CharacterTableParenCommands(),
                             HorizontalParenCommands(), RasterParenCommands(), BarCodeParenCommands()}) {
      t.Add(group);
    }
    return t;
  }();
  return tables;
}

namespace {

void DoEscape(Fx& fx) {
  const std::uint8_t code = Next(fx);
  if (!fx.State.Input.AtEof) TakeEscape(fx, code);
}

}  // namespace

void TakeEscape(Fx& fx, std::uint8_t code) {
  const EscCommand* command = fx.Commands.Esc[code];
  if (command == nullptr) return;  // as the printer does: ESC and the byte after it are consumed
  Args args{};
  for (std::uint8_t i = 0; i < command->Arguments; ++i) args[i] = Next(fx);
  if (fx.State.Input.AtEof) return;
  command->Act(fx, args);
}

namespace {

void DoParenCommand(Fx& fx, const Args& args) {
  const std::uint32_t count = args[1] + 256u * args[2];
  if (auto act = fx.Commands.Paren[args[0]]) {
    act(fx, count);
  } else {
    Skip(fx, count);
  }
}

// A character at the print position and the move past its cell: the per-character path, kept in
// one piece with the dispatch of Byte.
// What a character seldom needs first: a new line past the right margin, a new font after a mode
// command, the sheet asked for.
[[gnu::noinline, gnu::cold]] void PrepareCharacter(Fx& fx, bool drawn) {
  // Past the right margin the printer goes on at the start of the next line.
  if (fx.State.Page.PosX > fx.WrapAt) LineFeed(fx);
  if (fx.FontStale) SelectModeFont(fx);
  if (drawn && NeedsMark(fx)) MarkSheet(fx);
}

// A byte's character measured in the canvas font, the first time the font draws it; one that no
// face has is drawn as a substitute, and noted for the end of the job.
[[gnu::noinline, gnu::cold]] void MeasureCharacter(Fx& fx, std::uint8_t c) {
  TCanvas& canvas = fx.State.Canvas;
  const char32_t drawn = fx.Missing.Drawable(canvas, fx.Characters[c].CodePoint);
  fx.Drawn[c] = drawn;
  fx.Widths[c] = canvas.MeasureUnicodeWidth(std::u32string_view(&drawn, 1));
}

// `act` with the canvas font slanted, for a character of the italic table, whatever the mode says.
template <typename Act>
void Slanted(TFont& font, bool italic, Act act) {
  const TFontStyles style = font.Style();
  if (italic) font.SetStyle(style | fsItalic);
  act();
  font.SetStyle(style);
}

// Proportional print: the character at the print position (not centred in a cell), the head moved
// by its width in the face and the space of ESC SP; it goes to the next line when that width would
// pass the right margin.
void PrintProportional(Fx& fx, std::uint8_t c) {
  TRenderState& state = fx.State;
  const Character& character = fx.Characters[c];
  auto width = [&] {
    if (fx.FontStale) SelectModeFont(fx);
    if (fx.Widths[c] < 0) Slanted(state.Canvas.Font(), character.Italic, [&] { MeasureCharacter(fx, c); });
    return static_cast<double>(fx.Widths[c]);
  };
  double advance = width();
  // A character fits as a cell does (UpdateWrap): WrapAt leaves room for one cell; one wider than
  // the line still prints at its start. The new line may end SO, and so change the font.
  if (state.Page.PosX > 0 && state.Page.PosX + advance - fx.Cell > fx.WrapAt) {
    LineFeed(fx);
    advance = width();
  }
  if (character.CodePoint != U' ' || fx.DrawBlanks) {
    if (NeedsMark(fx)) MarkSheet(fx);
    Slanted(state.Canvas.Font(), character.Italic, [&] {
      state.Canvas.PaintUnicode(RoundToPixel(state.Page.LeftMargin + state.Page.PosX),
                                RoundToPixel(state.Text.BaselineShift + state.Page.PosY),
                                std::u32string_view(&fx.Drawn[c], 1));
    });
  }
  state.Page.PosX += advance + fx.ExtraSpace;
}

// What is not a plain glyph: lines, blocks, the italic table's slanted characters and control
// codes; every character in proportional print.
[[gnu::noinline]] void PrintOther(Fx& fx, std::uint8_t c) {
  TRenderState& state = fx.State;
  const Character& character = fx.Characters[c];
  if (fx.ByWidth && character.Kind == CharacterKind::Text) {
    PrintProportional(fx, c);
    return;
  }
  switch (character.Kind) {
    case CharacterKind::Control:
      if (auto act = fx.Commands.Controls[c & 0x1F]) act(fx);
      return;
    case CharacterKind::Ignored:
      return;
    case CharacterKind::Text: {  // italic
      if (state.Page.PosX > fx.WrapAt || fx.FontStale || NeedsMark(fx)) PrepareCharacter(fx, true);
      Slanted(state.Canvas.Font(), true, [&] {
        if (fx.Widths[c] < 0) MeasureCharacter(fx, c);
        DrawUnicodeOfWidth(state, fx.Drawn[c], fx.Widths[c]);
      });
      break;
    }
    case CharacterKind::Box:
    case CharacterKind::Block:
      if (state.Page.PosX > fx.WrapAt || fx.FontStale || NeedsMark(fx)) PrepareCharacter(fx, true);
      if (character.Kind == CharacterKind::Box) {
        DrawBoxCharacter(state, character.Detail);
      } else {
        DrawBlock(state, *BlockShapeOf(character.CodePoint), fx.Cell, fx.State.Page.LineSpacing);
      }
      break;
  }
  state.Page.PosX += fx.Cell + fx.ExtraSpace;  // the cell and the space of ESC SP
}

// Graphics mode prints no characters: only the line feed, the form feed, the carriage return and
// the commands act.
[[gnu::noinline]] void GraphicsByte(Fx& fx, std::uint8_t c) {
  if (c == kEsc || c == 0x0A || c == 0x0C || c == 0x0D) fx.Commands.Controls[c](fx);
}

inline void Print(Fx& fx, std::uint8_t c) {
  TRenderState& state = fx.State;
  const Character& character = fx.Characters[c];
  if (character.Kind != CharacterKind::Text || character.Italic || fx.ByWidth) [[unlikely]] {
    PrintOther(fx, c);
    return;
  }
  const bool drawn = character.CodePoint != U' ' || fx.DrawBlanks;  // a blank carries only underline or strike-out
  if (state.Page.PosX > fx.WrapAt || fx.FontStale || (drawn && NeedsMark(fx))) [[unlikely]] {
    PrepareCharacter(fx, drawn);
  }
  if (drawn) {
    if (fx.Widths[c] < 0) MeasureCharacter(fx, c);
    DrawUnicodeOfWidth(state, fx.Drawn[c], fx.Widths[c]);
  }
  state.Page.PosX += fx.Cell + fx.ExtraSpace;  // FX mode's tabs are positions: no column to count
}

inline void Dispatch(Fx& fx, std::uint8_t c) {
  if (fx.Graphics) [[unlikely]] {
    GraphicsByte(fx, c);
  } else if (c >= 0x20 && c != 0x7F) {
    Print(fx, c);
  } else if (c < 0x20) {
    if (auto act = fx.Commands.Controls[c]) act(fx);
  }
  // DEL: the printer's "delete the last character" cannot take back what is drawn; it is ignored.
}

}  // namespace

void TakeByte(Fx& fx, std::uint8_t c) { Dispatch(fx, c); }

void PrintCharacter(Fx& fx, std::uint8_t c) {
  if (!fx.Graphics) Print(fx, c);
}

void MarkSheet(Fx& fx) {
  if (fx.State.Page.PageFull) BeginPage(fx.State);
  fx.State.Page.Blank = false;
}

void ResetPrinter(Fx& fx) {
  ResetPrintModes(fx);
  ResetLinesAndForms(fx);
  ResetHorizontal(fx);
  ResetCharacterTables(fx);
  ResetRaster(fx);
  fx.ImageModes = {0, 1, 2, 3};
}

FxDialect::FxDialect(TRenderState& state, bool pins24, const CodePage& table) : fx_(state, pins24, table) {}

void StartJob(Fx& fx) {
  TRenderState& state = fx.State;
  state.Page.FineUnits = fx.Pins24 ? 180 : 216;
  ResetText(state);
  ResetPrinter(fx);
  state.Page.PosY = state.Page.TopMargin + fx.TopOfPage;
}

void FinishJob(Fx& fx) {
  DrawInks(fx);
  fx.Missing.Report(fx.State.Job.Console);
}

void FxDialect::Start() { StartJob(fx_); }

std::int32_t FxDialect::Byte(std::uint8_t c) {
  Dispatch(fx_, c);
  return 0;  // the head has moved already: by cells and the space of ESC SP, not by columns
}

void FxDialect::Finish() { FinishJob(fx_); }

}  // namespace prynda::escp
