// Programs on Linux: posix_spawnp, the document as standard input, poll on the output pipes.
#include "printers/pass_on/pass_on.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "device/printer_error.h"
#include "platform/stop_requests.h"

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

// A started program; one still running when this goes (a failure, a stop request) is ended:
// asked to (SIGTERM), then made to after two seconds.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0) Stop();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void Stop() noexcept {
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!Reaped(WNOHANG)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ::kill(pid_, SIGKILL);
        Reaped(0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = 0;
  }
  // Waits for its end: its exit code, or 128 + the signal that ended it; nullopt when nobody can
  // tell (it was reaped elsewhere).
  std::optional<int> Wait() {
    Reaped(0);
    pid_ = 0;
    if (!known_) return std::nullopt;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : WIFSIGNALED(status_) ? 128 + WTERMSIG(status_) : 1;
  }

 private:
  // True once it is gone: reaped here (its status known), or not a child to wait for any more.
  bool Reaped(int options) noexcept {
    for (;;) {
      const pid_t done = ::waitpid(pid_, &status_, options);
      if (done == pid_) return known_ = true;
      if (done < 0 && errno == EINTR) continue;
      return done < 0;
    }
  }

  pid_t pid_;
  int status_ = 0;
  bool known_ = false;
};

// `fd` moved above the standard descriptors, where a program run without some of them open put
// it: the program's own 0, 1 and 2 are made from it.
int AboveStandard(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  ::close(fd);
  return moved;
}

}  // namespace

std::optional<ProgramResult> RunProgramOnDocument(const std::vector<std::string>& args, const std::string& path,
                                                  std::uint64_t offset, const DocumentBytes& output) {
  Descriptor input(AboveStandard(::open(path.c_str(), O_RDONLY | O_CLOEXEC)));
  struct stat info {};
  if (input.Get() < 0 || ::fstat(input.Get(), &info) != 0) {
    throw EPrinter("Cannot read the document " + path + ": " + std::strerror(errno));
  }
  if (offset > static_cast<std::uint64_t>(info.st_size) ||
      ::lseek(input.Get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
    throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
  }
  const auto cannot_start = [&] { return EPrinter("Cannot start " + args[0] + ": " + std::strerror(errno)); };
  int out_pipe[2] = {-1, -1};
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) throw cannot_start();
  Descriptor out_read(AboveStandard(out_pipe[0])), out_write(AboveStandard(out_pipe[1]));
  int err_pipe[2] = {-1, -1};
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) throw cannot_start();
  Descriptor err_read(AboveStandard(err_pipe[0])), err_write(AboveStandard(err_pipe[1]));
  if (out_read.Get() < 0 || out_write.Get() < 0 || err_read.Get() < 0 || err_write.Get() < 0) throw cannot_start();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input.Get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output ? out_write.Get() : err_write.Get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_write.Get(), STDERR_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);  // nothing else of ours
#endif
  // The program starts with no signal blocked and SIGPIPE as it should be (this program ignores
  // it); our stop handlers are gone in it anyway, a signal ignored from the start (nohup) stays so.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int started = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (started == ENOENT) return std::nullopt;
  if (started != 0) throw EPrinter("Cannot start " + args[0] + ": " + std::strerror(started));
  Child child(pid);
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
    const int ready = ::poll(fds, count, kPollMs);
    if (const int request = StopRequest()) {
      child.Stop();
      RaiseJobStopped(request);
    }
    if (ready < 0 && errno != EINTR) throw EPrinter("Cannot follow " + args[0] + ": " + std::strerror(errno));
    for (nfds_t i = 0; ready > 0 && i < count; ++i) {
      if (fds[i].revents == 0) continue;
      ssize_t got = ::read(fds[i].fd, buffer.data(), buffer.size());
      if (got < 0 && errno == EINTR) continue;
      const bool is_output = fds[i].fd == out_read.Get();
      if (got <= 0) {
        (is_output ? out_read : err_read).Close();
      } else if (is_output) {
        output(buffer.data(), static_cast<std::size_t>(got));
      } else if (result.Errors.size() < kMaxErrors) {
        result.Errors.append(reinterpret_cast<const char*>(buffer.data()),
                             std::min<std::size_t>(static_cast<std::size_t>(got), kMaxErrors - result.Errors.size()));
      }
    }
  }
  const std::optional<int> exit_code = child.Wait();
  // A signal from the terminal reaches the program too: the request, not its end, is the news.
  if (const int request = StopRequest()) RaiseJobStopped(request);
  if (!exit_code) throw EPrinter("Cannot tell how " + args[0] + " ended");
  result.ExitCode = *exit_code;
  return result;
}

std::string GhostscriptProgram() { return "gs"; }

const char* GhostscriptHint() { return "install Debian's package ghostscript (apt install ghostscript)"; }

}  // namespace prynda
