// The library's one table of status messages.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brant {

// Room GetErrorMessage needs: the longest message and its terminator.
inline constexpr std::size_t kErrorMessageRoom = 92;

// The message of a status code; "Error occurred." for a code without a row.
const char* StatusMessage(int32_t code);

// Makes `out` hold exactly the message of `code` and its terminator. `out`
// must have room for kErrorMessageRoom bytes.
void GetErrorMessage(int32_t code, char* out);

}  // namespace brant
