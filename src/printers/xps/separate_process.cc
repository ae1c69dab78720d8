#include "printers/xps/separate_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>

#include "device/printer_error.h"

#if defined(__SANITIZE_ADDRESS__)
#define PRYNDA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PRYNDA_ADDRESS_SANITIZER 1
#endif
#endif

namespace prynda {

namespace {

#ifndef PRYNDA_ADDRESS_SANITIZER
// The address space this process takes now, in bytes.
std::uint64_t AddressSpace() {
  std::uint64_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}
#endif

void WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    done += static_cast<std::size_t>(written);
  }
}

[[noreturn]] void RunChild(const std::function<std::string()>& work, int report, pid_t parent, std::uint64_t memory,
                           unsigned seconds) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(1);
  // A crash ends the process at once, for this process to tell (no handler of a sanitizer's first).
  for (const int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) ::signal(crash, SIG_DFL);
  const rlimit time{seconds, seconds + 5};  // SIGXCPU, then SIGKILL
  ::setrlimit(RLIMIT_CPU, &time);
#ifndef PRYNDA_ADDRESS_SANITIZER
  const rlim_t space = AddressSpace() + memory;
  const rlimit address_space{space, space};
  ::setrlimit(RLIMIT_AS, &address_space);
#else
  (void)memory;
#endif
  WriteAll(report, work());
  ::_exit(0);
}

}  // namespace

bool SeparateMemoryLimited() {
#ifdef PRYNDA_ADDRESS_SANITIZER
  return false;
#else
  return true;
#endif
}

SeparateEnd RunSeparately(const std::function<std::string()>& work, std::uint64_t memory, unsigned seconds,
                          unsigned clock_seconds) {
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw EPrinter("Cannot make a pipe for drawing an XPS document");
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    throw EPrinter("Cannot start a process for drawing an XPS document");
  }
  if (child == 0) {
    ::close(report[0]);
    RunChild(work, report[1], parent, memory, seconds);
  }
  ::close(report[1]);

  SeparateEnd end;
  const std::uint64_t allowed = clock_seconds != 0 ? clock_seconds : 4 * std::uint64_t{seconds} + 60;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(allowed);
  for (char buffer[4096];;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready{report[0], POLLIN, 0};
    const int polled = left.count() > 0 ? ::poll(&ready, 1, static_cast<int>(left.count())) : 0;
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) {
      ::kill(child, SIGKILL);
      end.OutOfTime = true;
      break;
    }
    const ssize_t got = ::read(report[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    end.Report.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(report[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  end.Returned = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !end.OutOfTime;
  if (WIFSIGNALED(status)) end.Signal = WTERMSIG(status);
  end.OutOfTime = end.OutOfTime || end.Signal == SIGXCPU;
  return end;
}

}  // namespace prynda
