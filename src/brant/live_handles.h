// The handles of the rating interface that are open: a tariff from its
// open to its close, options from their create to their destroy. A pointer
// a host passes is followed only when it is one of them, so that a handle
// closed, destroyed or never opened is refused with a status instead of
// being read. (A closed handle's address that a later open happens to get
// again names that later tariff.)
#pragma once

namespace brant::api {

enum class HandleKind { kTariff, kOptions };

// Records `handle` as open; false when memory could not be had.
bool AddLiveHandle(const void* handle, HandleKind kind);

// Forgets `handle`; false when it was not open as `kind`.
bool RemoveLiveHandle(const void* handle, HandleKind kind);

// Whether `handle` is open as `kind`. Any number of threads may ask at once.
bool IsLiveHandle(const void* handle, HandleKind kind);

}  // namespace brant::api
