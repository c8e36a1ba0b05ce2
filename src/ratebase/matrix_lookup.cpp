// The ZIP-pair matrix: a search key names a row, the run-coded cell of two
// rows names a rate basis record, and the .BSE ranges map a five-digit ZIP
// to the base ZIP whose rows refine a pair.
#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "formats/matrix.h"
#include "platform/sorted_records.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {

constexpr int32_t kRowCells = formats::matrix_row::kCells;
constexpr std::size_t kMaxRowBytes = formats::matrix_row::kMaxBytes;
constexpr std::size_t kBasisRecordSize = formats::rate_basis::kSize;
constexpr std::size_t kRbnoWidth = formats::rate_basis::kRbno.width;

// The rows the loaded tables hold; a count past their room names rows that
// are not there.
int32_t MatrixRowCount(const RateContext& context) {
  const int32_t count = context.zf1Count;  // a copy: the record's fields sit at any byte
  return std::clamp<int32_t>(count, 0, BRANT_ZF1_ROWS);
}

// The cell at column `column` of row `row` (0 for an empty one); false with
// the status when the row cannot be read. The row directory lies in .ZF1,
// the row itself in .MX1, which is open only while the row is read.
bool ReadMatrixCell(RateContext& context, int32_t row, int32_t column, int32_t& cell) {
  const formats::Field directory =
      formats::zf1::RowPlaces(static_cast<std::size_t>(MatrixRowCount(context)));
  uint8_t word[4];
  const auto directoryAt = static_cast<int64_t>(directory.At(static_cast<std::size_t>(row)));
  if (ReadFullyAt(context.zf1Handle, directoryAt, word, sizeof word) != sizeof word) {
    return FailWith(context, kZf1Read);
  }
  const formats::MatrixRowPlace place = formats::DecodeRowPlace(LoadU32(word));
  const std::size_t length = place.length;
  if (length > kMaxRowBytes) return FailWith(context, kZf1Read);

  context.mx1Handle = Openfile(&context, ".MX1");
  if (context.mx1Handle <= 0) {
    context.mx1Handle = -1;
    Rating().matrixResult = -1;
    return FailWith(context, kMatrixOpen);
  }
  uint8_t bytes[kMaxRowBytes] = {};
  const std::size_t got = ReadFullyAt(context.mx1Handle, place.offset, bytes, length);
  context.mx1Handle = CloseHandle(context.mx1Handle);
  // A row the directory places past the end of .MX1 is not the row.
  if (got != length) return FailWith(context, kZf1Read);

  const int16_t start = context.zf1RowStarts[row];
  uint16_t cells[kRowCells] = {};  // empty cells stay zero
  const bool whole = formats::DecodeMatrixRow(
      bytes, length, formats::RowStartColumn(start, row), kRowCells,
      [&cells](int64_t at, uint16_t value) {
        cells[at] = value;
        return true;
      });
  if (!whole) return FailWith(context, kZf1Read);
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

constexpr int64_t kBaseBlockBytes = formats::base_zip_header::kBlockSize;
constexpr std::size_t kBaseRecordSize = formats::base_zip_range::kSize;

}  // namespace

int32_t LookupBaseZip(RateContext& context, int32_t kind, int32_t zip) {
  if (kind < 0 || kind >= static_cast<int32_t>(formats::base_zip_header::kKinds)) {
    return FailWith(context, kZipCombination);
  }
  const formats::Field& keys = formats::base_zip_header::kKindKeys[kind];
  const auto keyRoom = static_cast<int64_t>(keys.count);
  const formats::BaseZipKind place = formats::DecodeBaseZipKind(context.bseHeader, kind);
  const int64_t offset = place.offset;
  const int64_t length = place.length;
  // The kind's records lie in the file, in no more blocks than it has keys.
  const int64_t fileSize = FileSize(context.bseHandle);
  if (length < 0 || length > keyRoom * kBaseBlockBytes || offset + length > fileSize) {
    return FailWith(context, kBseRead);
  }
  // A last block of no bytes (a length of whole blocks) never holds a ZIP,
  // so the keys beyond the kind's room are never needed.
  const int64_t blocks = std::min(length / kBaseBlockBytes + 1, keyRoom);
  int64_t block = 0;
  while (block < blocks && keys.I32(context.bseHeader, block) < zip) ++block;
  if (block == blocks) return 0;

  const std::size_t bytes = static_cast<std::size_t>(
      block == length / kBaseBlockBytes ? length % kBaseBlockBytes : kBaseBlockBytes);
  uint8_t records[kBaseBlockBytes];
  if (ReadFullyAt(context.bseHandle, offset + kBaseBlockBytes * block, records, bytes) != bytes) {
    return FailWith(context, kBseRead);
  }
  for (std::size_t at = 0; at + kBaseRecordSize <= bytes; at += kBaseRecordSize) {
    const formats::BaseZipRangeRecord range = formats::DecodeBaseZipRange(records + at);
    if (zip < range.lowest || zip > range.highest) continue;
    RatingState& state = Rating();
    state.rbnoAdjustment =
        static_cast<int32_t>(static_cast<uint32_t>(state.rbnoAdjustment) + range.adjustment);
    PutZeroPadded(state.foundBaseZip, sizeof state.foundBaseZip, range.baseZip, 5);
    return 1;
  }
  return 0;
}

}  // namespace brant
