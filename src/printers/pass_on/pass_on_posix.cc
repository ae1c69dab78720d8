// Programs on Linux: fork and execve, the program's file looked up here first and nothing but
// async-signal-safe calls in the child, which sets its limits and its own process group before it
// becomes the program; the document as standard input, poll on the output pipes.
#include "printers/pass_on/pass_on.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>

#include "device/printer_error.h"
#include "platform/stop_requests.h"
#include "printers/pass_on/program_box.h"

extern char** environ;

namespace prynda {

namespace {

constexpr std::size_t kMaxErrors = 65536;
constexpr int kPollMs = 100;  // how soon a stop request is seen while the program says nothing

class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// A started program, the leader of its own process group. One still running when this goes (a
// failure, a limit passed, a stop request) is ended with all it started: asked to (SIGTERM), then
// made to after two seconds. The leader is reaped last, so that its group's number is never
// another's while this signals it.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0) Stop();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void Stop() noexcept {
    if (!gone_) ::kill(-pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!Ended(WNOHANG) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EndGroup();  // the leader too, where it did not end when asked
    Reap();
  }
  // True once the leader has ended (it waits to be reaped), or is no child to wait for any more.
  bool Ended(int options) noexcept {
    while (!ended_) {
      siginfo_t info{};
      if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT | options) == 0) {
        if (info.si_pid != pid_) return false;  // WNOHANG: still running
        ended_ = true;
      } else if (errno != EINTR) {
        ended_ = gone_ = true;
      }
    }
    return true;
  }
  // Once the leader has ended: whatever it left running in its group is killed, so that nothing
  // holds the pipes open.
  void EndGroup() noexcept {
    if (!gone_) ::kill(-pid_, SIGKILL);
  }
  // Waits for the leader's end, ends its group and reaps it: its exit code, or 128 + the signal
  // that ended it; nullopt when nobody can tell (it was reaped elsewhere).
  std::optional<int> Reap() noexcept {
    Ended(0);
    EndGroup();
    std::optional<int> code;
    if (!gone_) {
      int status = 0;
      rusage usage{};
      while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
      }
      code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
      peak_resident_ = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
    }
    pid_ = 0;
    return code;
  }
  std::uint64_t PeakResidentBytes() const { return peak_resident_; }

 private:
  pid_t pid_;
  bool ended_ = false;
  bool gone_ = false;
  std::uint64_t peak_resident_ = 0;
};

// `fd` moved above the standard descriptors, where a program run without some of them open put
// it: the program's own 0, 1 and 2 are made from it.
int AboveStandard(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  ::close(fd);
  return moved;
}

// The file execve is given: `name` where it is a path, else the first executable file of that
// name on PATH (the system's own path where PATH is not set); "" where there is none.
std::string ProgramFile(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  if (name.empty()) return {};
  const char* path = std::getenv("PATH");
  const std::string_view folders = path != nullptr ? path : "/bin:/usr/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    const std::size_t colon = std::min(folders.find(':', start), folders.size());
    const std::string_view folder = folders.substr(start, colon - start);
    const std::string file = (folder.empty() ? std::string(".") : std::string(folder)) + "/" + name;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(file.c_str(), X_OK) == 0) return file;
    start = colon + 1;
  }
  return {};
}

// Our environment with TMPDIR, TEMP and TMP naming `folder`.
std::vector<std::string> BoxEnvironment(const std::string& folder) {
  constexpr std::string_view kNames[] = {"TMPDIR", "TEMP", "TMP"};
  std::vector<std::string> variables;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view variable = *entry;
    const std::string_view name = variable.substr(0, variable.find('='));
    if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) variables.emplace_back(variable);
  }
  for (const std::string_view name : kNames) variables.push_back(std::string(name) + "=" + folder);
  return variables;
}

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// `value`, or less where this process may not raise the limit so far.
rlimit Bounded(int resource, std::uint64_t value) {
  rlimit current{};
  rlim_t wanted = static_cast<rlim_t>(value);
  if (::getrlimit(resource, &current) == 0 && current.rlim_max != RLIM_INFINITY) {
    wanted = std::min(wanted, current.rlim_max);
  }
  return rlimit{wanted, wanted};
}

// All the child needs, made before the fork.
struct ChildSetup {
  const char* file;
  char* const* argv;
  char* const* envp;
  int input, output, errors, report;  // report: where execve's failure is written (closed by it)
  pid_t parent;
  rlimit memory, file_size;
};

// In the child, between fork and execve: async-signal-safe calls only.
[[noreturn]] void BecomeProgram(const ChildSetup& setup) noexcept {
  ::setpgid(0, 0);
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // it does not outlive this process
  if (::getppid() == setup.parent && ::dup2(setup.input, STDIN_FILENO) >= 0 &&
      ::dup2(setup.output, STDOUT_FILENO) >= 0 && ::dup2(setup.errors, STDERR_FILENO) >= 0) {
    // Nothing else of ours; the report goes at execve.
    if (setup.report > STDERR_FILENO + 1) ::close_range(STDERR_FILENO + 1, static_cast<unsigned>(setup.report) - 1, 0);
    ::close_range(static_cast<unsigned>(setup.report) + 1, ~0U, 0);
    // No signal blocked, SIGPIPE as it should be (this program ignores it) and SIGXFSZ ending it
    // at the file size limit; our stop handlers go at execve anyway, a signal ignored from the
    // start (nohup) stays so.
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &default_action, nullptr);
    ::sigaction(SIGXFSZ, &default_action, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    if (::setrlimit(RLIMIT_AS, &setup.memory) == 0 && ::setrlimit(RLIMIT_FSIZE, &setup.file_size) == 0) {
      ::execve(setup.file, setup.argv, setup.envp);
    }
  }
  const int error = errno;
  [[maybe_unused]] const ssize_t written = ::write(setup.report, &error, sizeof error);
  ::_exit(127);
}

}  // namespace

std::string MakeBoxFolder() {
  std::error_code error;
  std::string base = std::filesystem::temp_directory_path(error).string();
  if (error || base.empty()) base = "/tmp";
  std::string folder = base + "/prynda-program-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {  // made 0700
    throw EPrinter("Cannot make a temporary folder in " + base + ": " + std::strerror(errno));
  }
  return folder;
}

std::optional<ProgramResult> RunProgramOnDocument(const std::vector<std::string>& args, const std::string& path,
                                                  std::uint64_t offset, const DocumentBytes& output,
                                                  const ProgramBox& box) {
  Descriptor input(AboveStandard(::open(path.c_str(), O_RDONLY | O_CLOEXEC)));
  struct stat info {};
  if (input.Get() < 0 || ::fstat(input.Get(), &info) != 0) {
    throw EPrinter("Cannot read the document " + path + ": " + std::strerror(errno));
  }
  if (offset > static_cast<std::uint64_t>(info.st_size) ||
      ::lseek(input.Get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
    throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
  }
  const std::string file = ProgramFile(args[0]);
  if (file.empty()) return std::nullopt;
  const auto cannot_start = [&] { return EPrinter("Cannot start " + args[0] + ": " + std::strerror(errno)); };
  int out_pipe[2] = {-1, -1};
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) throw cannot_start();
  Descriptor out_read(AboveStandard(out_pipe[0])), out_write(AboveStandard(out_pipe[1]));
  int err_pipe[2] = {-1, -1};
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) throw cannot_start();
  Descriptor err_read(AboveStandard(err_pipe[0])), err_write(AboveStandard(err_pipe[1]));
  int report_pipe[2] = {-1, -1};
  if (::pipe2(report_pipe, O_CLOEXEC) != 0) throw cannot_start();
  Descriptor report_read(AboveStandard(report_pipe[0])), report_write(AboveStandard(report_pipe[1]));
  if (out_read.Get() < 0 || out_write.Get() < 0 || err_read.Get() < 0 || err_write.Get() < 0 ||
      report_read.Get() < 0 || report_write.Get() < 0) {
    throw cannot_start();
  }

  // Destroyed in reverse: the program is ended before its folder goes.
  BoxFolder folder;
  BoxWatch watch(args[0], box, folder.Path());
  const std::vector<std::string> environment = BoxEnvironment(folder.Path());
  const std::vector<char*> argv = Pointers(args), envp = Pointers(environment);
  const ChildSetup setup{file.c_str(),
                         argv.data(),
                         envp.data(),
                         input.Get(),
                         output ? out_write.Get() : err_write.Get(),
                         err_write.Get(),
                         report_write.Get(),
                         ::getpid(),
                         Bounded(RLIMIT_AS, box.MemoryBytes),
                         Bounded(RLIMIT_FSIZE, box.OutputBytes)};
  const pid_t pid = ::fork();
  if (pid < 0) throw cannot_start();
  if (pid == 0) BecomeProgram(setup);
  ::setpgid(pid, pid);  // as the child does, whichever comes first
  Child child(pid);
  report_write.Close();
  int exec_error = 0;
  ssize_t got_report = 0;
  while ((got_report = ::read(report_read.Get(), &exec_error, sizeof exec_error)) < 0 && errno == EINTR) {
  }
  if (got_report == sizeof exec_error) {
    child.Reap();
    if (exec_error == ENOENT || exec_error == ENOTDIR) return std::nullopt;
    throw EPrinter("Cannot start " + args[0] + ": " + std::strerror(exec_error));
  }
  input.Close();
  out_write.Close();
  err_write.Close();
  if (!output) out_read.Close();

  ProgramResult result;
  std::vector<unsigned char> buffer(65536);
  for (;;) {
    pollfd fds[2];
    nfds_t count = 0;
    if (out_read.Get() >= 0) fds[count++] = pollfd{out_read.Get(), POLLIN, 0};
    if (err_read.Get() >= 0) fds[count++] = pollfd{err_read.Get(), POLLIN, 0};
    if (count == 0) break;
    const int ready = ::poll(fds, count, watch.WaitMs(kPollMs));
    if (const int request = StopRequest()) {
      child.Stop();
      RaiseJobStopped(request);
    }
    if (ready < 0 && errno != EINTR) throw EPrinter("Cannot follow " + args[0] + ": " + std::strerror(errno));
    watch.Check();
    if (child.Ended(WNOHANG)) child.EndGroup();
    for (nfds_t i = 0; ready > 0 && i < count; ++i) {
      if (fds[i].revents == 0) continue;
      ssize_t got = ::read(fds[i].fd, buffer.data(), buffer.size());
      if (got < 0 && errno == EINTR) continue;
      const bool is_output = fds[i].fd == out_read.Get();
      if (got <= 0) {
        (is_output ? out_read : err_read).Close();
      } else if (is_output) {
        watch.Output(static_cast<std::size_t>(got));
        output(buffer.data(), static_cast<std::size_t>(got));
      } else if (result.Errors.size() < kMaxErrors) {
        result.Errors.append(reinterpret_cast<const char*>(buffer.data()),
                             std::min<std::size_t>(static_cast<std::size_t>(got), kMaxErrors - result.Errors.size()));
      }
    }
  }
  const std::optional<int> exit_code = child.Reap();
  // A request that came as it ended: the request, not its end, is the news.
  if (const int request = StopRequest()) RaiseJobStopped(request);
  if (!exit_code) throw EPrinter("Cannot tell how " + args[0] + " ended");
  result.ExitCode = *exit_code;
  watch.CheckFolder();
  if (result.ExitCode == 128 + SIGXFSZ) watch.Exceeded(ProgramLimit::Output);
  // Out of its address space, a program says so, or crashes where it did not look.
  const bool crashed = result.ExitCode == 128 + SIGSEGV || result.ExitCode == 128 + SIGBUS ||
                       result.ExitCode == 128 + SIGABRT;
  if (SaysOutOfMemory(result) || (crashed && child.PeakResidentBytes() >= box.MemoryBytes / 2)) {
    watch.Exceeded(ProgramLimit::Memory);
  }
  return result;
}

std::string GhostscriptProgram() { return "gs"; }

const char* GhostscriptHint() { return "install Debian's package ghostscript (apt install ghostscript)"; }

}  // namespace prynda
