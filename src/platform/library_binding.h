// Binding an outside library (the tariff engine, the service guide) by the
// names of its functions. Each library lists its exports once, in the order
// of lookup, with the status that reports each one missing; binding and the
// later check that a library is whole both read that list.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <tuple>

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

// One export: its name, the status when it is missing, and the member of
// the library's function table that holds it.
template <typename Functions, typename Fn>
struct Export {
  const char* name;
  int32_t missingStatus;
  Fn Functions::*slot;
};
template <typename Functions, typename Fn>
Export(const char*, int32_t, Fn Functions::*) -> Export<Functions, Fn>;

// Binds the exports in order and stops at the first missing one: 0 when
// all are bound, else that one's status.
template <typename Functions, typename... Fn>
int32_t BindExports(void* module, Functions& functions,
                    const std::tuple<Export<Functions, Fn>...>& exports) {
  int32_t missing = 0;
  auto bind = [&](const auto& e) {
    if (missing == 0 && !BindExport(module, e.name, functions.*e.slot)) missing = e.missingStatus;
  };
  std::apply([&](const auto&... e) { (bind(e), ...); }, exports);
  return missing;
}

// The status of the first export that is not bound; 0 when all are.
template <typename Functions, typename... Fn>
int32_t FirstUnboundExport(const Functions& functions,
                           const std::tuple<Export<Functions, Fn>...>& exports) {
  int32_t missing = 0;
  auto check = [&](const auto& e) {
    if (missing == 0 && functions.*e.slot == nullptr) missing = e.missingStatus;
  };
  std::apply([&](const auto&... e) { (check(e), ...); }, exports);
  return missing;
}

}  // namespace brant
