#include "brant/live_handles.h"

#include <mutex>
#include <new>
#include <shared_mutex>
#include <unordered_map>

namespace brant::api {
namespace {

struct Registry {
  std::shared_mutex lock;
  std::unordered_map<const void*, HandleKind> open;
};

// Never destroyed: a host may close its handles from its own exit handlers.
Registry& Handles() {
  static Registry* const registry = new Registry;
  return *registry;
}

}  // namespace

bool AddLiveHandle(const void* handle, HandleKind kind) {
  Registry& r = Handles();
  std::unique_lock guard(r.lock);
  try {
    r.open[handle] = kind;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool RemoveLiveHandle(const void* handle, HandleKind kind) {
  Registry& r = Handles();
  std::unique_lock guard(r.lock);
  const auto found = r.open.find(handle);
  if (found == r.open.end() || found->second != kind) return false;
  r.open.erase(found);
  return true;
}

bool IsLiveHandle(const void* handle, HandleKind kind) {
  Registry& r = Handles();
  std::shared_lock guard(r.lock);
  const auto found = r.open.find(handle);
  return found != r.open.end() && found->second == kind;
}

}  // namespace brant::api
