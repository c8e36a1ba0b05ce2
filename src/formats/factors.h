// Factors that spread a narrow rate record over the classes. A .FAC file is
// a directory of key ranges followed by each entry's run of factor groups;
// the host's Mexican factor directory has the same layout with room for
// fewer entries. On the base-point method a .FC1 record names a range of
// factor group numbers, and the .FC2 record at the same position holds one
// factor for each class cell.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "formats/field_layout.h"

namespace brant::formats {

// One directory entry, counted from its own start: a range of keys (RBNO
// digits) and where its factor groups lie in the file.
namespace factor_entry {
inline constexpr std::size_t kSize = 16;
inline constexpr Field kLowKey{0, 6, Kind::kChars};
inline constexpr Field kHighKey{6, 6, Kind::kChars};
inline constexpr Field kDataOffset{12, 2, Kind::kI16};  // from the start of the file
inline constexpr Field kDataLength{14, 2, Kind::kU16};  // bytes
inline constexpr Field kFields[] = {kLowKey, kHighKey, kDataOffset, kDataLength};
static_assert(FitsRecord(kFields, kSize) && kDataLength.End() == kSize);
}  // namespace factor_entry

struct FactorEntryRecord {
  std::string_view lowKey;   // all six bytes
  std::string_view highKey;  // all six bytes
  int16_t dataOffset;
  uint16_t dataLength;
};

inline FactorEntryRecord DecodeFactorEntry(const uint8_t* entry) {
  using namespace factor_entry;
  return {kLowKey.Bytes(entry), kHighKey.Bytes(entry), kDataOffset.I16(entry),
          kDataLength.U16(entry)};
}

inline void EncodeFactorEntry(const FactorEntryRecord& e, uint8_t* entry) {
  using namespace factor_entry;
  kLowKey.PutText(entry, e.lowKey);
  kHighKey.PutText(entry, e.highKey);
  kDataOffset.PutI16(entry, e.dataOffset);
  kDataLength.PutU16(entry, e.dataLength);
}

// A directory begins with the position of its last entry in use (entries 0
// to it are searched); the entries follow.
inline constexpr Field kLastEntry{0, 2, Kind::kI16};
inline constexpr std::size_t kFirstEntryAt = kLastEntry.End();

// Where entry k begins; the caller keeps k below the directory's room.
constexpr std::size_t FactorEntryOffset(std::size_t k) {
  return kFirstEntryAt + factor_entry::kSize * k;
}

// An entry field repeated over the `room` entries of a directory.
constexpr Field EveryEntry(const Field& f, std::size_t room) {
  return {FactorEntryOffset(0) + f.offset, f.width, f.kind, room, factor_entry::kSize};
}

// The fields of a directory with room for `room` entries.
constexpr std::array<Field, 5> DirectoryFields(std::size_t room) {
  using namespace factor_entry;
  return {kLastEntry, EveryEntry(kLowKey, room), EveryEntry(kHighKey, room),
          EveryEntry(kDataOffset, room), EveryEntry(kDataLength, room)};
}

// .FAC: room for 50 entries.
namespace factor_directory {
inline constexpr std::size_t kRoom = 50;
inline constexpr std::size_t kSize = 802;
inline constexpr auto kFields = DirectoryFields(kRoom);
static_assert(FitsRecord(kFields, kSize) && FactorEntryOffset(kRoom) == kSize);
inline constexpr RecordLayout kLayout{".FAC", "", kSize, kFields};
}  // namespace factor_directory

// The Mexican legs' directory, which the host loads: room for 10 entries.
namespace mexican_factor_directory {
inline constexpr std::size_t kRoom = 10;
inline constexpr std::size_t kSize = 162;
inline constexpr auto kFields = DirectoryFields(kRoom);
static_assert(FitsRecord(kFields, kSize) && FactorEntryOffset(kRoom) == kSize);
inline constexpr RecordLayout kLayout{"Mexican factor directory", "", kSize, kFields};
}  // namespace mexican_factor_directory

// An entry's data is a run of u24 factor groups: bits 0 to 5 count the
// cells that take the factor (0: every remaining cell), bits 6 to 23 are
// the factor in hundredths of a percent.
inline constexpr std::size_t kFactorGroupSize = 3;
inline constexpr int kRepeatBits = 6;
inline constexpr int kFactorBits = 18;
// A lookup reads at most this much of an entry's data.
inline constexpr std::size_t kMaxFactorEntryData = 516;

struct FactorGroupRecord {
  uint32_t factor;
  uint32_t repeat;
};

inline FactorGroupRecord DecodeFactorGroup(const uint8_t* at) {
  const uint32_t group = LoadU24(at);
  return {group >> kRepeatBits, group & ((1u << kRepeatBits) - 1)};
}

// The caller keeps the repeat below 2^6 and the factor below 2^18.
inline void EncodeFactorGroup(const FactorGroupRecord& g, uint8_t* at) {
  StoreU24(at, g.repeat | (g.factor << kRepeatBits));
}

// .FC1: a range of factor group numbers, ascending through the file.
namespace factor_range {
inline constexpr std::size_t kSize = 8;
inline constexpr Field kLowest{0, 4, Kind::kI32};
inline constexpr Field kHighest{4, 4, Kind::kI32};
inline constexpr Field kFields[] = {kLowest, kHighest};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".FC1 and .FC2", ".FC1", kSize, kFields};
}  // namespace factor_range

struct FactorRangeRecord {
  int32_t lowest;
  int32_t highest;
};

inline FactorRangeRecord DecodeFactorRange(const uint8_t* record) {
  using namespace factor_range;
  return {kLowest.I32(record), kHighest.I32(record)};
}

inline void EncodeFactorRange(const FactorRangeRecord& r, uint8_t* record) {
  using namespace factor_range;
  kLowest.PutI32(record, r.lowest);
  kHighest.PutI32(record, r.highest);
}

// .FC2: one factor per class cell, class by class, break by break, in
// hundredths of a percent.
namespace group_factors {
inline constexpr std::size_t kSize = 648;
inline constexpr Field kFactors{0, 4, Kind::kI32, 162};
inline constexpr Field kFields[] = {kFactors};
static_assert(FitsRecord(kFields, kSize) && kFactors.End() == kSize);
inline constexpr RecordLayout kLayout{".FC1 and .FC2", ".FC2", kSize, kFields};
}  // namespace group_factors

inline std::vector<int32_t> DecodeGroupFactors(const uint8_t* record) {
  using namespace group_factors;
  std::vector<int32_t> factors(kFactors.count);
  for (std::size_t i = 0; i < kFactors.count; ++i) factors[i] = kFactors.I32(record, i);
  return factors;
}

// Factors past the record's room are not written; those left out keep the
// image's bytes.
inline void EncodeGroupFactors(std::span<const int32_t> factors, uint8_t* record) {
  using namespace group_factors;
  for (std::size_t i = 0; i < factors.size() && i < kFactors.count; ++i) {
    kFactors.PutI32(record, factors[i], i);
  }
}

}  // namespace brant::formats
