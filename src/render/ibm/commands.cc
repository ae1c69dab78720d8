// The Proprinter's rows where its commands differ from FX mode's: 12 characters per inch by ESC :,
// the spacing ESC A stores and ESC 2 applies, automatic line feed, margins in columns by ESC X,
// the all-characters chart of ESC \ and ESC ^, the counted ESC [ commands (double height and width,
// the code page, the unit of fine feeds; the others skipped by their count), overline, and the
// commands FX mode reads with other lengths. Everything else is FX mode's row.
#include <string>
#include <utility>

#include "render/ibm/proprinter.h"

namespace prynda::ibm {

namespace {

using escp::Args;
using escp::ControlCode;
using escp::EscCommand;
using escp::Fx;

Proprinter& Of(Fx& fx) { return static_cast<Proprinter&>(fx); }  // every Fx these rows see is one

// The row FX mode has for ESC `code`: the Proprinter shares it under another code or length.
void (*FxAct(std::uint8_t code))(Fx&, const Args&) { return escp::FxCommandTables().Esc[code]->Act; }

void Reset(Fx& fx, const Args&) {
  escp::ResetPrinter(fx);
  ResetProprinter(Of(fx));
}

void SetPitch(Fx& fx, escp::BasePitch pitch) {
  fx.Mode.Condensed = false;
  fx.Mode.Pitch = pitch;
  escp::PrintModeChanged(fx);
}
void Elite(Fx& fx, const Args&) { SetPitch(fx, escp::BasePitch::Elite); }
// DC2: 10 characters per inch, ending condensed print and ESC : alike.
void Pica(Fx& fx) { SetPitch(fx, escp::BasePitch::Pica); }

void StoreSpacing(Fx& fx, const Args& args) { Of(fx).StoredSpacing = escp::PixelsY(fx, args[0], 72); }
void ApplySpacing(Fx& fx, const Args&) {
  const double stored = Of(fx).StoredSpacing;
  escp::SetLineSpacing(fx, stored > 0 ? stored : escp::PixelsY(fx, 1, 6));
}

// ESC 4: the top of form is where the paper stands. The sheet's own top stays the form's: programs
// send it at the top of the form, where it changes nothing.
void TopOfForm(Fx&, const Args&) {}

void AutomaticLineFeed(Fx& fx, const Args& args) {
  if (escp::IsOn(args[0]) || escp::IsOff(args[0])) Of(fx).AutoLineFeed = escp::IsOn(args[0]);
}
void CarriageReturn(Fx& fx) {
  if (Of(fx).AutoLineFeed) {
    escp::LineFeed(fx);  // its carriage return with it
  } else {
    escp::CarriageReturn(fx);
  }
}

void Overline(Fx& fx, const Args& args) {
  if (escp::IsOn(args[0]) || escp::IsOff(args[0])) Of(fx).Overline = escp::IsOn(args[0]);
}

void Margins(Fx& fx, const Args& args) {
  // Either order may be the one that fits between the margins in force.
  escp::SetRightMargin(fx, args[1]);
  escp::SetLeftMargin(fx, args[0]);
  escp::SetRightMargin(fx, args[1]);
}

void RestoreTabs(Fx& fx, const Args&) {
  escp::DefaultTabs(fx);
  fx.VerticalTabStops.clear();
  fx.VerticalTabState = escp::VerticalTabs::NeverSet;
}

// ESC \ nL nH and its data, ESC ^ and its one byte: printed from the all-characters chart, the
// PC's pictures for the control codes.
void ChartCharacters(Fx& fx, const Args& args) { escp::DataAsCharacters(fx, args[0] + 256u * args[1]); }
void ChartCharacter(Fx& fx, const Args&) { escp::DataAsCharacters(fx, 1); }

void SkipCounted(Fx& fx, const Args& args) { escp::Skip(fx, args[0] + 256u * args[1]); }
void ReverseLineFeed(Fx& fx, const Args&) { fx.State.Page.FeedUp(fx.State.Page.LineSpacing, 0.0); }
void Ignore(Fx&, const Args&) {}

// ESC % G / H: italic on and off; ESC % 5 n: n/144 inch down; ESC % 9 n: spacing n/144 inch.
void PercentCommand(Fx& fx, const Args& args) {
  switch (args[0]) {
    case 'G': FxAct('4')(fx, args); break;
    case 'H': FxAct('5')(fx, args); break;
    case '5':
    case '9': {
      const std::uint8_t n = escp::Next(fx);
      if (fx.State.Input.AtEof) return;
      if (args[0] == '5') {
        escp::Feed(fx, escp::PixelsY(fx, n, 144));
      } else {
        escp::SetLineSpacing(fx, escp::PixelsY(fx, n, 144));
      }
      break;
    }
    default: break;
  }
}

// ESC [ @: m3's high half the line feed (1 single, 2 double: the line spacing in force doubled or
// restored), its low half the height (1 normal, 2 double), m4's the width; 0 leaves each as it is.
void DoubleSize(Fx& fx, const std::array<std::uint8_t, 4>& data, std::uint32_t count) {
  Proprinter& printer = Of(fx);
  const int feeds = data[2] >> 4;
  if (count >= 3 && (feeds == 1 || feeds == 2) && feeds != printer.LineFeeds) {
    escp::SetLineSpacing(fx, fx.State.Page.LineSpacing * feeds / printer.LineFeeds);
    printer.LineFeeds = feeds;
  }
  const int height = data[2] & 0x0F;
  const int width = data[3] & 0x0F;
  if (count >= 3 && (height == 1 || height == 2)) fx.Mode.DoubleHeight = height == 2;
  if (count >= 4 && (width == 1 || width == 2)) fx.Mode.DoubleWidth = width == 2;
  escp::PrintModeChanged(fx);
}

// ESC [ T: the code page by its number in the last two bytes; one the registry lacks is named at
// the end of the job and the table in use stays.
constexpr std::pair<int, CodePageId> kCodePages[] = {
    {437, CodePageId::Pc437}, {850, CodePageId::Pc850}, {852, CodePageId::Pc852}, {855, CodePageId::Pc855},
    {857, CodePageId::Pc857}, {858, CodePageId::Pc858}, {860, CodePageId::Pc860}, {861, CodePageId::Pc861},
    {863, CodePageId::Pc863}, {865, CodePageId::Pc865}, {866, CodePageId::Pc866},
    {33 * 256 + 126, CodePageId::Mazovia},
};
void SelectCodePage(Fx& fx, const std::array<std::uint8_t, 4>& data, std::uint32_t count) {
  if (count < 4) return;
  const int number = data[2] * 256 + data[3];
  for (const auto& [page, id] : kCodePages) {
    if (page != number) continue;
    fx.TableSlots[fx.Table] = static_cast<int>(id);
    escp::UpdateCharacters(fx);
    return;
  }
  fx.State.Unprinted.Note("Strony kodowej " + std::to_string(number) + " (ESC [ T) nie znam, drukuję w poprzedniej");
}

// ESC [ \: the unit of ESC 3 and ESC J, 1/180 or 1/216 inch, in the last byte.
void FeedUnit(Fx& fx, const std::array<std::uint8_t, 4>& data, std::uint32_t count) {
  if (count >= 4 && (data[3] == 180 || data[3] == 216)) fx.State.Page.FineUnits = data[3];
}

// ESC [ c nL nH and its nL + 256 nH bytes.
void Bracket(Fx& fx, const Args& args) {
  const std::uint32_t count = args[1] + 256u * args[2];
  switch (args[0]) {
    case '@': DoubleSize(fx, escp::TakeCounted<4>(fx, count), count); break;
    case 'T': SelectCodePage(fx, escp::TakeCounted<4>(fx, count), count); break;
    case '\\': FeedUnit(fx, escp::TakeCounted<4>(fx, count), count); break;
    default: escp::Skip(fx, count); break;
  }
}

constexpr EscCommand kCommands[] = {
    {'@', 0, Reset},
    {':', 0, Elite},
    {'A', 1, StoreSpacing},
    {'2', 0, ApplySpacing},
    {'4', 0, TopOfForm},
    {'5', 1, AutomaticLineFeed},
    {'X', 2, Margins},
    {'_', 1, Overline},
    {'R', 0, RestoreTabs},
    {'\\', 2, ChartCharacters},
    {'^', 0, ChartCharacter},  // its byte is the chart's
    {'[', 3, Bracket},
    {'%', 1, PercentCommand},
    {'=', 2, SkipCounted},  // characters loaded into the printer: not drawn
    {']', 0, ReverseLineFeed},
    {'j', 0, Ignore},       // stop printing: the job goes on
    {'Q', 1, Ignore},       // deselect the printer (ESC Q SYN)
    {'d', 2, Ignore},       // a move right (later printers)
};

constexpr ControlCode kControls[] = {
    {0x0D, CarriageReturn},
    {0x12, Pica},  // DC2
};

}  // namespace

Proprinter::Proprinter(TRenderState& state, const CodePage& job_table)
    : Fx(state, false, job_table, ProprinterCommandTables()) {}

const escp::CommandTables& ProprinterCommandTables() {
  static const escp::CommandTables tables = [] {
    escp::CommandTables t = escp::FxCommandTables();
    t.Add(kCommands);
    t.Add(kControls);
    // ESC P n: proportional print on or off, as FX mode's ESC p.
    static const EscCommand kProportional[] = {{'P', 1, FxAct('p')}};
    t.Add(kProportional);
    return t;
  }();
  return tables;
}

void ResetProprinter(Proprinter& printer) {
  printer.StoredSpacing = 0;
  printer.AutoLineFeed = false;
  printer.Overline = false;
  printer.LineFeeds = 1;
  printer.State.Page.FineUnits = 216;  // ESC [ \ changes it
}

}  // namespace prynda::ibm
