// The command-line options: built into one trimmed, upper-case option string (at most 255 bytes,
// "/DR=" and "/BG=" parameters left out) and found in it by plain substring search, first
// occurrence winning.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_context.h"

namespace prynda {

inline constexpr std::size_t kMaxOptionStringLength = 255;
inline constexpr std::size_t kMaxPrinterNameLength = 255;

// From parameters 2 and on (params[0] is the executable, params[1] the file).
std::string BuildOptionString(const std::vector<std::string>& params);
// At most three leading digits of `text`; `fallback` when there are none or they make 0.
std::int32_t OptionNumber(std::string_view text, std::int32_t fallback);
// The printer named by the first parameter (2 and on) holding "/DR=": the rest after it, not
// trimmed, at most 255 bytes.
std::optional<std::string> PrinterParameter(const std::vector<std::string>& params);
// The form's file named by the first parameter (2 and on) holding "/BG=" in any letter case: the
// rest after it, exactly as written.
std::optional<std::string> BackgroundParameter(const std::vector<std::string>& params);
// The option step: writes the job settings and PauseAtEnd.
void ApplyOptions(TJobContext& job);

}  // namespace prynda
