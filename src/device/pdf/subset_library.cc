#include "device/pdf/subset_library.h"

#include "device/pdf/font_subset.h"

#include <dlfcn.h>

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
  void* handle = ::dlopen("libharfbuzz-subset.so.0", RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    loaded.Failure = "The font subsetter (libharfbuzz-subset.so.0) cannot be loaded";
    return loaded;
  }
#define PRYNDA_SUBSET_LOAD(name)                                                               \
  loaded.Functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));         \
  if (loaded.Functions.name == nullptr) loaded.Failure = "The font subsetter lacks " #name;
  PRYNDA_SUBSET_FUNCTIONS(PRYNDA_SUBSET_LOAD)
#undef PRYNDA_SUBSET_LOAD
  return loaded;  // the library stays loaded for the rest of the run
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
