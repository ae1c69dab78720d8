// The seam between the page cycle and a printer language. RenderDocument makes one dialect per job
// and hands it every byte its loop takes; the dialect draws, moves and keeps its own modes. Call
// order: Orientation (first block read, no document yet), Start (page 1 begun, page state reset),
// then Byte for every byte and PageBegun after each new page, in the order they happen, then
// Finish once the input has ended.
#pragma once

#include <cstdint>
#include <memory>

#include "device/print_system.h"
#include "render/render_state.h"

namespace prynda {

class Dialect {
 public:
  virtual ~Dialect() = default;

  // The page orientation the file asks for in its first bytes; may move BufPos past the command.
  virtual TPrinterOrientation Orientation(TRenderState& state) = 0;
  virtual void Start(TRenderState& state) = 0;
  // One byte of the file as NextChar gave it (CharTranslated says whether it was a national letter).
  // Leaves in state.Advance the columns the loop moves afterwards.
  virtual void Byte(TRenderState& state, std::uint8_t c) = 0;
  // The last word of the job on the console, if the dialect has one.
  virtual void Finish(TRenderState&) {}
};

// The dialect the job's settings choose for this run: FX mode when asked for, else our own.
std::unique_ptr<Dialect> MakeDialect(TRenderState& state);

}  // namespace prynda
