// Little-endian numbers and fixed-width texts in the caller's blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brantengine {

inline void StoreI16(uint8_t* at, int16_t value) {
  auto bits = static_cast<uint16_t>(value);
  at[0] = static_cast<uint8_t>(bits);
  at[1] = static_cast<uint8_t>(bits >> 8);
}

inline void StoreI32(uint8_t* at, int32_t value) {
  auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(bits >> (8 * i));
}

inline int32_t LoadI32(const uint8_t* at) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(at[i]) << (8 * i);
  return static_cast<int32_t>(bits);
}

// Writes text into the `width` bytes at `at`: cut to the field when longer,
// padded with `pad` when shorter.
inline void PutField(uint8_t* at, std::size_t width, std::string_view text, char pad = ' ') {
  std::size_t length = std::min(text.size(), width);
  if (length > 0) std::memcpy(at, text.data(), length);  // an empty view may hold no address
  std::memset(at + length, pad, width - length);
}

}  // namespace brantengine
