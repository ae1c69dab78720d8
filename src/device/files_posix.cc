#include "device/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
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

bool ReplacingFile::Create(const std::string& path) {
  Discard();
  path_ = path;
  const std::filesystem::path target(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string hidden = ".";
  hidden += target.filename().string();
  hidden += ".XXXXXX";
  std::string pattern = (folder / hidden).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  handle_ = fd;
  temporary_ = pattern;
  return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(handle_), bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool ReplacingFile::Commit() {
  // A new file gets the permissions a new file of the user would have, not mkstemp's 0600.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (::fchmod(fd, 0666 & ~mask) != 0 || ::close(fd) != 0) {
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

void ReplacingFile::Discard() noexcept {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace prynda
