// Files as the program uses them, over the operating system's own calls (files_posix.cc,
// files_win32.cc). Paths are byte strings as the command line gave them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace prynda {

// True when `path` names an existing file that is not a folder.
bool IsExistingFile(const std::string& path);

// The running executable's full path; `fallback` (argv[0]) when the system cannot tell.
std::string ExecutablePath(const std::string& fallback);

// A file read from start to end in blocks: opened for reading only, other processes may read and
// write it meanwhile. The size is taken once, when it is opened.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool Open(const std::string& path);  // false when it cannot be opened or its size read
  bool IsOpen() const { return handle_ != kClosed; }
  std::int64_t Size() const { return size_; }
  // Bytes read into `buffer` (at most `count`): 0 at the end of the file, -1 when reading fails.
  std::int64_t Read(void* buffer, std::size_t count);
  bool Close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;  // a descriptor, or a HANDLE on Windows
  std::int64_t size_ = 0;
};

// A file that nobody else sees - unnamed on Linux, deleted as it is closed on Windows - written
// once, then read from the start as often as needed, and gone however the program ends: standard
// input kept so that it can be read again, a document made of the job for printing.
class HiddenFile {
 public:
  HiddenFile() = default;
  ~HiddenFile();
  HiddenFile(const HiddenFile&) = delete;
  HiddenFile& operator=(const HiddenFile&) = delete;

  // A new empty file in the system's temporary folder; false when none can be made.
  bool Create();
  // Appends `size` bytes; false when they cannot all be written.
  bool Write(const void* data, std::size_t size);
  // Creates the file and reads standard input to its end into it; false when it cannot be read or
  // kept.
  bool TakeStandardInput();
  // A path the file opens by (for reading, from its start) while this object lives.
  const std::string& Path() const { return path_; }

 private:
  std::intptr_t handle_ = -1;
  std::string path_;
};

// A file written beside its final place and put there only when it is complete, so that nobody
// ever sees half of it; discarded (removed) otherwise. On Linux it has no name until then (an
// unnamed file in the target folder), so that even a killed process leaves nothing behind; where
// the file system cannot make unnamed files, and on Windows, it is written under a hidden
// temporary name. Failures leave a text saying why in Error().
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { Discard(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Who may read the file once it is there: as any new file of the user's (the umask decides), or
  // whoever may read its folder - its group and the others as the folder has them, whatever the
  // umask (a print server's files in a folder shared with a group). Windows: as the folder's ACL.
  enum class Readers { AsUmask, AsFolder };
  bool Create(const std::string& path, Readers readers = Readers::AsUmask);
  bool Write(const void* data, std::size_t size);
  bool Commit();
  // Puts the complete file at `path` (in the folder given to Create) only where no file has that
  // name yet, decided in one step, so that of two processes naming files alike only one gets a
  // name: Taken leaves the file as it was, for another name to be tried.
  enum class NewName { Committed, Taken, Failed };
  NewName CommitAsNew(const std::string& path);
  void Discard() noexcept;
  const std::string& Error() const { return error_; }

 private:
  std::string path_;
  std::string temporary_;
  std::intptr_t handle_ = -1;
  bool unnamed_ = false;
  bool closed_ = false;  // a named temporary file, complete and closed, waiting for its name
  unsigned mode_ = 0;    // the permissions it takes; 0: a new file's (0666 less the umask)
  std::string error_;
};

}  // namespace prynda
