// The one place where bytes become fixed-width little-endian numbers and
// fixed-width texts, and back. Every file reader, every record accessor and
// every tariff writer goes through these; nothing casts a byte pointer to a
// struct. All helpers are endian-neutral and alignment-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brant {

// Little-endian loads.
inline uint16_t LoadU16(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline int16_t LoadI16(const void* p) { return static_cast<int16_t>(LoadU16(p)); }
inline uint32_t LoadU24(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16);
}
inline uint32_t LoadU32(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) |
         (uint32_t{b[3]} << 24);
}
inline int32_t LoadI32(const void* p) { return static_cast<int32_t>(LoadU32(p)); }
inline float LoadF32(const void* p) {
  uint32_t bits = LoadU32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Little-endian stores.
inline void StoreU16(void* p, uint16_t v) {
  auto* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreI16(void* p, int16_t v) { StoreU16(p, static_cast<uint16_t>(v)); }
inline void StoreU24(void* p, uint32_t v) {
  auto* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
  b[2] = static_cast<uint8_t>(v >> 16);
}
inline void StoreU32(void* p, uint32_t v) {
  auto* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
  b[2] = static_cast<uint8_t>(v >> 16);
  b[3] = static_cast<uint8_t>(v >> 24);
}
inline void StoreI32(void* p, int32_t v) { StoreU32(p, static_cast<uint32_t>(v)); }
inline void StoreF32(void* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  StoreU32(p, bits);
}

// The text in a fixed field: up to the first NUL, never past the width.
inline std::string_view FixedText(const void* field, std::size_t width) {
  const auto* s = static_cast<const char*>(field);
  const void* nul = std::memchr(s, '\0', width);
  return {s, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - s) : width};
}

// Copies a text into a fixed field of `width` bytes and NUL-fills the rest;
// a text that does not fit is cut to the field (no terminator then).
inline void PutFixedText(void* field, std::size_t width, std::string_view text) {
  std::size_t n = text.size() < width ? text.size() : width;
  if (n > 0) std::memcpy(field, text.data(), n);  // an empty view may hold no pointer
  std::memset(static_cast<char*>(field) + n, 0, width - n);
}

// Like PutFixedText, but always leaves a terminator inside the field: the
// text is cut to width - 1 characters.
inline void PutTerminatedText(void* field, std::size_t width, std::string_view text) {
  if (width == 0) return;
  std::size_t n = text.size() < width - 1 ? text.size() : width - 1;
  if (n > 0) std::memcpy(field, text.data(), n);  // an empty view may hold no pointer
  std::memset(static_cast<char*>(field) + n, 0, width - n);
}

// Space-padded variant, as many tariff files store their texts.
inline void PutPaddedText(void* field, std::size_t width, std::string_view text) {
  std::size_t n = text.size() < width ? text.size() : width;
  if (n > 0) std::memcpy(field, text.data(), n);  // an empty view may hold no pointer
  std::memset(static_cast<char*>(field) + n, ' ', width - n);
}

}  // namespace brant
