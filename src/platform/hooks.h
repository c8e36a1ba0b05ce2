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

}  // namespace brant
