#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string_view>

#include "printers/pdf/pdf_check.h"
#include "printers/pdf/qpdf_document.h"
#include "printers/pdf/qpdf_library.h"

namespace prynda {

namespace {

// A file's bytes mapped for reading, as long as this lives.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() {
    if (data_ != nullptr) ::munmap(data_, size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False with errno set where the file cannot be opened or mapped; an empty file maps to nothing.
  bool Map(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    bool mapped = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    size_ = mapped ? static_cast<std::size_t>(status.st_size) : 0;
    if (mapped && size_ > 0) {
      void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      mapped = data != MAP_FAILED;
      data_ = mapped ? data : nullptr;
    }
    ::close(fd);
    return mapped;
  }
  std::string_view Bytes() const { return {static_cast<const char*>(data_), data_ != nullptr ? size_ : 0}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

PdfLimit LimitOf(PdfReadProblem problem) {
  switch (problem) {
    case PdfReadProblem::Objects:
      return PdfLimit::Objects;
    case PdfReadProblem::Pages:
      return PdfLimit::Pages;
    case PdfReadProblem::Decoding:
      return PdfLimit::Decoding;
    case PdfReadProblem::Time:
      return PdfLimit::Seconds;
    case PdfReadProblem::Damaged:
      break;
  }
  return PdfLimit::None;
}

PdfCheck Refused(PdfVerdict verdict, PdfLimit passed, std::string detail) {
  PdfCheck check;
  check.Verdict = verdict;
  check.Passed = passed;
  check.Detail = std::move(detail);
  return check;
}

}  // namespace

PdfCheck CheckPdf(const std::string& path, std::uint64_t offset, const PdfCheckLimits& limits) {
  if (Qpdf() == nullptr) return Refused(PdfVerdict::NoChecker, PdfLimit::None, "libqpdf.so.29 cannot be loaded");
  MappedFile file;
  if (!file.Map(path)) return Refused(PdfVerdict::Unreadable, PdfLimit::None, "the file cannot be read");
  std::string_view bytes = file.Bytes();
  if (offset >= bytes.size()) return Refused(PdfVerdict::Unreadable, PdfLimit::None, "nothing from the offset on");
  bytes.remove_prefix(static_cast<std::size_t>(offset));
  if (bytes.size() > limits.FileBytes) {
    return Refused(PdfVerdict::TooLarge, PdfLimit::FileBytes,
                   "more than " + std::to_string(limits.FileBytes) + " bytes");
  }
  const PdfReadLimits read{limits.Objects, limits.Pages, limits.ObjectStreamBytes,
                           PdfClock::now() + std::chrono::seconds(limits.Seconds)};
  DecodeBudget budget(limits.DecodedBytes);
  try {
    QpdfDocument document;
    document.Read(bytes, path, read, budget);
    PdfCheck check;
    check.Pages = document.CountPages(read);
    check.Verdict = PdfVerdict::Readable;
    return check;
  } catch (const PdfReadError& error) {
    const PdfLimit passed = LimitOf(error.Problem());
    return Refused(passed == PdfLimit::None ? PdfVerdict::Unreadable : PdfVerdict::TooLarge, passed, error.what());
  } catch (const std::exception& error) {
    return Refused(PdfVerdict::Unreadable, PdfLimit::None, error.what());  // memory ran out, say
  }
}

}  // namespace prynda
