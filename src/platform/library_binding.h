// Binding an outside library (the tariff engine, the service guide) by the
// names of its functions.
#pragma once

#include <dlfcn.h>

namespace brant {

// Looks one function up; a module handle of null has no functions (dlsym
// would otherwise search the whole process).
template <typename Fn>
bool BindExport(void* module, const char* name, Fn& function) {
  void* symbol = module ? dlsym(module, name) : nullptr;
  if (symbol == nullptr) return false;
  function = reinterpret_cast<Fn>(symbol);
  return true;
}

}  // namespace brant
