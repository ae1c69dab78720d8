#include "render/input_cursor.h"

#include <algorithm>
#include <cstring>

namespace prynda {

namespace {

bool IsFiller(std::uint8_t byte) {
  return byte == 10 || byte == 13 || byte == 26 || byte == 27 || byte == 32 || byte == 64;
}

}  // namespace

InputCursor::InputCursor(TConsole& console, TPrinter& printer, std::string file_name, std::string path, bool truncate)
    : console_(console), printer_(printer), file_name_(std::move(file_name)), path_(std::move(path)), truncate_(truncate) {}

void InputCursor::ReportFileError(std::string_view what) {
  console_.Line("Błąd ", what, " pliku ", Raw{file_name_});
}

bool InputCursor::OpenInput() {
  BufPos = -1;
  AtEof = true;
  BufCount = 0;
  ReadFailed = false;
  Buffer.assign(kBlockSize, 0);
  // Read access is all the cursor needs, so a read-only file prints too.
  if (!InputFile.Open(path_)) {
    ReportFileError("otwarcia");
    Buffer.clear();
    Buffer.shrink_to_fit();
    return false;
  }
  InputSize = InputFile.Size();
  FilePos = 0;
  AtEof = false;
  return true;
}

void InputCursor::OpenMemory(std::string_view bytes) {
  memory_ = bytes;
  BufPos = -1;
  BufCount = 0;
  ReadFailed = false;
  Buffer.assign(kBlockSize, 0);
  InputSize = static_cast<std::int64_t>(bytes.size());
  FilePos = 0;
  AtEof = false;
}

std::int64_t InputCursor::ReadSource(std::uint8_t* into) {
  if (!memory_) return InputFile.Read(into, kBlockSize);
  const auto count = std::min<std::int64_t>(kBlockSize, InputSize - FilePos);
  std::memcpy(into, memory_->data() + FilePos, static_cast<std::size_t>(count));
  return count;
}

void InputCursor::ReadBlock() {
  if (AtEof) return;
  BufPos = -1;
  if (FilePos >= InputSize) {
    AtEof = true;
    return;
  }
  const std::int64_t count = ReadSource(Buffer.data());
  // A file that ends before the size it had when it was opened has lost data: that is a read
  // error too, not a silent end of the printout.
  if (count <= 0) {
    AtEof = true;
    ReadFailed = true;
    ReportFileError("odczytu z");
    if (printer_.IsPrinting()) printer_.AbortDocument();
    return;
  }
  FilePos += count;
  BufCount = static_cast<std::int32_t>(count);
  if (FilePos >= InputSize && truncate_) {
    while (BufCount > 0 && IsFiller(Buffer[static_cast<std::size_t>(BufCount - 1)])) --BufCount;
  }
  if (BufCount <= 0) AtEof = true;
}

bool InputCursor::SkipBytes(std::uint64_t count) {
  // Within a block the bytes are passed over at once; the block after is read as NextByte reads it.
  while (count > 0 && !AtEof) {
    const std::int64_t left = BufCount - 1 - BufPos;
    if (left <= 0) {
      NextByte();
      --count;
    } else {
      const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(left), count);
      BufPos += static_cast<std::int32_t>(n);
      count -= n;
    }
  }
  return !AtEof;
}

bool InputCursor::CloseInput() {
  BufCount = 0;
  const bool closed = memory_ ? true : InputFile.Close();
  Buffer.clear();
  Buffer.shrink_to_fit();
  return closed;
}

}  // namespace prynda
