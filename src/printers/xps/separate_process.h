// Work done in a process of its own (fork), so that whatever it does - crash, abort, exhaust its
// memory or its time - ends only that process: its address space may grow by `memory` bytes over
// this process's (not under AddressSanitizer, whose shadow memory takes far more), its processor
// time is cut at `seconds`, and it is killed when four times as long and a minute have passed on
// the clock (a machine busy with other work) or the clock's own limit the caller gives, or when
// this process ends. It shares this process's open files; it ends without running exit handlers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace prynda {

// How the work ended.
struct SeparateEnd {
  bool Returned = false;
  std::string Report;      // what the work returned
  int Signal = 0;          // the signal that ended it, where one did
  bool OutOfTime = false;  // it was ended for taking longer than allowed
};

// Runs `work` in a child process; `work` must not raise. `clock_seconds`, where not 0, is the
// time on the clock it may take instead. Raises EPrinter when no process can be made.
SeparateEnd RunSeparately(const std::function<std::string()>& work, std::uint64_t memory, unsigned seconds,
                          unsigned clock_seconds = 0);

// Whether the memory of the work is limited: false under AddressSanitizer.
bool SeparateMemoryLimited();

}  // namespace prynda
