#include "tariffkit/matrix_files.h"

#include <iterator>

#include "formats/matrix.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

namespace row = formats::matrix_row;
constexpr std::size_t kMaxRowCells = row::kCells;
constexpr std::size_t kMaxZf1Rows = formats::zf1::kMaxRows;

void AppendEmptyRun(std::string& out, uint32_t length) {
  while (length > 0) {
    uint32_t part = length < row::kMaxRunLength ? length : row::kMaxRunLength;
    AppendU16(out, row::EmptyRunWord(part));
    length -= part;
  }
}

uint32_t RowPlaceWord(const RowPlace& place) {
  RequireBits(place.offset, formats::kRowOffsetBits, ".MX1 row offset");
  RequireBits(place.length, formats::kRowLengthBits, ".MX1 row length");
  return formats::EncodeRowPlace({place.offset, place.length});
}

// Without a declared count the three tables describe the same rows, and
// the keys must ascend: the lookup finds them by halving.
void RequireConsistentTables(const Zf1Tables& t) {
  Require(t.rowStarts.size() == t.keys.size() && t.rowPlaces.size() == t.keys.size(),
          ".ZF1 tables of different lengths need a declared count");
  Require(t.keys.size() <= kMaxZf1Rows, ".ZF1 holds at most 11200 rows");
  for (std::size_t i = 1; i < t.keys.size(); ++i) {
    Require(t.keys[i - 1] < t.keys[i], ".ZF1 keys must ascend");
  }
}

// The record packs the lowest ZIP into 17 bits and keeps only the last two
// digits of the highest, which must share the lowest's hundred-block.
void AppendBaseZipRecord(std::string& out, const BaseZipRange& r) {
  namespace layout = formats::base_zip_range;
  RequireBits(r.lowest, layout::kLowestZipBits, "lowest ZIP of a base range");
  Require(r.highest >= r.lowest && r.highest / 100 == r.lowest / 100,
          "base range " + std::to_string(r.lowest) + "-" + std::to_string(r.highest) +
              " leaves its hundred-block");
  RequireBits(r.baseZip, static_cast<int>(8 * layout::kBaseZip.width), "base ZIP");
  RequireBits(r.adjustment, static_cast<int>(8 * layout::kAdjustment.width), "RBNO adjustment");
  std::string record = ZeroRecord(layout::kSize);
  formats::EncodeBaseZipRange({r.lowest, r.highest, static_cast<uint32_t>(r.baseZip),
                               static_cast<uint32_t>(r.adjustment)},
                              Image(record));
  out += record;
}

constexpr std::size_t kRecordsPerBlock = formats::base_zip_range::kPerBlock;

// A block's key is the highest ZIP that any of its records covers.
void PutBlockKeys(std::string& header, const formats::Field& keys,
                  const std::vector<BaseZipRange>& ranges) {
  std::size_t blocks = (ranges.size() + kRecordsPerBlock - 1) / kRecordsPerBlock;
  Require(blocks <= keys.count, ".BSE kind has more blocks than its header has keys");
  for (std::size_t b = 0; b < blocks; ++b) {
    int32_t key = 0;
    for (std::size_t i = b * kRecordsPerBlock; i < ranges.size() && i < (b + 1) * kRecordsPerBlock;
         ++i) {
      if (ranges[i].highest > key) key = ranges[i].highest;
    }
    keys.PutI32(Image(header), key, b);
  }
}

}  // namespace

std::string EncodeMatrixRow(const std::vector<uint16_t>& cells) {
  Require(cells.size() <= kMaxRowCells, "a matrix row holds at most 2800 cells");
  std::string out;
  uint32_t emptyRun = 0;
  for (uint16_t cell : cells) {
    if (cell == 0) {
      ++emptyRun;
      continue;
    }
    Require(cell <= row::kMaxCellValue, "matrix cell " + std::to_string(cell) + " above 32767");
    AppendEmptyRun(out, emptyRun);
    emptyRun = 0;
    AppendU16(out, row::CellWord(cell));
  }
  AppendEmptyRun(out, emptyRun);
  Require(out.size() <= row::kMaxBytes, "an encoded matrix row holds at most 2000 bytes");
  return out;
}

MatrixRows MatrixFile(const std::vector<std::string>& encodedRows) {
  MatrixRows result;
  for (const std::string& row : encodedRows) {
    result.places.push_back({static_cast<uint32_t>(result.mx1.size()),
                             static_cast<uint32_t>(row.size())});
    result.mx1 += row;
  }
  return result;
}

std::string Zf1File(const Zf1Tables& t) {
  if (!t.declaredCount) RequireConsistentTables(t);
  std::string out;
  AppendU16(out, t.declaredCount.value_or(static_cast<uint16_t>(t.keys.size())));
  for (int16_t start : t.rowStarts) AppendI16(out, start);
  for (const RowPlace& place : t.rowPlaces) AppendU32(out, RowPlaceWord(place));
  for (uint32_t key : t.keys) {
    RequireBits(key, 24, ".ZF1 key");
    AppendU24(out, key);
  }
  for (const std::string& record : t.basisRecords) {
    AppendPadded(out, record, formats::rate_basis::kText.width, "rate basis record");
  }
  return out;
}

std::string BaseZipFile(const BaseZipKinds& kinds) {
  namespace layout = formats::base_zip_header;
  const std::vector<BaseZipRange>* byKind[] = {&kinds.kind0, &kinds.kind1, &kinds.kind2};
  static_assert(std::size(byKind) == layout::kKinds);
  std::string header = ZeroRecord(layout::kSize);
  std::string records;
  for (std::size_t k = 0; k < layout::kKinds; ++k) {
    std::string kindRecords;
    for (const BaseZipRange& range : *byKind[k]) AppendBaseZipRecord(kindRecords, range);
    formats::EncodeBaseZipKind({static_cast<uint32_t>(layout::kSize + records.size()),
                                static_cast<int32_t>(kindRecords.size())},
                               k, Image(header));
    PutBlockKeys(header, layout::kKindKeys[k], *byKind[k]);
    records += kindRecords;
  }
  return header + records;
}

}  // namespace brant::tariffkit
