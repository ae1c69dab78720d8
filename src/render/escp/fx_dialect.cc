#include "render/escp/fx_dialect.h"

#include <algorithm>

#include "render/box_drawing.h"
#include "render/page_cycle.h"

namespace prynda::escp {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
// A character whose cell passes the right margin by less than this still fits: cells of 17.125
// characters per inch add up in floating point.
constexpr double kMarginTolerance = 0.5;

// Every group's rows, looked up by their code.
struct CommandTables {
  std::array<const EscCommand*, 256> Esc{};
  std::array<void (*)(Fx&), 32> Controls{};
  std::array<void (*)(Fx&, std::uint32_t), 256> Paren{};
};

void DoEscape(Fx& fx);

// ESC ( c nL nH and its counted bytes; a command no group acts on is skipped by its count.
void DoParenCommand(Fx& fx, const Args& args);

const CommandTables& Tables() {
  static const CommandTables tables = [] {
    CommandTables t;
    static constexpr EscCommand kParen{'(', 3, DoParenCommand};
    t.Esc['('] = &kParen;
    for (const auto group : {PrinterControlCommands(), PrintModeCommands(), LineAndFormCommands(),
                             HorizontalCommands(), BitImageCommands(), CharacterTableCommands()}) {
      for (const EscCommand& command : group) t.Esc[command.Code] = &command;
    }
    static constexpr ControlCode kEscape{kEsc, DoEscape};
    t.Controls[kEsc] = kEscape.Act;
    for (const auto group : {PrinterControlCodes(), PrintModeControlCodes(), LineAndFormControlCodes(),
                             HorizontalControlCodes()}) {
      for (const ControlCode& code : group) t.Controls[code.Code] = code.Act;
    }
    for (const auto group : {LineAndFormParenCommands(), PrintModeParenCommands(),
                             CharacterTableParenCommands()}) {
      for (const ParenCommand& command : group) t.Paren[command.Code] = command.Act;
    }
    return t;
  }();
  return tables;
}

void DoEscape(Fx& fx) {
  const std::uint8_t code = Next(fx);
  if (fx.State.AtEof) return;
  const EscCommand* command = Tables().Esc[code];
  if (command == nullptr) return;  // as the printer does: ESC and the byte after it are consumed
  Args args{};
  for (std::uint8_t i = 0; i < command->Arguments; ++i) args[i] = Next(fx);
  if (fx.State.AtEof) return;
  command->Act(fx, args);
}

void DoParenCommand(Fx& fx, const Args& args) {
  const std::uint32_t count = args[1] + 256u * args[2];
  if (auto act = Tables().Paren[args[0]]) {
    act(fx, count);
  } else {
    Skip(fx, count);
  }
}

}  // namespace

void Skip(Fx& fx, std::uint64_t count) {
  TRenderState& state = fx.State;
  while (count > 0 && !state.AtEof) {
    const std::int64_t left = state.BufCount - 1 - state.BufPos;  // bytes of this block not yet taken
    if (left <= 0) {
      NextByte(state);
      --count;
    } else {
      const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(left), count);
      state.BufPos += static_cast<std::int32_t>(n);
      count -= n;
    }
  }
}

void PrintCharacter(Fx& fx, std::uint8_t c, bool translated) {
  TRenderState& state = fx.State;
  // Past the right margin the printer goes on at the start of the next line.
  if (state.PosX > 0 && state.LeftMargin + state.PosX + fx.Cell > fx.RightMargin + kMarginTolerance) LineFeed(fx);
  if (fx.FontStale) SelectModeFont(fx);
  const bool box = !translated && c >= 0xB3 && c <= 0xDA;
  // A blank is drawn only to carry the underline or the strike-out line.
  if (box || c != ' ' || fx.Mode.Underline || fx.Mode.StrikeOut) {
    if (fx.SheetPending) BeginPendingSheet(fx);
    if (box) {
      DrawBoxCharacter(state, c);
    } else {
      DrawCharacter(state, c);
    }
  }
  // One column on, as MoveColumns moves, with the space ESC SP adds.
  state.Advance = 0;
  state.PosX += fx.Cell + fx.ExtraSpace;
  ++state.Column;
}

void BeginPendingSheet(Fx& fx) {
  TRenderState& state = fx.State;
  const double x = state.PosX;
  const double y = state.PosY;
  BeginNewPage(state);
  state.PosX = x;
  state.PosY = y;
  fx.SheetPending = false;
}

void ResetPrinter(Fx& fx) {
  ResetPrintModes(fx);
  ResetLinesAndForms(fx);
  ResetHorizontal(fx);
  ResetCharacterTables(fx);
  fx.ImageModes = {0, 1, 2, 3};
}

void FxDialect::Start(TRenderState& state) {
  ResetPrinter(fx_);
  state.PosY = state.TopMargin + fx_.TopOfPage;
}

void FxDialect::Byte(TRenderState& state, std::uint8_t c) {
  if (c >= 0x20 && c != 0x7F) {
    PrintCharacter(fx_, c, state.CharTranslated);
  } else if (c < 0x20) {
    if (auto act = Tables().Controls[c]) act(fx_);
  }
  // DEL: the printer's "delete the last character" cannot take back what is drawn; it is ignored.
}

}  // namespace prynda::escp
