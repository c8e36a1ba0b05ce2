#include "platform/hooks.h"

#include <brantfunc/brantfunc.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace brant {
namespace {

// A hook and its user data change together, so they sit under one lock; the
// lock is not held while the hook runs, so a hook may install another.
struct Hooks {
  std::mutex lock;
  BrantMessageBoxHook messageBox = nullptr;
  void* messageBoxData = nullptr;
  BrantQuitHook quit = nullptr;
  void* quitData = nullptr;
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

std::atomic<int32_t> lastQuitCode{0};

thread_local MessageCapture* activeCapture = nullptr;

int32_t DefaultMessageBox(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return BRANT_IDOK;
}

}  // namespace

MessageCapture::MessageCapture() : outer_(activeCapture) { activeCapture = this; }

MessageCapture::~MessageCapture() { activeCapture = outer_; }

int32_t ShowMessageBox(void* owner, const char* text, const char* caption,
                       uint32_t style) {
  if (MessageCapture* capture = activeCapture; capture != nullptr) {
    std::snprintf(capture->text_, sizeof capture->text_, "%s", text != nullptr ? text : "");
    return BRANT_IDOK;
  }
  Hooks& hooks = TheHooks();
  BrantMessageBoxHook hook;
  void* data;
  {
    std::lock_guard guard(hooks.lock);
    hook = hooks.messageBox;
    data = hooks.messageBoxData;
  }
  if (caption == nullptr) caption = "";
  if (hook == nullptr) return DefaultMessageBox(text, caption);
  return hook(data, owner, text, caption, style);
}

void PostQuit(int32_t exitCode) {
  Hooks& hooks = TheHooks();
  BrantQuitHook hook;
  void* data;
  {
    std::lock_guard guard(hooks.lock);
    hook = hooks.quit;
    data = hooks.quitData;
  }
  lastQuitCode.store(exitCode);
  if (hook != nullptr) hook(data, exitCode);
}

}  // namespace brant

extern "C" {

void SetMessageBoxHook(BrantMessageBoxHook hook, void* userData) {
  brant::Hooks& hooks = brant::TheHooks();
  std::lock_guard guard(hooks.lock);
  hooks.messageBox = hook;
  hooks.messageBoxData = hook ? userData : nullptr;
}

void SetQuitHook(BrantQuitHook hook, void* userData) {
  brant::Hooks& hooks = brant::TheHooks();
  std::lock_guard guard(hooks.lock);
  hooks.quit = hook;
  hooks.quitData = hook ? userData : nullptr;
}

int32_t GetLastQuitCode(void) { return brant::lastQuitCode.load(); }

}  // extern "C"
