#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace prynda {

namespace {

std::string ErrorText(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string ExecutablePath(const std::string& fallback) {
  char buffer[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return (length == 0 || length >= sizeof buffer) ? fallback : std::string(buffer, length);
}

HiddenFile::~HiddenFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

bool HiddenFile::Create() {
  if (handle_ != -1) return false;
  char folder[MAX_PATH + 1];
  char name[MAX_PATH + 1];
  if (GetTempPathA(sizeof folder, folder) == 0 || GetTempFileNameA(folder, "prn", 0, name) == 0) return false;
  HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(name);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  path_ = name;
  return true;
}

bool HiddenFile::Write(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (handle_ == -1 || !WriteFile(AsHandle(handle_), bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

bool HiddenFile::TakeStandardInput() {
  if (!Create()) return false;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == INVALID_HANDLE_VALUE || input == nullptr) return false;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(input, buffer, sizeof buffer, &got, nullptr)) {
      return GetLastError() == ERROR_BROKEN_PIPE;  // the writer has closed its end
    }
    if (got == 0) return true;
    if (!Write(buffer, got)) return false;
  }
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  // Read access only; others may go on reading and writing the file.
  // Others may also remove it meanwhile: a copy of standard input is deleted as it is closed.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = size.QuadPart;
  return true;
}

std::int64_t InputFile::Read(void* buffer, std::size_t count) {
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &got, nullptr)) return -1;
  return got;
}

bool InputFile::Close() {
  if (handle_ == kClosed) return true;
  const bool closed = CloseHandle(AsHandle(handle_)) != 0;
  handle_ = kClosed;
  return closed;
}

bool ReplacingFile::Create(const std::string& path, Readers) {  // the folder's ACL decides the readers
  Discard();
  path_ = path;
  const std::filesystem::path target(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "~" + target.filename().string() + "." +
                             std::to_string(GetCurrentProcessId()) + "." + std::to_string(attempt) + ".tmp";
    const std::string temporary = (folder / name).string();
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(file);
      temporary_ = temporary;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  error_ = ErrorText(GetLastError());
  return false;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), bytes, chunk, &written, nullptr)) {
      error_ = ErrorText(GetLastError());
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool ReplacingFile::Commit() {
  const bool closed = CloseHandle(AsHandle(handle_)) != 0;
  handle_ = -1;
  if (!closed || !MoveFileExA(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error_ = ErrorText(GetLastError());
    return false;
  }
  temporary_.clear();
  return true;
}

ReplacingFile::NewName ReplacingFile::CommitAsNew(const std::string& path) {
  if (!closed_) {
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = -1;
    closed_ = true;
    if (!closed) {
      error_ = ErrorText(GetLastError());
      return NewName::Failed;
    }
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails where the name is taken.
  if (MoveFileExA(temporary_.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
    temporary_.clear();
    closed_ = false;
    return NewName::Committed;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return NewName::Taken;
  error_ = ErrorText(error);
  return NewName::Failed;
}

void ReplacingFile::Discard() noexcept {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
  closed_ = false;
  if (!temporary_.empty()) DeleteFileA(temporary_.c_str());
  temporary_.clear();
}

}  // namespace prynda
