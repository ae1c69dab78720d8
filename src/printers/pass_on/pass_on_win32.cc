// Programs on Windows: CreateProcess with a command line quoted as programs read it back into
// their arguments, started suspended and put in a job object that holds its limits before it runs;
// the document as standard input, the output pipes looked into while waiting.
#include "printers/pass_on/pass_on.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "device/printer_error.h"
#include "platform/files.h"
#include "platform/stop_requests.h"
#include "printers/pass_on/program_box.h"

namespace prynda {

namespace {

constexpr std::size_t kMaxErrors = 65536;
constexpr DWORD kWaitMs = 20;  // how soon output and stop requests are seen while it runs

// One argument as the C runtime's command-line parser reads it back: in quotes when it has
// blanks or quotes (or is empty), backslashes doubled where a quote follows them.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + '"';
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }
  HANDLE* Out() { return &handle_; }
  void Close() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

std::string ErrorCode(DWORD error) { return "error " + std::to_string(error); }

// The job object a program runs in: its memory limited, every process in it ended with it when
// this goes; its completion port tells when a process of it met the memory limit.
class JobObject {
 public:
  explicit JobObject(const ProgramBox& box)
      : job_(CreateJobObjectA(nullptr, nullptr)), port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(box.MemoryBytes);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{job_.Get(), port_.Get()};
    if (job_.Get() == nullptr || port_.Get() == nullptr ||
        !SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !SetInformationJobObject(job_.Get(), JobObjectAssociateCompletionPortInformation, &port, sizeof port)) {
      throw EPrinter("Cannot make a job object for a program: " + ErrorCode(GetLastError()));
    }
  }
  HANDLE Get() const { return job_.Get(); }
  // Ends every process of it and waits (five seconds at most) until none holds a file of its folder.
  void EndAll() noexcept {
    TerminateJobObject(job_.Get(), 1);
    for (int wait = 0; wait < 500; ++wait) {
      JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
      if (!QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                     nullptr) ||
          accounting.ActiveProcesses == 0) {
        return;
      }
      Sleep(10);
    }
  }
  // Whether a process of it has met the memory limit so far.
  bool MemoryLimitMet() {
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    while (GetQueuedCompletionStatus(port_.Get(), &message, &key, &detail, 0)) {
      if (message == JOB_OBJECT_MSG_PROCESS_MEMORY_LIMIT || message == JOB_OBJECT_MSG_JOB_MEMORY_LIMIT) met_ = true;
    }
    return met_;
  }

 private:
  Handle job_;
  Handle port_;
  bool met_ = false;
};

// A started program in its job object; one still running when this goes (a failure, a limit
// passed, a stop request) is ended with every process of its job.
class Child {
 public:
  Child(const PROCESS_INFORMATION& info, JobObject& job) : process_(info.hProcess), job_(job) {
    CloseHandle(info.hThread);
  }
  ~Child() {
    if (process_ != nullptr) Stop();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  HANDLE Process() const { return process_; }
  bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  void Stop() noexcept {
    job_.EndAll();
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
    process_ = nullptr;
  }
  // Waits for its end, then ends whatever it left running in its job.
  int Wait() {
    WaitForSingleObject(process_, INFINITE);
    job_.EndAll();
    DWORD code = 1;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    return static_cast<int>(code);
  }

 private:
  HANDLE process_;
  JobObject& job_;
};

// Our environment with TEMP, TMP and TMPDIR naming `folder`, as a block for CreateProcess: sorted by
// name, whatever the letter case.
std::string BoxEnvironment(const std::string& folder) {
  const auto upper = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  };
  constexpr std::string_view kNames[] = {"TEMP", "TMP", "TMPDIR"};
  std::vector<std::string> variables;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
      const std::string_view variable = entry;
      const std::string name = upper(std::string(variable.substr(0, variable.find('=', 1))));  // "=C:=C:\\..." too
      if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) variables.emplace_back(variable);
    }
    FreeEnvironmentStringsA(block);
  }
  for (const std::string_view name : kNames) variables.push_back(std::string(name) + "=" + folder);
  std::sort(variables.begin(), variables.end(),
            [&](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
  std::string block;
  for (const std::string& variable : variables) block.append(variable).push_back('\0');
  block.push_back('\0');
  return block;
}

// Reads what the pipe holds without waiting for more; false once its writer is gone and it is empty.
bool Drain(Handle& pipe, std::vector<unsigned char>& buffer, const DocumentBytes& take, bool& got) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe.Get(), nullptr, 0, nullptr, &available, nullptr)) {
      pipe.Close();
      return false;
    }
    if (available == 0) return true;
    DWORD read = 0;
    const DWORD want = std::min<DWORD>(available, static_cast<DWORD>(buffer.size()));
    if (!ReadFile(pipe.Get(), buffer.data(), want, &read, nullptr) || read == 0) {
      pipe.Close();
      return false;
    }
    got = true;
    take(buffer.data(), read);
  }
}

}  // namespace

std::string MakeBoxFolder() {
  char base[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof base, base);
  if (length == 0 || length > MAX_PATH) {
    throw EPrinter("Cannot find the temporary folder: " + ErrorCode(GetLastError()));
  }
  // Its owner's alone, and what is made in it too, whatever the folder above allows.
  SECURITY_ATTRIBUTES owner_only{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;OW)", SDDL_REVISION_1,
                                                            &owner_only.lpSecurityDescriptor, nullptr)) {
    throw EPrinter("Cannot make a temporary folder: " + ErrorCode(GetLastError()));
  }
  struct Freed {
    void* descriptor;
    ~Freed() { LocalFree(descriptor); }
  } freed{owner_only.lpSecurityDescriptor};
  const unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
  for (unsigned long long attempt = 0; attempt < 100; ++attempt) {
    const std::string folder =
        std::string(base, length) + "prynda-program-" + std::to_string((seed + attempt * 7919) % 1000000000);
    if (CreateDirectoryA(folder.c_str(), &owner_only)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw EPrinter("Cannot make a temporary folder in " + std::string(base, length) + ": " + ErrorCode(GetLastError()));
}

std::optional<ProgramResult> RunProgramOnDocument(const std::vector<std::string>& args, const std::string& path,
                                                  std::uint64_t offset, const DocumentBytes& output,
                                                  const ProgramBox& box) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle input(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           &inherited, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (input.Get() == nullptr || !GetFileSizeEx(input.Get(), &size)) {
    throw EPrinter("Cannot read the document " + path + ": " + ErrorCode(GetLastError()));
  }
  LARGE_INTEGER start{};
  start.QuadPart = static_cast<LONGLONG>(offset);
  if (offset > static_cast<std::uint64_t>(size.QuadPart) ||
      !SetFilePointerEx(input.Get(), start, nullptr, FILE_BEGIN)) {
    throw EPrinter("The document " + path + " ends before byte " + std::to_string(offset));
  }
  Handle out_read, out_write, err_read, err_write;
  if (!CreatePipe(out_read.Out(), out_write.Out(), &inherited, 65536) ||
      !CreatePipe(err_read.Out(), err_write.Out(), &inherited, 65536)) {
    throw EPrinter("Cannot start " + args[0] + ": " + ErrorCode(GetLastError()));
  }
  // Only the program's ends are its own.
  SetHandleInformation(out_read.Get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read.Get(), HANDLE_FLAG_INHERIT, 0);

  std::string command;
  for (const std::string& arg : args) command += (command.empty() ? "" : " ") + Quoted(arg);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.Get();
  startup.hStdOutput = output ? out_write.Get() : err_write.Get();
  startup.hStdError = err_write.Get();
  // Destroyed in reverse: the program is ended before its folder goes.
  BoxFolder folder;
  BoxWatch watch(args[0], box, folder.Path());
  std::string environment = BoxEnvironment(folder.Path());
  JobObject job(box);
  PROCESS_INFORMATION info{};
  // On this console, so that Ctrl+C reaches it as it reaches us; it runs once it is in its job.
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, environment.data(), nullptr,
                      &startup, &info)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    throw EPrinter("Cannot start " + args[0] + ": " + ErrorCode(error));
  }
  if (!AssignProcessToJobObject(job.Get(), info.hProcess)) {
    const DWORD error = GetLastError();
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    throw EPrinter("Cannot limit " + args[0] + ": " + ErrorCode(error));
  }
  ResumeThread(info.hThread);
  Child child(info, job);
  input.Close();
  out_write.Close();
  err_write.Close();
  if (!output) out_read.Close();

  ProgramResult result;
  const DocumentBytes keep_output = [&](const unsigned char* data, std::size_t count) {
    watch.Output(count);
    output(data, count);
  };
  const DocumentBytes keep_errors = [&](const unsigned char* data, std::size_t count) {
    if (result.Errors.size() < kMaxErrors) {
      result.Errors.append(reinterpret_cast<const char*>(data), std::min(count, kMaxErrors - result.Errors.size()));
    }
  };
  std::vector<unsigned char> buffer(65536);
  for (;;) {
    if (const int request = StopRequest()) {
      child.Stop();
      RaiseJobStopped(request);
    }
    watch.Check();
    bool got = false;
    const bool running = child.Running();
    if (out_read.Get() != nullptr) Drain(out_read, buffer, keep_output, got);
    if (err_read.Get() != nullptr) Drain(err_read, buffer, keep_errors, got);
    // Once it has ended, what it wrote is all in the pipes, read above.
    if (!running || (out_read.Get() == nullptr && err_read.Get() == nullptr)) break;
    if (!got) WaitForSingleObject(child.Process(), static_cast<DWORD>(watch.WaitMs(kWaitMs)));
  }
  result.ExitCode = child.Wait();
  if (const int request = StopRequest()) RaiseJobStopped(request);
  watch.CheckFolder();
  if (job.MemoryLimitMet() || SaysOutOfMemory(result)) watch.Exceeded(ProgramLimit::Memory);
  return result;
}

namespace {

// A version's parts as numbers: "10.02.1" is newer than "9.56.1".
std::vector<long> VersionParts(const std::string& version) {
  std::vector<long> parts;
  for (std::size_t start = 0; start <= version.size();) {
    const std::size_t dot = std::min(version.find('.', start), version.size());
    parts.push_back(std::strtol(version.substr(start, dot - start).c_str(), nullptr, 10));
    start = dot + 1;
  }
  return parts;
}

// gswin64c.exe beside the GS_DLL of the newest version under the key, "" when there is none.
std::string RegisteredProgram(HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, "SOFTWARE\\GPL Ghostscript", 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return {};
  std::string found;
  std::vector<long> found_version;
  char version[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof version;
    if (RegEnumKeyExA(key, index, version, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    char dll[MAX_PATH * 2];
    DWORD dll_size = sizeof dll;
    if (RegGetValueA(key, version, "GS_DLL", RRF_RT_REG_SZ, nullptr, dll, &dll_size) != ERROR_SUCCESS) continue;
    std::string program(dll);
    const std::size_t slash = program.find_last_of("\\/");
    program = (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) + "gswin64c.exe";
    if (IsExistingFile(program) && (found.empty() || VersionParts(version) > found_version)) {
      found = program;
      found_version = VersionParts(version);
    }
  }
  RegCloseKey(key);
  return found;
}

}  // namespace

std::string GhostscriptProgram() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    if (std::string program = RegisteredProgram(root); !program.empty()) return program;
  }
  char found[MAX_PATH * 2];
  const DWORD length = SearchPathA(nullptr, "gswin64c.exe", nullptr, sizeof found, found, nullptr);
  return length > 0 && length < sizeof found ? std::string(found, length) : std::string();
}

const char* GhostscriptHint() { return "install GPL Ghostscript for 64-bit Windows (gswin64c.exe)"; }

}  // namespace prynda
