// The seam between the render loop and a printer language. RenderDocument makes one dialect per
// job over its render state and hands it every byte its loop takes; the dialect draws, moves the
// head through the page model and keeps its own modes beside the state. Call order: Orientation
// (first block read, no document yet), Start (page 1 begun), then Byte for every byte, then Finish
// once the input has ended.
#pragma once

#include <cstdint>
#include <memory>

#include "device/print_system.h"
#include "render/render_state.h"

namespace prynda {

class Dialect {
 public:
  virtual ~Dialect() = default;

  // The page orientation the file asks for in its first bytes; may move Input.BufPos past the
  // command.
  virtual TPrinterOrientation Orientation() = 0;
  // The dialect's power-on state, with the page model set up for page 1.
  virtual void Start() = 0;
  // One byte of the input as NextChar gave it. Returns the columns the head moves after it (the
  // loop moves them at the pitch in force); a dialect that moves the head itself returns 0.
  virtual std::int32_t Byte(std::uint8_t c) = 0;
  // The last word of the job on the console, if the dialect has one.
  virtual void Finish() {}
};

// The dialect the job's settings choose for this run, over `state`, which must outlive it: FX mode
// or the Proprinter when asked for, else our own.
std::unique_ptr<Dialect> MakeDialect(TRenderState& state);

}  // namespace prynda
