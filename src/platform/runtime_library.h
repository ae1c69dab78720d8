// Libraries opened when a job first needs them (Linux): a job that never needs one never loads
// it, nor the libraries it pulls in, and a machine without it still prints all else.
//
// A library's functions are an X macro of their names, and its table a struct with a pointer of
// the same name for each:
//
//   #define FOO_FUNCTIONS(X) X(foo_open) X(foo_close)
//   struct FooLibrary { FOO_FUNCTIONS(PRYNDA_FUNCTION_POINTER) };
//   static FooLibrary foo;
//   static const bool loaded = PRYNDA_LOAD_LIBRARY("libfoo.so.1", FOO_FUNCTIONS, foo);
#pragma once

#include <dlfcn.h>

namespace prynda {

#define PRYNDA_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;

// Sets `function` to the library's function `name`; false where the library lacks it.
template <typename Function>
bool LoadFunction(void* handle, Function& function, const char* name) {
  function = reinterpret_cast<Function>(::dlsym(handle, name));
  return function != nullptr;
}

// Opens the library `soname` for the rest of the run and sets every function of `list` in
// `table`; true where the library is installed and has them all.
#define PRYNDA_LOAD_ONE_FUNCTION(name) whole = ::prynda::LoadFunction(handle, table_.name, #name) && whole;
#define PRYNDA_LOAD_LIBRARY(soname, list, table)                  \
  [](auto& table_) {                                              \
    void* handle = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);       \
    if (handle == nullptr) return false;                          \
    bool whole = true;                                            \
    list(PRYNDA_LOAD_ONE_FUNCTION) return whole;                  \
  }(table)

}  // namespace prynda
