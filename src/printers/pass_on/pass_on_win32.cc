// Programs on Windows: CreateProcess with a command line quoted as programs read it back into
// their arguments, the document as standard input, the output pipes looked into while waiting.
#include "printers/pass_on/pass_on.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "device/printer_error.h"
#include "platform/files.h"
#include "platform/stop_requests.h"

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

// A started program; one still running when this goes (a failure, a stop request) is ended.
class Child {
 public:
  explicit Child(const PROCESS_INFORMATION& info) : process_(info.hProcess) { CloseHandle(info.hThread); }
  ~Child() {
    if (process_ != nullptr) Stop();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  HANDLE Process() const { return process_; }
  bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  void Stop() noexcept {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
    process_ = nullptr;
  }
  int Wait() {
    WaitForSingleObject(process_, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    return static_cast<int>(code);
  }

 private:
  HANDLE process_;
};

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

std::string ErrorCode(DWORD error) { return "error " + std::to_string(error); }

}  // namespace

std::optional<ProgramResult> RunProgramOnDocument(const std::vector<std::string>& args, const std::string& path,
                                                  std::uint64_t offset, const DocumentBytes& output) {
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
  PROCESS_INFORMATION info{};
  // On this console, so that Ctrl+C reaches it as it reaches us.
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    throw EPrinter("Cannot start " + args[0] + ": " + ErrorCode(error));
  }
  Child child(info);
  input.Close();
  out_write.Close();
  err_write.Close();
  if (!output) out_read.Close();

  ProgramResult result;
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
    bool got = false;
    const bool running = child.Running();
    if (out_read.Get() != nullptr) Drain(out_read, buffer, output, got);
    if (err_read.Get() != nullptr) Drain(err_read, buffer, keep_errors, got);
    // Once it has ended, what it wrote is all in the pipes, read above.
    if (!running || (out_read.Get() == nullptr && err_read.Get() == nullptr)) break;
    if (!got) WaitForSingleObject(child.Process(), kWaitMs);
  }
  result.ExitCode = child.Wait();
  if (const int request = StopRequest()) RaiseJobStopped(request);
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
