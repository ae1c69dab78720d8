#include "e2e/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace prynda::testing {

ProgramRun RunPrynda(const ProgramOptions& options) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe");
  std::vector<std::string> env_strings = {"PATH=/usr/bin:/bin", "LC_ALL=C", "HOME=/tmp",
                                          "CUPS_SERVER=/nonexistent/prynda-no-scheduler.sock"};
  for (const char* passed : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    if (const char* value = getenv(passed)) env_strings.push_back(std::string(passed) + "=" + value);
  }
  for (const auto& [key, value] : options.Env) {
    std::erase_if(env_strings, [&](const std::string& s) { return s.starts_with(key + "="); });
    env_strings.push_back(key + "=" + value);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(options.Executable.c_str()));
  for (const auto& arg : options.Args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);

  const auto started = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    if (options.NoStdin) {
      close(0);
    } else {
      dup2(in_pipe[0], 0);
    }
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    if (!options.WorkDir.empty() && chdir(options.WorkDir.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);

  ProgramRun run;
  std::size_t written = 0;
  int in_fd = in_pipe[1];
  int held_fd = -1;
  if (options.Input.empty()) {
    if (options.HoldStdin) {
      held_fd = in_fd;
    } else {
      close(in_fd);
    }
    in_fd = -1;
  } else {
    fcntl(in_fd, F_SETFL, O_NONBLOCK);
  }
  signal(SIGPIPE, SIG_IGN);
  std::thread side;
  if (options.WhileRunning) side = std::thread(options.WhileRunning);
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
    if (!out_open) fds[0].fd = -1;
    if (!err_open) fds[1].fd = -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        started + std::chrono::seconds(options.TimeoutSeconds) - std::chrono::steady_clock::now());
    // A program that hangs fails the test, not the suite.
    if (left.count() <= 0 || poll(fds, 3, static_cast<int>(left.count())) <= 0) break;
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        (i == 0 ? out_open : err_open) = false;
      } else {
        (i == 0 ? run.Out : run.Err).append(buffer, static_cast<std::size_t>(n));
        if (i == 0 && options.OnOutput) options.OnOutput(static_cast<int>(pid), run.Out);
      }
    }
    if (in_fd >= 0 && fds[2].revents != 0) {
      const ssize_t n = write(in_fd, options.Input.data() + written, options.Input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || written == options.Input.size()) {
        close(in_fd);
        in_fd = -1;
      }
    }
  }
  if (in_fd >= 0) close(in_fd);
  if (held_fd >= 0) close(held_fd);
  close(out_pipe[0]);
  close(err_pipe[0]);
  if (out_open || err_open) kill(pid, SIGKILL);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  run.PeakRssKb = usage.ru_maxrss;
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (side.joinable()) side.join();
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace prynda::testing
