#include "printers/pass_on/program_box.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace prynda {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kBlock = 4096;
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

std::string LimitText(ProgramLimit limit, std::uint64_t value) {
  const std::string amount =
      value % kMiB == 0 ? std::to_string(value / kMiB) + " MiB" : std::to_string(value) + " bytes";
  switch (limit) {
    case ProgramLimit::Time:
      return "ran longer than its limit of " + std::to_string(value) + " s";
    case ProgramLimit::Memory:
      return "needed more memory than its limit of " + amount;
    case ProgramLimit::Output:
      return "wrote more than its limit of " + amount;
  }
  return "ran past a limit";
}

// What the folder holds, each file and folder in whole blocks; counting stops past `most`.
std::uint64_t FolderBytes(const std::string& folder, std::uint64_t most) {
  std::uint64_t total = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end && total <= most; it.increment(error)) {
    std::error_code size_error;
    const std::uint64_t size = it->is_regular_file(size_error) ? it->file_size(size_error) : 0;
    total += std::max(kBlock, size_error ? 0 : (size + kBlock - 1) / kBlock * kBlock);
  }
  return total;
}

}  // namespace

ProgramBox BoxFor(const TDocInfo& info) {
  ProgramBox box;
  box.Seconds = info.ProgramSeconds;
  return box;
}

ProgramLimitExceeded::ProgramLimitExceeded(const std::string& program, ProgramLimit limit, std::uint64_t value)
    : std::runtime_error(program + " " + LimitText(limit, value) + " and was ended"), limit_(limit), value_(value) {}

BoxFolder::~BoxFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
  if (!error) return;
  // A folder inside that its program made unwritable keeps what it holds: opened up, then removed.
  for (fs::recursive_directory_iterator it(path_, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, error);
}

BoxWatch::BoxWatch(const std::string& program, const ProgramBox& box, std::string folder)
    : program_(fs::path(program).filename().string()),
      box_(box),
      folder_(std::move(folder)),
      deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(box.Seconds)),
      next_look_(std::chrono::steady_clock::now() + std::chrono::seconds(1)) {}

void BoxWatch::Check() {
  const auto now = std::chrono::steady_clock::now();
  if (now >= deadline_) Exceeded(ProgramLimit::Time);
  if (now < next_look_) return;
  next_look_ = now + std::chrono::seconds(1);
  CheckFolder();
}

void BoxWatch::CheckFolder() {
  if (FolderBytes(folder_, box_.OutputBytes) > box_.OutputBytes) Exceeded(ProgramLimit::Output);
}

void BoxWatch::Output(std::size_t bytes) {
  output_ += bytes;
  if (output_ > box_.OutputBytes) Exceeded(ProgramLimit::Output);
}

int BoxWatch::WaitMs(int most) const {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, most));
}

void BoxWatch::Exceeded(ProgramLimit limit) const {
  const std::uint64_t value = limit == ProgramLimit::Time     ? static_cast<std::uint64_t>(box_.Seconds)
                              : limit == ProgramLimit::Memory ? box_.MemoryBytes
                                                              : box_.OutputBytes;
  throw ProgramLimitExceeded(program_, limit, value);
}

bool SaysOutOfMemory(const ProgramResult& result) {
  return result.ExitCode != 0 && result.Errors.find("/VMerror") != std::string::npos;
}

}  // namespace prynda
