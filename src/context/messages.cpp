// The four message exports: compose the text (the caller's, or the status
// message of the code) and show it through the message-box hook.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "context/status.h"
#include "platform/hooks.h"

namespace brant {
namespace {

constexpr std::size_t kComposeRoom = 180;

// A non-empty text wins over the code. A text too long for the composition
// buffer is cut to it rather than overrunning it. The text is shown as it
// is: a percent sign in it means nothing.
struct ComposedMessage {
  char text[kComposeRoom] = {};

  ComposedMessage(const char* given, int32_t code) {
    if (given != nullptr && given[0] != '\0') {
      std::size_t n = strnlen(given, kComposeRoom - 1);
      std::memcpy(text, given, n);
    } else {
      GetErrorMessage(code, text);
    }
  }
};

int32_t Show(const char* text, const char* caption, int32_t code, void* owner,
             uint32_t style) {
  ComposedMessage message(text, code);
  return ShowMessageBox(owner, message.text, caption, style);
}

}  // namespace
}  // namespace brant

extern "C" {

void fatal(const char* text, const char* caption, int32_t code) {
  brant::Show(text, caption, code, nullptr, BRANT_MB_FATAL);
  brant::PostQuit(code);
}

int32_t warning(const char* text, const char* caption, int32_t code, void* owner) {
  return brant::Show(text, caption, code, owner, BRANT_MB_WARNING);
}

int32_t question(const char* text, const char* caption, int32_t code, void* owner) {
  return brant::Show(text, caption, code, owner, BRANT_MB_QUESTION) == BRANT_IDNO ? 0 : 1;
}

int32_t information(const char* text, const char* caption, int32_t code, void* owner) {
  return brant::Show(text, caption, code, owner, BRANT_MB_INFORMATION);
}

}  // extern "C"
