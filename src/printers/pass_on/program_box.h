// What the box of a program run on a job is made of on every platform (pass_on_posix.cc,
// pass_on_win32.cc): its temporary folder, and the watch over its time and output while it runs.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "printers/pass_on/pass_on.h"

namespace prynda {

// A new folder for one run below the system's temporary folder, its owner's alone; EPrinter when
// none can be made. Defined by the platform's file.
std::string MakeBoxFolder();

// The folder of one run, removed with everything in it when this goes.
class BoxFolder {
 public:
  BoxFolder() : path_(MakeBoxFolder()) {}
  ~BoxFolder();
  BoxFolder(const BoxFolder&) = delete;
  BoxFolder& operator=(const BoxFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The limits of a running program that this process counts: the clock, its standard output, what
// its folder holds. Each raises ProgramLimitExceeded once a limit is passed.
class BoxWatch {
 public:
  BoxWatch(const std::string& program, const ProgramBox& box, std::string folder);
  // The clock; the folder at most once a second.
  void Check();
  // What the folder holds.
  void CheckFolder();
  // Counts bytes written on standard output.
  void Output(std::size_t bytes);
  // Milliseconds to wait for the program at most: `most`, or less where its time ends sooner.
  int WaitMs(int most) const;
  [[noreturn]] void Exceeded(ProgramLimit limit) const;

 private:
  std::string program_;
  ProgramBox box_;
  std::string folder_;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::steady_clock::time_point next_look_;
  std::uint64_t output_ = 0;
};

// Whether a program that failed says that it ran out of memory (Ghostscript's VMerror).
bool SaysOutOfMemory(const ProgramResult& result);

}  // namespace prynda
