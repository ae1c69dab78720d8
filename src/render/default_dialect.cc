#include "render/default_dialect.h"

#include "render/box_drawing.h"
#include "render/escape_sequences.h"
#include "render/page_cycle.h"
#include "render/prefix_commands.h"

namespace prynda {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kPrefix = 0xFA;

void CarriageReturn(TRenderState& state) {
  state.PosX = 0.0;
  state.Column = 1;
}

}  // namespace

// ESC " S / T, or the prefix byte with L or P, possibly after one leading ESC l n.
TPrinterOrientation DefaultDialect::Orientation(TRenderState& state) {
  auto at = [&](int i) -> std::uint8_t {
    return i < state.BufCount ? state.Buffer[static_cast<std::size_t>(i)] : 0;
  };
  const int s = (at(0) == kEsc && at(1) == 'l') ? 3 : 0;
  if (at(s) == kEsc && at(s + 1) == '"') {
    const std::uint8_t letter = at(s + 2);
    if (letter == 'S' || letter == 's' || letter == 'T' || letter == 't') {
      state.BufPos = s + 2;
      return (letter == 'S' || letter == 's') ? TPrinterOrientation::Landscape : TPrinterOrientation::Portrait;
    }
  }
  if (at(s) == kPrefix && (at(s + 1) == 'L' || at(s + 1) == 'P')) {
    state.BufPos = s + 1;
    return at(s + 1) == 'L' ? TPrinterOrientation::Landscape : TPrinterOrientation::Portrait;
  }
  return TPrinterOrientation::Portrait;
}

void DefaultDialect::Byte(TRenderState& state, std::uint8_t c) {
  state.Handled = false;
  if (!state.CharTranslated && c >= 0xB3 && c <= 0xDA) DrawBoxCharacter(state, c);
  if (state.Handled) return;
  switch (c) {
    case 0x00:
      state.Advance = state.Settings.IgnoreNull ? 0 : 1;
      break;
    case 0x07:
      state.Printer.Beep();
      break;
    case 0x08:
      state.Advance = -1;
      break;
    case 0x09:
      state.Advance = static_cast<std::int32_t>(ColumnsToNextTab(state));
      break;
    case 0x0A:
      LineFeed(state);
      if (auto_cr_) CarriageReturn(state);
      break;
    case 0x0C:
      state.PageFull = true;
      break;
    case 0x0D:
      CarriageReturn(state);
      break;
    case kEsc:
      DoEscape(state);
      break;
    case kPrefix:
      DoPrefixCommand(state);
      break;
    default:
      if (c <= 0x20) {
        state.Advance = 1;  // the other control bytes and the blank: an empty column
      } else {
        DrawCharacter(state, c);
      }
  }
}

}  // namespace prynda
