// Preloaded into the program by tests to make file access fail part-way, as a failing disk, a full
// disk or a vanished network share would:
//   PRYNDA_FAIL_READ_PATH, PRYNDA_FAIL_READ_AFTER: read() hands out that many bytes of the file,
//     then fails with EIO;
//   PRYNDA_FAIL_WRITE_DIR, PRYNDA_FAIL_WRITE_AFTER: write() takes that many bytes in all for files
//     in that folder, then fails with ENOSPC;
//   PRYNDA_FAIL_TMPFILE=1: unnamed files (O_TMPFILE) cannot be made, as on a file system without
//     them (EOPNOTSUPP).
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

using ReadFunction = ssize_t (*)(int, void*, size_t);
using WriteFunction = ssize_t (*)(int, const void*, size_t);

bool PathOf(int fd, char* target) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, PATH_MAX - 1);
  if (length <= 0) return false;
  target[length] = '\0';
  return true;
}

bool IsTheFile(int fd, const char* path) {
  char target[PATH_MAX];
  char wanted[PATH_MAX];
  if (!PathOf(fd, target)) return false;
  if (realpath(path, wanted) == nullptr) return strcmp(target, path) == 0;
  return strcmp(target, wanted) == 0;
}

bool IsInFolder(int fd, const char* folder) {
  char target[PATH_MAX];
  char wanted[PATH_MAX];
  if (!PathOf(fd, target) || realpath(folder, wanted) == nullptr) return false;
  const size_t length = strlen(wanted);
  return strncmp(target, wanted, length) == 0 && target[length] == '/';
}

long long read_out = 0;
long long written = 0;

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  static const auto real = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
  const char* path = getenv("PRYNDA_FAIL_READ_PATH");
  const char* after = getenv("PRYNDA_FAIL_READ_AFTER");
  if (fd <= 2 || path == nullptr || after == nullptr || !IsTheFile(fd, path)) return real(fd, buffer, count);
  const long long limit = atoll(after);
  if (read_out >= limit) {
    errno = EIO;
    return -1;
  }
  if (static_cast<long long>(count) > limit - read_out) count = static_cast<size_t>(limit - read_out);
  const ssize_t got = real(fd, buffer, count);
  if (got > 0) read_out += got;
  return got;
}

extern "C" ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto real = reinterpret_cast<WriteFunction>(dlsym(RTLD_NEXT, "write"));
  const char* folder = getenv("PRYNDA_FAIL_WRITE_DIR");
  const char* after = getenv("PRYNDA_FAIL_WRITE_AFTER");
  if (fd <= 2 || folder == nullptr || after == nullptr || !IsInFolder(fd, folder)) return real(fd, buffer, count);
  const long long limit = atoll(after);
  if (written >= limit) {
    errno = ENOSPC;
    return -1;
  }
  if (static_cast<long long>(count) > limit - written) count = static_cast<size_t>(limit - written);
  const ssize_t put = real(fd, buffer, count);
  if (put > 0) written += put;
  return put;
}

namespace {

using OpenFunction = int (*)(const char*, int, ...);

int OpenUnlessUnnamed(const char* name, const char* path, int flags, va_list rest) {
  const auto real = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, name));
  const mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, mode_t) : 0;
  const char* fail = getenv("PRYNDA_FAIL_TMPFILE");
  if ((flags & O_TMPFILE) == O_TMPFILE && fail != nullptr && strcmp(fail, "1") == 0) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return real(path, flags, mode);
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const int fd = OpenUnlessUnnamed("open", path, flags, rest);
  va_end(rest);
  return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const int fd = OpenUnlessUnnamed("open64", path, flags, rest);
  va_end(rest);
  return fd;
}
