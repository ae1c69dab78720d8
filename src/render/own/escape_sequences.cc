// The escape sequences: ESC and a code, the ones acted on and the ones whose arguments are only
// consumed; ESC " and a letter of its own.
#include "render/own/own.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace prynda::own {

namespace {

// The fine feeds move by whole pixels here.
double FeedPixels(const TRenderState& state, std::uint8_t n) { return std::trunc(state.Page.FinePixels(n)); }

Args ReadArguments(OwnModes& own, std::uint8_t count) {
  Args args{};
  for (std::uint8_t i = 0; i < count; ++i) args[i] = own.State.Input.NextByte();
  return args;
}

// A command's bytes, then what it does.
void Dispatch(OwnModes& own, const EscCommand* command) {
  if (command == nullptr) return;
  const Args args = ReadArguments(own, command->Arguments);
  if (command->Act != kSkipped) command->Act(own, args);
}

void FormFeed(OwnModes& own, const Args&) { own.State.Page.PageFull = true; }

// ESC " reads its letter as a character, as ESC reads its code.
void Quoted(OwnModes& own, const Args&) {
  Dispatch(own, FindRow(QuotedCommands(), own.State.Input.NextChar()));
}

void AbsolutePosition(OwnModes& own, const Args& args) {
  PageModel& page = own.State.Page;
  const std::int64_t sixtieths = args[0] + 256 * std::int64_t{args[1]};
  page.PosX = static_cast<double>(sixtieths * page.DpiX / 60);
}

void FeedForward(OwnModes& own, const Args& args) {
  TRenderState& state = own.State;
  // The page-height test, whenever /FF is given (the line-count mode too).
  const double bottom = state.Settings.ForceFF ? state.Page.PageHeight : kNoLimit;
  if (state.Page.FeedDown(FeedPixels(state, args[0]), bottom)) state.Page.PageFull = own.FedPastEnd = true;
}

void FeedBackward(OwnModes& own, const Args& args) {
  own.State.Page.FeedUp(FeedPixels(own.State, args[0]), -kNoLimit);
}

void LeftMargin(OwnModes& own, const Args& args) {
  PageModel& page = own.State.Page;
  page.LeftMargin = (page.DpiX / 10) * args[0];
}

// The box pen's width; 0: the job's frame width.
void PenWidth(OwnModes& own, const Args& args) {
  own.State.Canvas.Pen().SetWidth(args[0] == 0 ? own.State.Settings.FrameWidth : args[0]);
}

void TextColour(OwnModes& own, const Args& args) {
  own.State.Canvas.Font().SetColor(args[0] + 256 * args[1] + 65536 * args[2]);
}

constexpr EscCommand kCommands[] = {
    {0x0C, 0, FormFeed},  // ESC FF
    {kQuoted, 0, Quoted},  // its letter and that one's bytes
    {'$', 2, AbsolutePosition},
    {'J', 1, FeedForward},
    {'j', 1, FeedBackward},
    {'l', 1, LeftMargin},
    // Consumed with their bytes (ESC ( six of them, whatever they are).
    {'!', 1, kSkipped},
    {'(', 6, kSkipped},
    {'-', 1, kSkipped},
    {'I', 1, kSkipped},
    {'R', 1, kSkipped},
    {'S', 1, kSkipped},
    {'W', 1, kSkipped},
    {'_', 1, kSkipped},
    {'h', 1, kSkipped},
    {'p', 1, kSkipped},
    {'q', 1, kSkipped},
    {'t', 1, kSkipped},
    {'x', 1, kSkipped},
    {'~', 1, kSkipped},
};

// S, s, T and t (the orientation) act only at the very start of the file (OwnOrientationAt).
constexpr EscCommand kQuotedCommands[] = {
    {'F', 1, PenWidth},
    {'R', 3, TextColour},
    {'r', 3, TextColour},
};

constexpr bool FitArgs(std::span<const EscCommand> rows) {
  return std::ranges::all_of(rows, [](const EscCommand& row) { return row.Arguments <= Args().size(); });
}
static_assert(FitArgs(kCommands) && FitArgs(kQuotedCommands));

}  // namespace

std::span<const EscCommand> EscCommands() { return kCommands; }
std::span<const EscCommand> QuotedCommands() { return kQuotedCommands; }

std::size_t EscapeArguments(std::uint8_t code, std::uint8_t next) {
  const EscCommand* command = FindRow(EscCommands(), code);
  if (command == nullptr) return 0;
  if (code != kQuoted) return command->Arguments;
  const EscCommand* quoted = FindRow(QuotedCommands(), next);
  return 1 + (quoted == nullptr ? 0 : quoted->Arguments);
}

void DoEscape(OwnModes& own) {
  // None: only ESC and its code are consumed.
  Dispatch(own, FindRow(EscCommands(), own.State.Input.NextChar()));
}

}  // namespace prynda::own
