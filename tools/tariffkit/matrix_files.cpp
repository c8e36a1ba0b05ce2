#include "tariffkit/matrix_files.h"

#include <brantfunc/brantfunc.h>

#include <array>

#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kMaxRowCells = 2800;
constexpr std::size_t kMaxRowBytes = 2000;
constexpr uint32_t kMaxCellValue = 0x7FFF;
constexpr uint32_t kMaxRunLength = 0x3FFF;  // what the 14 upper bits of a word can count
constexpr int kRowOffsetBits = 21;
constexpr int kRowLengthBits = 11;
constexpr std::size_t kMaxZf1Rows = BRANT_ZF1_ROWS;

void AppendEmptyRun(std::string& out, uint32_t length) {
  while (length > 0) {
    uint32_t part = length < kMaxRunLength ? length : kMaxRunLength;
    AppendU16(out, static_cast<uint16_t>((part << 2) | 1));
    length -= part;
  }
}

uint32_t RowPlaceWord(const RowPlace& place) {
  RequireBits(place.offset, kRowOffsetBits, ".MX1 row offset");
  RequireBits(place.length, kRowLengthBits, ".MX1 row length");
  return place.offset | (place.length << kRowOffsetBits);
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

// Bits 0 to 16 the lowest ZIP, bits 17 to 23 the last two digits of the
// highest, which shares the lowest's hundred-block.
void AppendBaseZipRecord(std::string& out, const BaseZipRange& r) {
  RequireBits(r.lowest, 17, "lowest ZIP of a base range");
  Require(r.highest >= r.lowest && r.highest / 100 == r.lowest / 100,
          "base range " + std::to_string(r.lowest) + "-" + std::to_string(r.highest) +
              " leaves its hundred-block");
  RequireBits(r.baseZip, 24, "base ZIP");
  RequireBits(r.adjustment, 24, "RBNO adjustment");
  AppendU24(out, static_cast<uint32_t>(r.lowest) | (static_cast<uint32_t>(r.highest % 100) << 17));
  AppendU24(out, static_cast<uint32_t>(r.baseZip));
  AppendU24(out, static_cast<uint32_t>(r.adjustment));
}

// Header layout of each kind: where its block keys start and how many fit.
struct BaseKindPlace {
  std::size_t keysAt;
  std::size_t keyRoom;
};
constexpr std::array<BaseKindPlace, 3> kBaseKinds = {{{24, 50}, {224, 150}, {824, 50}}};
constexpr std::size_t kRecordsPerBlock = kBaseBlockSize / kBaseRecordSize;

// A block's key is the highest ZIP that any of its records covers.
void PutBlockKeys(std::string& header, const BaseKindPlace& place,
                  const std::vector<BaseZipRange>& ranges) {
  std::size_t blocks = (ranges.size() + kRecordsPerBlock - 1) / kRecordsPerBlock;
  Require(blocks <= place.keyRoom, ".BSE kind has more blocks than its header has keys");
  for (std::size_t b = 0; b < blocks; ++b) {
    int32_t key = 0;
    for (std::size_t i = b * kRecordsPerBlock; i < ranges.size() && i < (b + 1) * kRecordsPerBlock;
         ++i) {
      if (ranges[i].highest > key) key = ranges[i].highest;
    }
    StoreI32(&header[place.keysAt + 4 * b], key);
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
    Require(cell <= kMaxCellValue, "matrix cell " + std::to_string(cell) + " above 32767");
    AppendEmptyRun(out, emptyRun);
    emptyRun = 0;
    AppendU16(out, static_cast<uint16_t>(cell << 1));
  }
  AppendEmptyRun(out, emptyRun);
  Require(out.size() <= kMaxRowBytes, "an encoded matrix row holds at most 2000 bytes");
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
    AppendPadded(out, record, kBasisRecordSize, "rate basis record");
  }
  return out;
}

std::string BaseZipFile(const BaseZipKinds& kinds) {
  const std::vector<BaseZipRange>* byKind[] = {&kinds.kind0, &kinds.kind1, &kinds.kind2};
  std::string header = ZeroRecord(kBaseHeaderSize);
  std::string records;
  for (std::size_t k = 0; k < kBaseKinds.size(); ++k) {
    std::string kindRecords;
    for (const BaseZipRange& range : *byKind[k]) AppendBaseZipRecord(kindRecords, range);
    StoreU32(&header[8 * k], static_cast<uint32_t>(kBaseHeaderSize + records.size()));
    StoreI32(&header[8 * k + 4], static_cast<int32_t>(kindRecords.size()));
    PutBlockKeys(header, kBaseKinds[k], *byKind[k]);
    records += kindRecords;
  }
  return header + records;
}

}  // namespace brant::tariffkit
