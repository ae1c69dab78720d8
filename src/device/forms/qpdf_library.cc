#include "device/forms/qpdf_library.h"

#include <dlfcn.h>

namespace prynda {

const QpdfLibrary* Qpdf() {
  static const QpdfLibrary* library = []() -> const QpdfLibrary* {
    void* handle = ::dlopen("libqpdf.so.29", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    static QpdfLibrary functions;
#define PRYNDA_QPDF_LOAD(name)                                                     \
  functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));    \
  if (functions.name == nullptr) return nullptr;
    PRYNDA_QPDF_FUNCTIONS(PRYNDA_QPDF_LOAD)
#undef PRYNDA_QPDF_LOAD
    return &functions;  // the library stays loaded for the rest of the run
  }();
  return library;
}

}  // namespace prynda
