// A binary record format written down once: the record's size and each
// field's offset, width and kind. The library's readers decode through these
// fields, the tariff kit, the source compiler and the dumper encode and
// decode through the same ones, and a test holds docs/formats.md to them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "context/byte_coding.h"

namespace brant::formats {

// What a field holds, in the words of docs/formats.md.
enum class Kind : uint8_t {
  kChars,       // char[n]: a text copied by width; a NUL may end it early
  kChar,        // char: one character, a flag or a code
  kNumberText,  // text: a number held as decimal text
  kI16,
  kU16,
  kU24,
  kI32,
  kU32,
  kF32,
  kBlock,  // a nested record, or bytes the format leaves to the host
};

// One field: `count` elements of `width` bytes, each `stride` bytes after
// the one before (side by side when the stride is 0).
struct Field {
  std::size_t offset = 0;
  std::size_t width = 0;
  Kind kind = Kind::kBlock;
  std::size_t count = 1;
  std::size_t stride = 0;

  constexpr std::size_t Step() const { return stride != 0 ? stride : width; }
  // Where element i begins.
  constexpr std::size_t At(std::size_t i = 0) const { return offset + Step() * i; }
  // One past the last byte of the last element.
  constexpr std::size_t End() const { return At(count - 1) + width; }

  // Element i of a record image. The caller keeps i below `count`.
  std::string_view Text(const uint8_t* record, std::size_t i = 0) const {
    return FixedText(record + At(i), width);
  }
  // Every byte of the element, padding included.
  std::string_view Bytes(const uint8_t* record, std::size_t i = 0) const {
    return {reinterpret_cast<const char*>(record + At(i)), width};
  }
  char Char(const uint8_t* record, std::size_t i = 0) const {
    return static_cast<char>(record[At(i)]);
  }
  int16_t I16(const uint8_t* record, std::size_t i = 0) const { return LoadI16(record + At(i)); }
  uint16_t U16(const uint8_t* record, std::size_t i = 0) const { return LoadU16(record + At(i)); }
  uint32_t U24(const uint8_t* record, std::size_t i = 0) const { return LoadU24(record + At(i)); }
  int32_t I32(const uint8_t* record, std::size_t i = 0) const { return LoadI32(record + At(i)); }
  uint32_t U32(const uint8_t* record, std::size_t i = 0) const { return LoadU32(record + At(i)); }
  float F32(const uint8_t* record, std::size_t i = 0) const { return LoadF32(record + At(i)); }

  // Texts are NUL-filled or space-filled to the width, and cut to it.
  void PutText(uint8_t* record, std::string_view text, std::size_t i = 0) const {
    PutFixedText(record + At(i), width, text);
  }
  void PutPadded(uint8_t* record, std::string_view text, std::size_t i = 0) const {
    PutPaddedText(record + At(i), width, text);
  }
  void PutChar(uint8_t* record, char v, std::size_t i = 0) const {
    record[At(i)] = static_cast<uint8_t>(v);
  }
  void PutI16(uint8_t* record, int16_t v, std::size_t i = 0) const { StoreI16(record + At(i), v); }
  void PutU16(uint8_t* record, uint16_t v, std::size_t i = 0) const { StoreU16(record + At(i), v); }
  void PutU24(uint8_t* record, uint32_t v, std::size_t i = 0) const { StoreU24(record + At(i), v); }
  void PutI32(uint8_t* record, int32_t v, std::size_t i = 0) const { StoreI32(record + At(i), v); }
  void PutU32(uint8_t* record, uint32_t v, std::size_t i = 0) const { StoreU32(record + At(i), v); }
  void PutF32(uint8_t* record, float v, std::size_t i = 0) const { StoreF32(record + At(i), v); }
};

// A record format: its size and the fields people and readers rely on. The
// heading names its section of docs/formats.md and the variant which table
// there ("" for the only one, or the first word of the table's record
// column, such as "wide").
struct RecordLayout {
  std::string_view heading;
  std::string_view variant;
  std::size_t size;
  std::span<const Field> fields;
};

// Every field lies inside its record; formats assert this at compile time.
constexpr bool FitsRecord(std::span<const Field> fields, std::size_t size) {
  for (const Field& f : fields) {
    if (f.count == 0 || f.width == 0 || f.End() > size) return false;
  }
  return true;
}

}  // namespace brant::formats
