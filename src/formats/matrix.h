// The ZIP-pair matrix: the .BSE ranges that map a five-digit ZIP to its base
// ZIP, the .ZF1 file of matrix keys, row places and rate basis records, and
// the run-coded rows of .MX1.
#pragma once

#include <brantfunc/brantfunc.h>

#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

// ---- .BSE ------------------------------------------------------------------

// The header: each kind's records (kind 0 serves territory A, 1 F, 2 I) by
// offset and length, and the highest ZIP of each of the kind's blocks.
namespace base_zip_header {
inline constexpr std::size_t kSize = 1024;
inline constexpr std::size_t kKinds = 3;
inline constexpr Field kKindOffset{0, 4, Kind::kU32, kKinds, 8};
inline constexpr Field kKindLength{4, 4, Kind::kI32, kKinds, 8};
inline constexpr Field kKind0Keys{24, 4, Kind::kI32, 50};
inline constexpr Field kKind1Keys{224, 4, Kind::kI32, 150};
inline constexpr Field kKind2Keys{824, 4, Kind::kI32, 50};
inline constexpr Field kKindKeys[kKinds] = {kKind0Keys, kKind1Keys, kKind2Keys};
inline constexpr std::size_t kBlockSize = 900;  // the records one block key covers
inline constexpr Field kFields[] = {kKindOffset, kKindLength, kKind0Keys, kKind1Keys, kKind2Keys};
static_assert(FitsRecord(kFields, kSize));
static_assert(kSize == sizeof(RateContext::bseHeader));
inline constexpr RecordLayout kLayout{".BSE", "", kSize, kFields};
}  // namespace base_zip_header

// Where one kind's records lie in the file.
struct BaseZipKind {
  uint32_t offset;
  int32_t length;  // in bytes
};

// The caller keeps `kind` below base_zip_header::kKinds.
inline BaseZipKind DecodeBaseZipKind(const uint8_t* header, std::size_t kind) {
  using namespace base_zip_header;
  return {kKindOffset.U32(header, kind), kKindLength.I32(header, kind)};
}

inline void EncodeBaseZipKind(const BaseZipKind& k, std::size_t kind, uint8_t* header) {
  using namespace base_zip_header;
  kKindOffset.PutU32(header, k.offset, kind);
  kKindLength.PutI32(header, k.length, kind);
}

// One ZIP range. Its first word packs the lowest ZIP (bits 0..16) with the
// last two digits of the highest (bits 17..23): a range stays in the
// hundred-block of its lowest ZIP.
namespace base_zip_range {
inline constexpr std::size_t kSize = 9;
inline constexpr Field kBounds{0, 3, Kind::kU24};
inline constexpr Field kBaseZip{3, 3, Kind::kU24};
inline constexpr Field kAdjustment{6, 3, Kind::kU24};
inline constexpr int kLowestZipBits = 17;
inline constexpr std::size_t kPerBlock = base_zip_header::kBlockSize / kSize;
inline constexpr Field kFields[] = {kBounds, kBaseZip, kAdjustment};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".BSE", "record", kSize, kFields};
}  // namespace base_zip_range

struct BaseZipRangeRecord {
  int32_t lowest;
  int32_t highest;
  uint32_t baseZip;
  uint32_t adjustment;  // added to the RBNO digits
};

inline BaseZipRangeRecord DecodeBaseZipRange(const uint8_t* record) {
  using namespace base_zip_range;
  const uint32_t bounds = kBounds.U24(record);
  const auto lowest = static_cast<int32_t>(bounds & ((1u << kLowestZipBits) - 1));
  const int32_t highest = lowest / 100 * 100 + static_cast<int32_t>(bounds >> kLowestZipBits);
  return {lowest, highest, kBaseZip.U24(record), kAdjustment.U24(record)};
}

// The caller keeps the lowest ZIP within its 17 bits and the highest in the
// lowest's hundred-block.
inline void EncodeBaseZipRange(const BaseZipRangeRecord& r, uint8_t* record) {
  using namespace base_zip_range;
  kBounds.PutU24(record, static_cast<uint32_t>(r.lowest) |
                             (static_cast<uint32_t>(r.highest % 100) << kLowestZipBits));
  kBaseZip.PutU24(record, r.baseZip);
  kAdjustment.PutU24(record, r.adjustment);
}

// ---- .ZF1 ------------------------------------------------------------------

// A rate basis record: a space-padded text whose first seven bytes, the
// RBNO (letter and six digits), are what a lookup reads; the rest is copied
// with it.
namespace rate_basis {
inline constexpr std::size_t kSize = 10;
inline constexpr Field kText{0, 10, Kind::kChars};
inline constexpr Field kRbno{0, 7, Kind::kChars};
}  // namespace rate_basis

// The count N, then three tables of N entries back to back: row starts,
// row places, keys; then the rate basis records. Where a table lies
// follows from N.
namespace zf1 {
inline constexpr Field kCount{0, 2, Kind::kU16};
inline constexpr std::size_t kMaxRows = BRANT_ZF1_ROWS;  // the room of the record's tables
// The column where row r's stored cells begin; negative: at r.
constexpr Field RowStarts(std::size_t n) { return {2, 2, Kind::kI16, n}; }
// Row r's place in .MX1 (see DecodeRowPlace).
constexpr Field RowPlaces(std::size_t n) { return {2 + 2 * n, 4, Kind::kU32, n}; }
// In ascending order; key r names row r.
constexpr Field Keys(std::size_t n) { return {2 + 6 * n, 3, Kind::kU24, n}; }
constexpr std::size_t RecordsStart(std::size_t n) { return 2 + 9 * n; }

// The layout drawn for three rows and one rate basis record; its size
// follows from the count.
inline constexpr std::size_t kDrawnRows = 3;
inline constexpr Field kFields[] = {kCount,
                                    RowStarts(kDrawnRows),
                                    RowPlaces(kDrawnRows),
                                    Keys(kDrawnRows),
                                    {RecordsStart(kDrawnRows), rate_basis::kSize, Kind::kBlock}};
static_assert(FitsRecord(kFields, RecordsStart(kDrawnRows) + rate_basis::kSize));
inline constexpr RecordLayout kLayout{".ZF1", "", 0, kFields};
}  // namespace zf1

// Where a row lies in .MX1: the offset in bits 0..20 of its word, the
// length in bits 21..31.
struct MatrixRowPlace {
  uint32_t offset;
  uint32_t length;
};
inline constexpr int kRowOffsetBits = 21;
inline constexpr int kRowLengthBits = 32 - kRowOffsetBits;

inline MatrixRowPlace DecodeRowPlace(uint32_t word) {
  return {word & ((1u << kRowOffsetBits) - 1), word >> kRowOffsetBits};
}

// The caller keeps each part within its bits.
inline uint32_t EncodeRowPlace(const MatrixRowPlace& place) {
  return place.offset | (place.length << kRowOffsetBits);
}

// ---- .MX1 ------------------------------------------------------------------

// A stored row is a run of 16-bit words: bit 0 clear, one cell of value
// word >> 1 (a rate basis record's number plus 1); bit 0 set, word >> 2
// empty cells (bit 1 ignored).
namespace matrix_row {
inline constexpr int32_t kCells = 2800;  // the columns a decoded row holds
inline constexpr std::size_t kMaxBytes = 2000;
inline constexpr std::size_t kWordSize = 2;
inline constexpr uint32_t kMaxCellValue = 0x7FFF;
inline constexpr uint32_t kMaxRunLength = 0x3FFF;  // what the upper 14 bits of a word count

inline constexpr uint16_t CellWord(uint32_t value) { return static_cast<uint16_t>(value << 1); }
inline constexpr uint16_t EmptyRunWord(uint32_t length) {
  return static_cast<uint16_t>((length << 2) | 1);
}
}  // namespace matrix_row

// The column a row's first word lands at: its start from .ZF1, or its own
// diagonal when that is negative.
inline int32_t RowStartColumn(int16_t start, int32_t row) { return start >= 0 ? start : row; }

// A matrix row decodes from its start column: each stored cell goes to
// cell(column, value), which returns false to refuse it; empty cells are
// skipped. False when a cell falls at or past `columns`, a run of empty
// cells passes it, or cell() refuses one. A last odd byte is no word.
template <typename Cell>
bool DecodeMatrixRow(const uint8_t* row, std::size_t length, int64_t start, int64_t columns,
                     Cell&& cell) {
  int64_t column = start;
  for (std::size_t i = 0; i + matrix_row::kWordSize <= length; i += matrix_row::kWordSize) {
    const uint16_t word = LoadU16(row + i);
    if (word & 1) {
      column += word >> 2;
      if (column > columns) return false;
    } else {
      if (column >= columns || !cell(column, static_cast<uint16_t>(word >> 1))) return false;
      ++column;
    }
  }
  return true;
}

}  // namespace brant::formats
