#include "printers/fonts/subset_library.h"

#include "printers/fonts/font_subset.h"

#include <future>
#include <mutex>
#include <string>

#include "device/printer_error.h"

namespace prynda {

namespace {

// What opening the library found: its functions, or why there are none.
struct Loaded {
  SubsetLibrary Functions;
  std::string Failure;
};

Loaded Open() {
  Loaded loaded;
  if (!PRYNDA_LOAD_LIBRARY("libharfbuzz-subset.so.0", PRYNDA_SUBSET_FUNCTIONS, loaded.Functions)) {
    loaded.Failure = "The font subsetter (libharfbuzz-subset.so.0) cannot be loaded or is too old";
  }
  return loaded;
}

std::mutex opening;
std::shared_future<Loaded> library;

}  // namespace

void PreloadSubsetter() {
  std::lock_guard<std::mutex> lock(opening);
  if (!library.valid()) library = std::async(std::launch::async, Open).share();
}

const SubsetLibrary& Subsetter() {
  PreloadSubsetter();
  const Loaded& loaded = library.get();
  if (!loaded.Failure.empty()) throw EPrinter(loaded.Failure);
  return loaded.Functions;
}

}  // namespace prynda
