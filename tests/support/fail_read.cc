// Preloaded into the program by tests to make reading one file fail part-way, as a failing disk
// or a vanished network share would: PRYNDA_FAIL_READ_PATH names the file, PRYNDA_FAIL_READ_AFTER
// how many of its bytes read() hands out before it fails with EIO.
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

using ReadFunction = ssize_t (*)(int, void*, size_t);

bool IsTheFile(int fd, const char* path) {
  char link[64];
  char target[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, sizeof target - 1);
  if (length <= 0) return false;
  target[length] = '\0';
  char wanted[PATH_MAX];
  if (realpath(path, wanted) == nullptr) return strcmp(target, path) == 0;
  return strcmp(target, wanted) == 0;
}

long long handed_out = 0;

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  static const auto real = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
  const char* path = getenv("PRYNDA_FAIL_READ_PATH");
  const char* after = getenv("PRYNDA_FAIL_READ_AFTER");
  if (fd <= 2 || path == nullptr || after == nullptr || !IsTheFile(fd, path)) return real(fd, buffer, count);
  const long long limit = atoll(after);
  if (handed_out >= limit) {
    errno = EIO;
    return -1;
  }
  if (static_cast<long long>(count) > limit - handed_out) count = static_cast<size_t>(limit - handed_out);
  const ssize_t got = real(fd, buffer, count);
  if (got > 0) handed_out += got;
  return got;
}
