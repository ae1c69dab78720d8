// TRenderState: what every dialect of one rendering run shares, passed by reference to the
// engine's operations - the job and its printer, the canvas, the input cursor, the page model and
// the pitch and font state of the text. Each dialect keeps its own modes beside it. Lengths are
// device pixels of the printer; positions are doubles, rounded only when something is drawn.
#pragma once

#include <cstdint>
#include <string>

#include "device/canvas.h"
#include "device/printer.h"
#include "job/job_context.h"
#include "render/input_cursor.h"
#include "render/not_drawn.h"
#include "render/page_model.h"

namespace prynda {

// Thousandths of characters per inch.
inline constexpr std::int32_t kPitch10Cpi = 10000;

// The pitch and the font of the text: what a character's cell and baseline follow.
struct TextState {
  std::int32_t Pitch = kPitch10Cpi;  // halved while expanded or double width
  TFontStyles TextStyle = 0;         // laid on every font selected
  std::int32_t BaseTextHeight = 0;   // the height of "X" in the 10-cpi font, measured once
  std::int32_t BaselineShift = 0;    // added to PosY when a character is drawn
};

struct TRenderState {
  TRenderState(TJobContext& job, TCanvas& canvas)
      : Job(job), Settings(job.Settings), Printer(job.CurrentPrinter), Canvas(canvas),
        Input(job.Console, job.CurrentPrinter, job.InputFileName, job.InputPath(), job.Settings.Truncate) {}
  TRenderState(const TRenderState&) = delete;
  TRenderState& operator=(const TRenderState&) = delete;

  TJobContext& Job;
  const TJobSettings& Settings;
  TPrinter& Printer;
  TCanvas& Canvas;

  InputCursor Input;
  PageModel Page;
  TextState Text;
  NotDrawn Unprinted;  // said at the end of the job, after the dialect's own lines
};

}  // namespace prynda
