#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace prynda {

bool IsExistingFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string ExecutablePath(const std::string& fallback) {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return fallback;
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  // A named pipe without a writer must not hang the job: the open does not wait (and such a file
  // has no size to print).
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  handle_ = fd;
  size_ = info.st_size;
  return true;
}

std::int64_t InputFile::Read(void* buffer, std::size_t count) {
  ssize_t got = 0;
  do {
    got = ::read(static_cast<int>(handle_), buffer, count);
  } while (got < 0 && errno == EINTR);
  return got;
}

bool InputFile::Close() {
  if (handle_ == kClosed) return true;
  const bool closed = ::close(static_cast<int>(handle_)) == 0;
  handle_ = kClosed;
  return closed;
}

namespace {

std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A new file's permissions: 0666 less the umask.
mode_t UserFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A file made by mkstemp (mode 0600) given its permissions (`mode`, or a new file's) and closed;
// false (errno set) where either fails, the file closed anyway.
bool CloseAsUserFile(int fd, mode_t mode) {
  if (::fchmod(fd, mode != 0 ? mode : UserFileMode()) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return false;
  }
  return ::close(fd) == 0;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t written = ::write(fd, data + done, size - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

HiddenFile::~HiddenFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool HiddenFile::Create() {
  if (handle_ >= 0) return false;
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder != nullptr && *folder == '/' ? folder : "/tmp") + "/prynda-XXXXXX";
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::unlink(path.c_str());
  handle_ = fd;
  path_ = DescriptorPath(fd);
  return true;
}

bool HiddenFile::Write(const void* data, std::size_t size) {
  return handle_ >= 0 && WriteAll(static_cast<int>(handle_), static_cast<const char*>(data), size);
}

bool HiddenFile::TakeStandardInput() {
  // Without standard input the file's own descriptor would take its number.
  if (::fcntl(STDIN_FILENO, F_GETFD) < 0 || !Create()) return false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!Write(buffer, static_cast<std::size_t>(n))) return false;
  }
}

namespace {

// ".NAME.XXXXXX" beside `target`, six random letters in place of the X's.
std::string HiddenName(const std::filesystem::path& target, bool pattern) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string hidden = "." + target.filename().string() + ".";
  if (pattern) return (folder / (hidden + "XXXXXX")).string();
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::mt19937_64 random(std::random_device{}() ^
                         static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int i = 0; i < 6; ++i) hidden += kLetters[random() % (sizeof kLetters - 1)];
  return (folder / hidden).string();
}

}  // namespace

bool ReplacingFile::Create(const std::string& path, Readers readers) {
  Discard();
  path_ = path;
  error_.clear();
  const std::filesystem::path target(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  mode_ = 0;
  if (readers == Readers::AsFolder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
      error_ = std::strerror(errno);
      return false;
    }
    mode_ = 0600 | (info.st_mode & 0044);
  }
#ifdef O_TMPFILE
  // The file takes its name only when it is complete (Commit links it in through /proc), so a
  // process killed meanwhile leaves nothing. Its mode is a new file's (0666 less the umask), or
  // the folder's readers'.
  const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (unnamed >= 0) {
    if (::access(DescriptorPath(unnamed).c_str(), F_OK) == 0 && (mode_ == 0 || ::fchmod(unnamed, mode_) == 0)) {
      handle_ = unnamed;
      unnamed_ = true;
      return true;
    }
    ::close(unnamed);  // no /proc to link it in by: a named temporary file instead
  }
#endif
  std::string pattern = HiddenName(target, true);
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  handle_ = fd;
  unnamed_ = false;
  temporary_ = pattern;
  return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
  if (WriteAll(static_cast<int>(handle_), static_cast<const char*>(data), size)) return true;
  error_ = std::strerror(errno);
  return false;
}

bool ReplacingFile::Commit() {
  const int fd = static_cast<int>(handle_);
  if (unnamed_) {
    // Straight to its name where none is there yet; else under a hidden name first and renamed
    // over the old file, which replaces it in one step.
    const std::string source = DescriptorPath(fd);
    bool linked = ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path_.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (!linked && errno == EEXIST) {
      for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
        const std::string hidden = HiddenName(std::filesystem::path(path_), false);
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          temporary_ = hidden;
        } else if (errno != EEXIST) {
          break;
        }
      }
      if (!temporary_.empty()) {
        linked = ::rename(temporary_.c_str(), path_.c_str()) == 0;
        const int failure = errno;
        if (!linked) ::unlink(temporary_.c_str());
        temporary_.clear();
        errno = failure;
      }
    }
    if (!linked) {
      error_ = std::strerror(errno);
      return false;  // Discard closes the unnamed file, and it is gone
    }
    handle_ = -1;
    if (::close(fd) != 0) {
      error_ = std::strerror(errno);
      ::unlink(path_.c_str());
      return false;
    }
    return true;
  }
  handle_ = -1;
  if (!CloseAsUserFile(fd, mode_)) {
    error_ = std::strerror(errno);
    return false;
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    error_ = std::strerror(errno);
    return false;
  }
  temporary_.clear();
  return true;
}

ReplacingFile::NewName ReplacingFile::CommitAsNew(const std::string& path) {
  const auto failed = [this] {
    error_ = std::strerror(errno);
    return NewName::Failed;
  };
  const int fd = static_cast<int>(handle_);
  if (unnamed_) {
    // linkat never replaces: a name that is there already is left as it is.
    if (::linkat(AT_FDCWD, DescriptorPath(fd).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      return errno == EEXIST ? NewName::Taken : failed();
    }
    handle_ = -1;
    if (::close(fd) != 0) {
      failed();
      ::unlink(path.c_str());
      return NewName::Failed;
    }
    return NewName::Committed;
  }
  if (!closed_) {
    handle_ = -1;
    closed_ = true;
    if (!CloseAsUserFile(fd, mode_)) return failed();
  }
  const auto named = [this] {
    ::unlink(temporary_.c_str());
    temporary_.clear();
    closed_ = false;
    return NewName::Committed;
  };
  // A second name for the file, then the temporary one removed: link fails where the name is taken.
  if (::link(temporary_.c_str(), path.c_str()) == 0) return named();
  if (errno == EEXIST) return NewName::Taken;
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOTSUP && errno != ENOSYS) return failed();
  // A file system without hard links (FAT, some network shares): a rename that does not replace,
  // else the name claimed by a new empty file that the rename then replaces.
  const auto renamed = [this] {
    temporary_.clear();
    closed_ = false;
    return NewName::Committed;
  };
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return renamed();
  if (errno == EEXIST) return NewName::Taken;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != ENOTSUP) return failed();
#endif
  const int claim = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (claim < 0) return errno == EEXIST ? NewName::Taken : failed();
  ::close(claim);
  if (::rename(temporary_.c_str(), path.c_str()) != 0) {
    failed();
    ::unlink(path.c_str());
    return NewName::Failed;
  }
  return renamed();
}

void ReplacingFile::Discard() noexcept {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  closed_ = false;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace prynda
