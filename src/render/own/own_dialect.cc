#include "render/own/own_dialect.h"

#include "render/box_drawing.h"
#include "render/characters.h"
#include "render/page_cycle.h"

namespace prynda::own {

void LineFeed(OwnModes& own) {
  TRenderState& state = own.State;
  const TJobSettings& settings = state.Settings;
  // In page-height mode the page is full when the next line would not fit on it whole.
  const bool by_height = settings.ForceFF && !settings.FFLines;
  const bool passes = state.Page.FeedDown(state.Page.LineSpacing, by_height ? state.Page.PageHeight : kNoLimit);
  if (!settings.ForceFF) return;
  if (settings.FFLines) {
    ++own.LineNo;
    if (own.LineNo > settings.FFNLines) state.Page.PageFull = own.FedPastEnd = true;
  } else if (passes) {
    state.Page.PageFull = own.FedPastEnd = true;
  }
}

void ResetPageState(OwnModes& own) {
  own.LineNo = 1;
  own.Expanded = false;
  own.SavedPitch = kPitch10Cpi;
  ResetText(own.State);
}

std::int64_t ColumnsToNextTab(const TRenderState& state) {
  // Tab stops are the columns 1, 9, 17, ...
  return ((1 - state.Page.Column) % 8 + 8) % 8;
}

OwnDialect::OwnDialect(TRenderState& state, bool auto_cr, OwnText text, bool pages_when_printed)
    : own_(state, auto_cr, text, pages_when_printed) {
  if (text == OwnText::PolishLetters) state.Input.Translation = MakeTranslation(state.Settings.CodePage);
  if (text == OwnText::CodePage) own_.Upper = UpperHalf(JobCodePage(state.Job));
}

std::optional<OwnOrientation> OwnOrientationAt(std::span<const std::uint8_t> bytes) {
  auto at = [&](std::size_t i) -> std::uint8_t { return i < bytes.size() ? bytes[i] : 0; };
  const std::size_t s = (at(0) == kEsc && at(1) == 'l') ? 3 : 0;
  if (at(s) == kEsc && at(s + 1) == kQuoted) {
    const std::uint8_t letter = at(s + 2);
    if (letter == 'S' || letter == 's') return OwnOrientation{TPrinterOrientation::Landscape, s + 2};
    if (letter == 'T' || letter == 't') return OwnOrientation{TPrinterOrientation::Portrait, s + 2};
  }
  if (at(s) == kPrefix && (at(s + 1) == 'L' || at(s + 1) == 'P')) {
    return OwnOrientation{at(s + 1) == 'L' ? TPrinterOrientation::Landscape : TPrinterOrientation::Portrait, s + 1};
  }
  return std::nullopt;
}

TPrinterOrientation OwnDialect::Orientation() {
  InputCursor& input = own_.State.Input;
  const auto found = OwnOrientationAt(std::span(input.Buffer.data(), static_cast<std::size_t>(input.BufCount)));
  if (!found) return TPrinterOrientation::Portrait;
  input.BufPos = static_cast<int>(found->Letter);
  return found->Orientation;
}

void OwnDialect::Start() {
  TRenderState& state = own_.State;
  state.Page.FineUnits = state.Settings.Scale216 ? 216 : 180;
  ResetPageState(own_);
}

void OwnDialect::BeginNewPage() {
  PageModel& page = own_.State.Page;
  if (!own_.PagesWhenPrinted) {
    BeginPage(own_.State);
  } else {
    // The page waits for its first print; one asked for by a form feed while another still waits
    // is blank, but feeding on past the end of a waiting page makes no sheet (as in FX mode).
    if (own_.PageDeferred && !own_.FedPastEnd) BeginPage(own_.State);
    own_.PageDeferred = true;
    own_.FedPastEnd = false;
    page.PageFull = false;
  }
  page.PosY = page.TopMargin;
  page.CarriageReturn();
  own_.LineNo = 1;
}

std::int32_t OwnDialect::Byte(std::uint8_t c) {
  TRenderState& state = own_.State;
  if (state.Page.PageFull) BeginNewPage();
  if (own_.Text != OwnText::PolishLetters) {
    // A byte that breaks off a UTF-8 sequence stands for a character of its own.
    if (own_.Needed > 0 && (c < 0x80 || c >= 0xC0)) {
      own_.Needed = 0;
      MoveColumns(state, PrintCharacter(U'\uFFFD'));
    }
    if (c > 0x20 && c != kPrefix) return Text(c);
  } else if (!state.Input.CharTranslated && c >= 0xB3 && c <= 0xDA) {
    DrawBoxCharacter(state, c);
    return 1;
  }
  switch (c) {
    case 0x00: return state.Settings.IgnoreNull ? 0 : 1;
    case 0x07: state.Printer.Beep(); return 0;
    case 0x08: return -1;
    case 0x09: return static_cast<std::int32_t>(ColumnsToNextTab(state));
    case 0x0A:
      LineFeed(own_);
      if (own_.AutoCR) state.Page.CarriageReturn();
      return 0;
    case 0x0C: state.Page.PageFull = true; return 0;
    case 0x0D: state.Page.CarriageReturn(); return 0;
    case kEsc: DoEscape(own_); return 0;
    case kPrefix: DoPrefixCommand(own_); return 0;
    default:
      if (c <= 0x20) return 1;  // the other control bytes and the blank: an empty column
      DrawCharacter(state, c);
      return 1;
  }
}

std::int32_t OwnDialect::Text(std::uint8_t c) {
  if (c < 0x80) return PrintCharacter(c);
  if (own_.Text == OwnText::CodePage) return PrintCharacter(own_.Upper[c - 0x80u]);
  // UTF-8: a lead byte, then its continuation bytes; what cannot be one is a character of its own.
  if (c < 0xC0) {
    if (own_.Needed == 0) return PrintCharacter(U'\uFFFD');
    own_.Pending = (own_.Pending << 6) | (c & 0x3Fu);
    if (--own_.Needed > 0) return 0;
    const char32_t code = own_.Pending;
    const bool valid = code >= own_.Least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (code == 0xFEFF) return 0;  // the byte-order mark takes no room
    return PrintCharacter(valid ? code : U'\uFFFD');
  }
  if (c >= 0xF5 || c == 0xC0 || c == 0xC1) return PrintCharacter(U'\uFFFD');
  own_.Needed = c >= 0xF0 ? 3 : (c >= 0xE0 ? 2 : 1);
  own_.Least = own_.Needed == 3 ? 0x10000 : (own_.Needed == 2 ? 0x800 : 0x80);
  own_.Pending = c & (0x3Fu >> own_.Needed);
  return 0;
}

namespace {

// A character of the text as the canvas font draws it, and its width.
std::pair<char32_t, int> Measured(OwnModes& own, char32_t c) {
  TCanvas& canvas = own.State.Canvas;
  const bool kept = c < own.Widths.size();
  if (kept) {
    if (own.MeasuredFont != canvas.Font().Version()) {
      own.Widths.fill(-1);
      own.MeasuredFont = canvas.Font().Version();
    }
    if (own.Widths[c] >= 0) return {own.Drawn[c], own.Widths[c]};
  }
  const char32_t drawn = own.Missing.Drawable(canvas, c);
  const int width = canvas.MeasureUnicodeWidth(std::u32string_view(&drawn, 1));
  if (kept) {
    own.Drawn[c] = drawn;
    own.Widths[c] = width;
  }
  return {drawn, width};
}

}  // namespace

void OwnDialect::Finish() { own_.Missing.Report(own_.State.Job.Console); }

// A character of the text: a glyph centred in its cell, box-drawing lines, or a shade or block.
std::int32_t OwnDialect::PrintCharacter(char32_t c) {
  TRenderState& state = own_.State;
  const Character character = ClassifyCharacter(c);
  if (own_.PageDeferred && character.CodePoint != U' ') {
    BeginPage(state);
    own_.PageDeferred = false;
  }
  switch (character.Kind) {
    case CharacterKind::Box: DrawBoxCharacter(state, character.Detail); break;
    case CharacterKind::Block:
      DrawBlock(state, *BlockShapeOf(c), CellWidth(state), state.Page.LineSpacing);
      break;
    default:
      if (character.CodePoint != U' ') {
        const auto [drawn, width] = Measured(own_, character.CodePoint);
        DrawUnicodeOfWidth(state, drawn, width);
      }
  }
  return 1;
}

}  // namespace prynda::own
