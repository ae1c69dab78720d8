// Printer control: the reset, the bell, and the commands that steer the mechanism or the data
// stream. What a sheet on today's printers has no use for is consumed and ignored, each with
// exactly its bytes.
#include "render/escp/fx.h"

namespace prynda::escp {

namespace {

void Reset(Fx& fx, const Args&) { ResetPrinter(fx); }
void Beep(Fx& fx) { fx.State.Printer.Beep(); }
void Ignore(Fx&) {}
void IgnoreCommand(Fx&, const Args&) {}

constexpr EscCommand kCommands[] = {
    {'@', 0, Reset},
    {'<', 0, IgnoreCommand},   // one line unidirectional
    {'U', 1, IgnoreCommand},   // unidirectional printing
    {'s', 1, IgnoreCommand},   // half speed
    {'8', 0, IgnoreCommand},   // paper-out detector off
    {'9', 0, IgnoreCommand},   // ... and on
    {0x19, 1, IgnoreCommand},  // ESC EM: cut-sheet feeder
    {'=', 0, IgnoreCommand},   // the eighth data bit set to 0, to 1, and back as sent: the file's
    {'>', 0, IgnoreCommand},   // letters are kept as they are
    {'#', 0, IgnoreCommand},
    {'i', 1, ImmediatePrintOrRasterLines},  // immediate print; in graphics mode raster lines
    {'a', 1, IgnoreCommand},   // justification (needs the whole line before it is printed)
    {'q', 1, IgnoreCommand},   // outline and shadow
    {'r', 1, SelectRibbonColor},  // the colour of raster graphics
    {'h', 1, IgnoreCommand},   // double or quadruple size (LQ printers)
    {'_', 1, IgnoreCommand},   // overscore (LQ printers)
};

constexpr ControlCode kControls[] = {
    {0x00, Ignore},  // NUL
    {0x07, Beep},    // BEL
    {0x11, Ignore},  // DC1: select the printer
    {0x13, Ignore},  // DC3: deselect it (followed by nothing here: dropping data would lose text)
    {0x18, Ignore},  // CAN: cancel the line, which is drawn already
};

}  // namespace

std::span<const EscCommand> PrinterControlCommands() { return kCommands; }
std::span<const ControlCode> PrinterControlCodes() { return kControls; }

}  // namespace prynda::escp
