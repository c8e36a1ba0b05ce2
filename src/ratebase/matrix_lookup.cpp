// The ZIP-pair matrix: a search key names a row, the run-coded cell of two
// rows names a rate basis record, and the .BSE ranges map a five-digit ZIP
// to the base ZIP whose rows refine a pair.
#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "platform/sorted_records.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {


constexpr int32_t kRowCells = 2800;
constexpr std::size_t kMaxRowBytes = 2000;
constexpr uint32_t kRowOffsetMask = (1u << 21) - 1;
constexpr int kRowLengthShift = 21;
constexpr std::size_t kBasisRecordSize = 10;
constexpr std::size_t kRbnoWidth = 7;

// The rows the loaded tables hold; a count past their room names rows that
// are not there.
int32_t MatrixRowCount(const RateContext& context) {
  const int32_t count = context.zf1Count;  // a copy: the record's fields sit at any byte
  return std::clamp<int32_t>(count, 0, BRANT_ZF1_ROWS);
}

// Decodes a stored row into `cells` from column `start`: a word with bit 0
// clear is one cell (the word shifted right by 1), one with bit 0 set a run
// of (word >> 2) empty cells. False when the row passes the last column.
bool DecodeMatrixRow(const uint8_t* row, std::size_t length, int32_t start,
                     uint16_t (&cells)[kRowCells]) {
  int32_t at = start;
  for (std::size_t i = 0; i + 2 <= length; i += 2) {
    const uint16_t word = LoadU16(row + i);
    if (word & 1) {
      at += word >> 2;  // the cells are zero already
      if (at > kRowCells) return false;
    } else {
      if (at >= kRowCells) return false;
      cells[at++] = static_cast<uint16_t>(word >> 1);
    }
  }
  return true;
}

// The cell at column `column` of row `row` (0 for an empty one); false with
// the status when the row cannot be read. The row directory lies in .ZF1,
// the row itself in .MX1, which is open only while the row is read.
bool ReadMatrixCell(RateContext& context, int32_t row, int32_t column, int32_t& cell) {
  uint8_t place[4];
  const int64_t directoryAt = 2 + 2 * int64_t{MatrixRowCount(context)} + 4 * int64_t{row};
  if (ReadFullyAt(context.zf1Handle, directoryAt, place, sizeof place) != sizeof place) {
    return FailWith(context, kZf1Read);
  }
  const uint32_t word = LoadU32(place);
  const std::size_t length = word >> kRowLengthShift;
  if (length > kMaxRowBytes) return FailWith(context, kZf1Read);

  context.mx1Handle = Openfile(&context, ".MX1");
  if (context.mx1Handle <= 0) {
    context.mx1Handle = -1;
    Rating().matrixResult = -1;
    return FailWith(context, kMatrixOpen);
  }
  uint8_t bytes[kMaxRowBytes] = {};
  const std::size_t got = ReadFullyAt(context.mx1Handle, word & kRowOffsetMask, bytes, length);
  context.mx1Handle = CloseHandle(context.mx1Handle);
  // A row the directory places past the end of .MX1 is not the row.
  if (got != length) return FailWith(context, kZf1Read);

  const int16_t start = context.zf1RowStarts[row];
  uint16_t cells[kRowCells] = {};
  if (!DecodeMatrixRow(bytes, length, start >= 0 ? start : row, cells)) {
    return FailWith(context, kZf1Read);
  }
  // Columns left of the diagonal never carry a rate basis, even where the
  // stored row covers them.
  if (start >= 0 && start < row) {
    std::fill(cells + start, cells + std::min(row, kRowCells), uint16_t{0});
  }
  cell = column < kRowCells ? cells[column] : 0;
  return true;
}

}  // namespace

int32_t FindMatrixKey(const RateContext& context, int32_t key) {
  return HalvingSearch(MatrixRowCount(context), [&](int32_t at) {
    const int64_t found = LoadU24(context.zf1KeyTable[at]);
    return found < key ? -1 : found > key ? 1 : 0;
  });
}

int32_t LookupMatrixRbno(RateContext& context) {
  RatingState& state = Rating();
  std::memset(context.rbno, ' ', kRbnoWidth);
  context.territory = ' ';
  // Only the upper triangle is stored: the smaller row holds the pair.
  const int32_t row = std::min(state.origMatrixRow, state.destMatrixRow);
  const int32_t column = std::max(state.origMatrixRow, state.destMatrixRow);
  if (row < 0 || column >= MatrixRowCount(context)) return FailWith(context, kZipCombination);

  int32_t cell = 0;
  if (!ReadMatrixCell(context, row, column, cell)) return 0;
  if (cell < 1) return FailWith(context, kZipCombination);
  state.matrixResult = cell - 1;

  const int64_t recordAt = int64_t{context.zf1DataStart} + kBasisRecordSize * int64_t{cell - 1};
  if (ReadFullyAt(context.zf1Handle, recordAt, context.matrixRbnoRecord, kBasisRecordSize) !=
      kBasisRecordSize) {
    return FailWith(context, kZf1Read);
  }
  std::memcpy(context.rbno, context.matrixRbnoRecord, kRbnoWidth);
  const int64_t digits = ReadFixedNumber(RbnoDigits(context), 6) + int64_t{state.rbnoAdjustment};
  context.territory = context.matrixRbnoRecord[0];
  PutZeroPadded(context.rbno + 1, sizeof context.rbno - 1, digits, 6);
  return 1;
}

namespace {

// Where each kind's block keys lie in the .BSE header, and how many fit.
struct BaseZipKind {
  std::size_t keysAt;
  int64_t keyRoom;
};
constexpr BaseZipKind kBaseZipKinds[3] = {{24, 50}, {224, 150}, {824, 50}};
constexpr int64_t kBaseBlockBytes = 900;
constexpr std::size_t kBaseRecordSize = 9;
constexpr uint32_t kLowestZipMask = (1u << 17) - 1;
constexpr int kHighestDigitsShift = 17;

}  // namespace

int32_t LookupBaseZip(RateContext& context, int32_t kind, int32_t zip) {
  if (kind < 0 || kind > 2) return FailWith(context, kZipCombination);
  const BaseZipKind& place = kBaseZipKinds[kind];
  const int64_t offset = LoadU32(context.bseHeader + 8 * kind);
  const int64_t length = LoadI32(context.bseHeader + 8 * kind + 4);
  // The kind's records lie in the file, in no more blocks than it has keys.
  const int64_t fileSize = FileSize(context.bseHandle);
  if (length < 0 || length > place.keyRoom * kBaseBlockBytes || offset + length > fileSize) {
    return FailWith(context, kBseRead);
  }
  // A last block of no bytes (a length of whole blocks) never holds a ZIP,
  // so the keys beyond the kind's room are never needed.
  const int64_t blocks = std::min(length / kBaseBlockBytes + 1, place.keyRoom);
  int64_t block = 0;
  while (block < blocks && LoadI32(context.bseHeader + place.keysAt + 4 * block) < zip) ++block;
  if (block == blocks) return 0;

  const std::size_t bytes = static_cast<std::size_t>(
      block == length / kBaseBlockBytes ? length % kBaseBlockBytes : kBaseBlockBytes);
  uint8_t records[kBaseBlockBytes];
  if (ReadFullyAt(context.bseHandle, offset + kBaseBlockBytes * block, records, bytes) != bytes) {
    return FailWith(context, kBseRead);
  }
  for (std::size_t at = 0; at + kBaseRecordSize <= bytes; at += kBaseRecordSize) {
    const uint32_t bounds = LoadU24(records + at);
    // The highest ZIP shares the lowest's hundred-block.
    const int32_t lowest = static_cast<int32_t>(bounds & kLowestZipMask);
    const int32_t highest =
        lowest / 100 * 100 + static_cast<int32_t>(bounds >> kHighestDigitsShift);
    if (zip < lowest || zip > highest) continue;
    RatingState& state = Rating();
    state.rbnoAdjustment = static_cast<int32_t>(static_cast<uint32_t>(state.rbnoAdjustment) +
                                                LoadU24(records + at + 6));
    PutZeroPadded(state.foundBaseZip, sizeof state.foundBaseZip, LoadU24(records + at + 3), 5);
    return 1;
  }
  return 0;
}

}  // namespace brant
