// The two places where the library reaches the host's user interface: the
// message box and the request to end the host's message loop. Both go
// through hooks the host may install; the defaults never block.
#pragma once

#include <cstdint>

namespace brant {

// Shows a message box through the installed hook; the answer code.
int32_t ShowMessageBox(void* owner, const char* text, const char* caption,
                       uint32_t style);

// Asks the host's message loop to end with `exitCode`.
void PostQuit(int32_t exitCode);

// While one lives on a thread, the message boxes that thread raises are
// kept in it, answered OK, and never reach the host's hook: the rating
// interface hands a box's words back as an error or a warning instead of
// showing them. Captures nest; the innermost keeps the text.
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  // The text of the last box, cut to the room; empty when none was raised.
  const char* text() const { return text_; }
  bool captured() const { return text_[0] != '\0'; }

 private:
  friend int32_t ShowMessageBox(void*, const char*, const char*, uint32_t);
  char text_[256] = {};
  MessageCapture* outer_;
};

}  // namespace brant
