// The command line over arbitrary parameters (the fuzzer's bytes split at NUL): the option string,
// OptionNumber, the printer parameter and the option step.
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/recording_print_system.h"
#include "fuzz/fuzz_job.h"
#include "jobcontrol/options.h"

using namespace prynda;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> params = {"/opt/prynda/prynda", "plik.txt"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      params.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  params.push_back(current);
  const std::string options = BuildOptionString(params);
  if (options.size() > kMaxOptionStringLength) __builtin_trap();
  if (const auto printer = PrinterParameter(params); printer && printer->size() > kMaxPrinterNameLength) {
    __builtin_trap();
  }
  const std::int32_t number = OptionNumber(options, -1);
  if (number != -1 && (number < 1 || number > 999)) __builtin_trap();

  testing::RecordingPrintSystem system;
  fuzzing::FuzzJob fuzz(system);
  fuzz.job.Params = params;
  ApplyOptions(fuzz.job);
  const TJobSettings& s = fuzz.job.Settings;
  if (s.Copies < 1 || s.Copies > 999 || s.FrameWidth < 1 || s.FFNLines < 1 || s.TopMarginLines < 0) __builtin_trap();
  return 0;
}
