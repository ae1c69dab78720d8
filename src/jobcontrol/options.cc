#include "jobcontrol/options.h"

#include "jobcontrol/prynda_section.h"
#include "platform/name_list.h"

namespace prynda {

namespace {

constexpr std::string_view kPrinterOption = "/DR=";
constexpr std::string_view kBackgroundOption = "/BG=";

// Where "/BG=" begins in `param`, in any letter case (a path is no option to be upper-cased and
// searched: its E would delete the file), or npos.
std::size_t BackgroundAt(std::string_view param) {
  for (std::size_t i = 0; i + kBackgroundOption.size() <= param.size(); ++i) {
    if (SameTextIgnoringCase(param.substr(i, kBackgroundOption.size()), kBackgroundOption)) return i;
  }
  return std::string_view::npos;
}

// The rest of `options` after the first occurrence of `pattern`, or nullopt when it is absent.
std::optional<std::string_view> After(std::string_view options, std::string_view pattern) {
  const std::size_t found = options.find(pattern);
  if (found == std::string_view::npos) return std::nullopt;
  return options.substr(found + pattern.size());
}

}  // namespace

std::string BuildOptionString(const std::vector<std::string>& params) {
  std::string options;
  for (std::size_t i = 2; i < params.size() && options.size() < kMaxOptionStringLength; ++i) {
    if (params[i].find(kPrinterOption) != std::string::npos) continue;
    if (BackgroundAt(params[i]) != std::string_view::npos) continue;
    options += params[i];
    options += ' ';
  }
  if (options.size() > kMaxOptionStringLength) options.resize(kMaxOptionStringLength);
  std::size_t begin = 0;
  std::size_t end = options.size();
  while (begin < end && static_cast<unsigned char>(options[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(options[end - 1]) <= 32) --end;
  options = options.substr(begin, end - begin);
  for (char& c : options) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return options;
}

std::int32_t OptionNumber(std::string_view text, std::int32_t fallback) {
  std::int32_t value = 0;
  int kept = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (kept < 3) {
      value = value * 10 + (c - '0');
      ++kept;
    }
  }
  return (kept > 0 && value > 0) ? value : fallback;
}

std::optional<std::string> PrinterParameter(const std::vector<std::string>& params) {
  for (std::size_t i = 2; i < params.size(); ++i) {
    const std::size_t found = params[i].find(kPrinterOption);
    if (found == std::string::npos) continue;
    return params[i].substr(found + kPrinterOption.size(), kMaxPrinterNameLength);
  }
  return std::nullopt;
}

std::optional<std::string> BackgroundParameter(const std::vector<std::string>& params) {
  for (std::size_t i = 2; i < params.size(); ++i) {
    const std::size_t found = BackgroundAt(params[i]);
    if (found != std::string_view::npos) return params[i].substr(found + kBackgroundOption.size());
  }
  return std::nullopt;
}

void ApplyOptions(TJobContext& job) {
  const std::string options = BuildOptionString(job.Params);
  TJobSettings& settings = job.Settings;
  if (After(options, "/ST")) settings.ShowMessages = false;
  if (After(options, "/FF")) {
    settings.ForceFF = true;
    if (auto rest = After(options, "/FF=")) {
      settings.FFLines = true;
      settings.FFNLines = OptionNumber(*rest, 60);
    } else {
      settings.FFLines = false;
      settings.FFNLines = 60;
    }
  }
  job.PauseAtEnd = After(options, "/P ").has_value();
  if (After(options, "/TR")) settings.Truncate = true;
  if (After(options, "E")) settings.DeleteAfterPrint = true;
  if (After(options, "MAZ")) settings.CodePage = CodePageId::Mazovia;
  if (After(options, "180")) settings.Scale216 = false;
  if (auto rest = After(options, "K=")) settings.Copies = OptionNumber(*rest, 1);
  if (auto rest = After(options, "R=")) settings.FrameWidth = OptionNumber(*rest, 1);
  if (auto rest = After(options, "DY=")) settings.TopMarginLines = OptionNumber(*rest, 0);
  ApplyPryndaOptions(options, job.Prynda);
  if (auto background = BackgroundParameter(job.Params)) job.Prynda.Background = *background;
  // The 180 scale is that of the 24-pin printers: their units in FX mode.
  job.Prynda.Pins = settings.Scale216 ? 9 : 24;
}

}  // namespace prynda
