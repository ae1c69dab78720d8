#include "render/input_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace prynda {

namespace {

bool IsFiller(std::uint8_t byte) {
  return byte == 10 || byte == 13 || byte == 26 || byte == 27 || byte == 32 || byte == 64;
}

}  // namespace

TRenderState::~TRenderState() {
  if (InputFile >= 0) ::close(InputFile);
}

void ReportFileError(TRenderState& state, std::string_view what) {
  state.Job.Console.Line("Błąd ", what, " pliku ", Raw{state.Job.InputFileName});
}

bool OpenInput(TRenderState& state) {
  state.BufPos = -1;
  state.AtEof = true;
  state.BufCount = 0;
  state.ReadFailed = false;
  state.Buffer.assign(kBlockSize, 0);
  // Read access is all the stream needs, so a read-only file prints too. A named pipe without a
  // writer must not hang the job: the open does not wait, and such a file has no size to print.
  const int fd = ::open(state.Job.InputFileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    if (fd >= 0) ::close(fd);
    ReportFileError(state, "otwarcia");
    state.Buffer.clear();
    state.Buffer.shrink_to_fit();
    return false;
  }
  state.InputFile = fd;
  state.InputSize = info.st_size;
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
  ssize_t count = 0;
  do {
    count = ::read(state.InputFile, state.Buffer.data(), kBlockSize);
  } while (count < 0 && errno == EINTR);
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
  bool closed = true;
  if (state.InputFile >= 0) closed = ::close(state.InputFile) == 0;
  state.InputFile = -1;
  state.Buffer.clear();
  state.Buffer.shrink_to_fit();
  return closed;
}

}  // namespace prynda
