#include "render/input_stream.h"


namespace prynda {

namespace {

bool IsFiller(std::uint8_t byte) {
  return byte == 10 || byte == 13 || byte == 26 || byte == 27 || byte == 32 || byte == 64;
}

}  // namespace

void ReportFileError(TRenderState& state, std::string_view what) {
  state.Job.Console.Line("Błąd ", what, " pliku ", Raw{state.Job.InputFileName});
}

bool OpenInput(TRenderState& state) {
  state.BufPos = -1;
  state.AtEof = true;
  state.BufCount = 0;
  state.ReadFailed = false;
  state.Buffer.assign(kBlockSize, 0);
  // Read access is all the stream needs, so a read-only file prints too.
  if (!state.InputFile.Open(state.Job.InputFileName)) {
    ReportFileError(state, "otwarcia");
    state.Buffer.clear();
    state.Buffer.shrink_to_fit();
    return false;
  }
  state.InputSize = state.InputFile.Size();
  state.FilePos = 0;
  state.AtEof = false;
  return true;
}

void ReadBlock(TRenderState& state) {
  if (state.AtEof) return;
  state.BufPos = -1;
  if (state.FilePos >= state.InputSize) {
    state.AtEof = true;
    return;
  }
  const std::int64_t count = state.InputFile.Read(state.Buffer.data(), kBlockSize);
  // A file that ends before the size it had when it was opened has lost data: that is a read
  // error too, not a silent end of the printout.
  if (count <= 0) {
    state.AtEof = true;
    state.ReadFailed = true;
    ReportFileError(state, "odczytu z");
    if (state.Printer.IsPrinting()) state.Printer.AbortDocument();
    return;
  }
  state.FilePos += count;
  state.BufCount = static_cast<std::int32_t>(count);
  if (state.FilePos >= state.InputSize && state.Settings.Truncate) {
    while (state.BufCount > 0 && IsFiller(state.Buffer[static_cast<std::size_t>(state.BufCount - 1)])) {
      --state.BufCount;
    }
  }
  if (state.BufCount <= 0) state.AtEof = true;
}

bool SkipBytes(TRenderState& state, int count) {
  for (int i = 0; i < count; ++i) NextByte(state);
  return !state.AtEof;
}

bool CloseInput(TRenderState& state) {
  state.BufCount = 0;
  const bool closed = state.InputFile.Close();
  state.Buffer.clear();
  state.Buffer.shrink_to_fit();
  return closed;
}

}  // namespace prynda
