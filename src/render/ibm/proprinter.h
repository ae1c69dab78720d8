// The IBM Proprinter language: the IBM Graphics Printer's and Proprinter's commands, and those of
// the printers that offer an IBM mode. Most of its commands mean what FX mode's do, byte for byte:
// it runs on FX mode's state, page model and command groups, with its own rows put over the rows
// whose meaning differs (ProprinterCommandTables) and the little state of its own kept beside them.
#pragma once

#include "render/escp/fx.h"

namespace prynda::ibm {

struct Proprinter : escp::Fx {
  Proprinter(TRenderState& state, const CodePage& job_table);

  double StoredSpacing = 0;    // ESC A n: the spacing ESC 2 sets, in device pixels; 0: none stored
  bool AutoLineFeed = false;   // ESC 5 1: every carriage return feeds a line too
  int LineFeeds = 1;           // ESC [ @: each line feed moves this many lines (1 or 2)
  bool Overline = false;       // ESC _ 1: a line over every character and blank printed
};

// FX mode's rows with the Proprinter's in place of the ones that differ.
const escp::CommandTables& ProprinterCommandTables();

// The power-on state of the Proprinter's own modes (the start of the job and ESC @).
void ResetProprinter(Proprinter& printer);

}  // namespace prynda::ibm
