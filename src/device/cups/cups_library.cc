#include "device/cups/cups_library.h"

#include <dlfcn.h>

namespace prynda {

const CupsLibrary* Cups() {
  static const CupsLibrary* library = []() -> const CupsLibrary* {
    void* handle = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    static CupsLibrary functions;
#define PRYNDA_CUPS_LOAD(name)                                                     \
  functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));    \
  if (functions.name == nullptr) return nullptr;
    PRYNDA_CUPS_FUNCTIONS(PRYNDA_CUPS_LOAD)
#undef PRYNDA_CUPS_LOAD
    return &functions;  // the library stays loaded for the rest of the run
  }();
  return library;
}

}  // namespace prynda
