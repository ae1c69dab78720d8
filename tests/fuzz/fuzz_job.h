// What the fuzz targets share: a job over a given print system, its console on string streams, and
// an input file written from the fuzzer's bytes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "device/printer.h"
#include "job/job_context.h"
#include "jobcontrol/font_set.h"
#include "platform/console.h"

namespace prynda::fuzzing {

// A folder of this process's own for the files a target writes: in memory where the system has a
// tmpfs for it, since every execution writes its input there.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::string pattern = std::string(base) + "/prynda-fuzz-XXXXXX";
      if (::mkdtemp(pattern.data()) != nullptr) return pattern;
    }
    return std::string("/tmp");
  }();
  return folder;
}

inline std::string WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchFolder() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  return path;
}

struct FuzzJob {
  explicit FuzzJob(PrintSystem& system) : printer(system), job({ScratchFolder() + "/prynda", ""}, printer, console) {}

  std::ostringstream out;
  std::istringstream in;
  std::ostringstream err;
  TConsole console{out, in, err, 852};
  TPrinter printer;
  TJobContext job;
};

// Job settings from one byte of flags and one of numbers, so that every mode gets its turn.
inline void ChooseSettings(TJobContext& job, std::uint8_t flags, std::uint8_t number) {
  TJobSettings& settings = job.Settings;
  settings.CodePage = (flags & 1) ? CodePageId::Mazovia : CodePageId::Pc852;
  settings.Scale216 = (flags & 2) == 0;
  job.Prynda.Pins = settings.Scale216 ? 9 : 24;
  settings.ForceFF = (flags & 4) != 0;
  settings.FFLines = (flags & 8) != 0;
  settings.Truncate = (flags & 16) != 0;
  settings.IgnoreNull = (flags & 32) != 0;
  settings.ShowMessages = (flags & 64) != 0;
  settings.FFNLines = static_cast<std::int8_t>(number);  // negative and zero included
  settings.TopMarginLines = number % 7;
  settings.FrameWidth = number % 5;
  settings.Copies = 1 + number % 3;
}

}  // namespace prynda::fuzzing
