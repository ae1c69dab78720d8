// TRenderState: everything one rendering run knows - position, pitch, line spacing, font state,
// page flags and the input stream - passed by reference to the engine's operations. Lengths are
// device pixels of the printer; positions are doubles, rounded only when something is drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/canvas.h"
#include "device/files.h"
#include "device/printer.h"
#include "job/job_context.h"
#include "translation/code_page_table.h"

namespace prynda {

inline constexpr int kBlockSize = 4095;

using TInputFile = InputFile;

struct TRenderState {
  TRenderState(TJobContext& job, TCanvas& canvas)
      : Job(job), Settings(job.Settings), Printer(job.CurrentPrinter), Canvas(canvas) {}
  TRenderState(const TRenderState&) = delete;
  TRenderState& operator=(const TRenderState&) = delete;

  TJobContext& Job;
  const TJobSettings& Settings;
  TPrinter& Printer;
  TCanvas& Canvas;

  // Page and position.
  std::int64_t PageNo = 1;
  bool PageFull = false;
  double PosX = 0.0;
  double PosY = 0.0;
  std::int32_t LeftMargin = 0;
  std::int32_t TopMargin = 0;
  std::int64_t Column = 1;
  std::int32_t LineNo = 1;
  std::int32_t Advance = 0;
  bool Handled = false;

  // Device.
  std::int32_t DpiX = 0;
  std::int32_t DpiY = 0;
  std::int32_t PageHeight = 0;
  double FormLength = 0;  // the form asked for by the settings, device pixels; 0: the sheet's length
  bool ToldFormTooLong = false;
  TPrinterOrientation SavedOrientation = TPrinterOrientation::Portrait;
  std::int16_t SavedCopies = 1;

  // Pitch, lines and font.
  std::int32_t Pitch = 10000;  // thousandths of characters per inch
  std::int32_t LineSpacing = 0;
  std::int32_t FeedScale = 216;
  TFontStyles TextStyle = 0;
  TFontStyles BaseStyle = 0;
  std::int32_t BaseTextHeight = 0;
  std::int32_t BaselineShift = 0;
  bool Expanded = false;
  std::int32_t SavedPitch = 10000;

  // Input.
  TInputFile InputFile;
  std::int64_t InputSize = 0;
  std::int64_t FilePos = 0;
  std::vector<std::uint8_t> Buffer;
  std::int32_t BufCount = 0;
  std::int32_t BufPos = -1;
  bool AtEof = true;
  bool ReadFailed = false;
  bool CharTranslated = false;
  TTranslation Translation{};
};

}  // namespace prynda
