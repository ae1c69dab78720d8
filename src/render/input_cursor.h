// The input cursor: the job's bytes read once, in blocks of 4095 bytes into one zeroed buffer, and
// handed out one at a time; the filler bytes at the very end can be trimmed (/TR). Read from the
// input file, or from memory in tests. A read error is reported on the console, ends the input
// and, while a document is open, cancels it. From the end of input on every read yields 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/printer.h"
#include "platform/console.h"
#include "platform/files.h"
#include "translation/code_page_table.h"

namespace prynda {

inline constexpr int kBlockSize = 4095;

using TInputFile = InputFile;

class InputCursor {
 public:
  // Reads the file at `path`. Errors are told on `console` naming `file_name`, and cancel the
  // document open on `printer`.
  InputCursor(TConsole& console, TPrinter& printer, std::string file_name, std::string path, bool truncate);
  InputCursor(TConsole& console, TPrinter& printer, const std::string& file_name, bool truncate)
      : InputCursor(console, printer, file_name, file_name, truncate) {}
  InputCursor(const InputCursor&) = delete;
  InputCursor& operator=(const InputCursor&) = delete;

  // Opens the file for reading; false (after reporting it) when it cannot be opened.
  bool OpenInput();
  // Reads `bytes` instead of a file; they must outlive the cursor.
  void OpenMemory(std::string_view bytes);
  // Loads the next block; see above for a read error.
  void ReadBlock();
  bool CloseInput();
  void ReportFileError(std::string_view what);

  std::uint8_t NextByte() {
    if (AtEof) return 0;
    if (BufPos >= BufCount - 1) {
      ReadBlock();
      if (AtEof) return 0;
    }
    ++BufPos;
    return Buffer[static_cast<std::size_t>(BufPos)];
  }
  // The next byte through the translation (our dialect's Polish letters to Windows-1250);
  // CharTranslated says whether it was one.
  std::uint8_t NextChar() {
    const std::uint8_t byte = NextByte();
    CharTranslated = Translation.Translated[byte];
    return Translation.Byte[byte];
  }
  // Takes `count` bytes unread; false when the input has ended.
  bool SkipBytes(std::uint64_t count);

  TInputFile InputFile;
  std::int64_t InputSize = 0;
  std::int64_t FilePos = 0;
  std::vector<std::uint8_t> Buffer;
  std::int32_t BufCount = 0;
  std::int32_t BufPos = -1;  // the byte handed out last; -1: none of this block yet
  bool AtEof = true;
  bool ReadFailed = false;
  bool CharTranslated = false;
  TTranslation Translation = IdentityTranslation();

 private:
  std::int64_t ReadSource(std::uint8_t* into);

  TConsole& console_;
  TPrinter& printer_;
  std::string file_name_;
  std::string path_;
  bool truncate_;
  std::optional<std::string_view> memory_;
};

}  // namespace prynda
