// What every tariff writer shares: zeroed record images, the refusal of a
// description its format cannot hold, and fixed-width values appended to a
// growing file. All byte coding goes through context/byte_coding.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "context/byte_coding.h"

namespace brant::tariffkit {

// A record image of `size` zero bytes.
inline std::string ZeroRecord(std::size_t size) { return std::string(size, '\0'); }

// The bytes of a record image, as the record field accessors take them.
inline uint8_t* Image(std::string& record) { return reinterpret_cast<uint8_t*>(record.data()); }

// Writers never cut or wrap a value to make it fit: a description that its
// format cannot hold is refused, so a test never rates against data it did
// not ask for.
inline void Require(bool holds, const std::string& what) {
  if (!holds) throw std::invalid_argument("tariffkit: " + what);
}

inline void RequireFits(std::string_view text, std::size_t width, const std::string& field) {
  Require(text.size() <= width,
          field + " \"" + std::string(text) + "\" is longer than " + std::to_string(width));
}

// A number that must fit an unsigned field of `bits` bits.
inline void RequireBits(int64_t value, int bits, const std::string& field) {
  Require(value >= 0 && value < (int64_t{1} << bits),
          field + " " + std::to_string(value) + " does not fit " + std::to_string(bits) + " bits");
}

// Appends a number in its little-endian bytes through its store helper.
template <std::size_t Width, typename T>
void AppendWith(std::string& out, void (*store)(void*, T), T v) {
  char b[Width];
  store(b, v);
  out.append(b, Width);
}
inline void AppendU16(std::string& out, uint16_t v) { AppendWith<2>(out, StoreU16, v); }
inline void AppendI16(std::string& out, int16_t v) { AppendWith<2>(out, StoreI16, v); }
inline void AppendU24(std::string& out, uint32_t v) { AppendWith<3>(out, StoreU24, v); }
inline void AppendU32(std::string& out, uint32_t v) { AppendWith<4>(out, StoreU32, v); }

// A text in a field of `width` bytes, padded with spaces (the tariff files'
// own texts) or with NULs (records whose rest is the host's).
inline void AppendPadded(std::string& out, std::string_view text, std::size_t width,
                         const std::string& field) {
  RequireFits(text, width, field);
  std::string bytes(width, '\0');
  PutPaddedText(bytes.data(), width, text);
  out += bytes;
}
inline void AppendFixed(std::string& out, std::string_view text, std::size_t width,
                        const std::string& field) {
  RequireFits(text, width, field);
  std::string bytes(width, '\0');
  PutFixedText(bytes.data(), width, text);
  out += bytes;
}

// A file of records whose content is the host's: each given text at the
// start of a NUL-filled record of `size` bytes.
inline std::string OpaqueRecords(const std::vector<std::string>& records, std::size_t size,
                                 const std::string& what) {
  std::string out;
  for (const std::string& record : records) AppendFixed(out, record, size, what + " record");
  return out;
}

}  // namespace brant::tariffkit
