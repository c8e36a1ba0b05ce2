// The ZIP-pair matrix and its companions: the run-coded matrix rows (.MX1),
// the .ZF1 file of keys, row places and rate basis records, and the .BSE
// ZIP ranges that map a five-digit ZIP to its base ZIP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brant::tariffkit {

// One stored matrix row, run-coded as 16-bit words: a cell v (1 to 32767,
// the number of a rate basis record plus 1) is the word v << 1, a run of n
// empty cells the word (n << 2) | 1. `cells` start at the row's start
// column. Refuses rows past the 2800 cells or 2000 bytes a row may hold.
std::string EncodeMatrixRow(const std::vector<uint16_t>& cells);

// Where a row lies in .MX1: byte offset (below 2^21) and length (below 2^11).
struct RowPlace {
  uint32_t offset = 0;
  uint32_t length = 0;
};
// .MX1: encoded rows (from EncodeMatrixRow, or made by hand) one after the
// other, and the place of each for the .ZF1 row directory.
struct MatrixRows {
  std::string mx1{};
  std::vector<RowPlace> places{};
};
MatrixRows MatrixFile(const std::vector<std::string>& encodedRows);

// .ZF1: the count N, N row starts (i16; negative: the row begins at its own
// diagonal), N row places (u32: offset in the low 21 bits, length in the
// high 11), N ascending keys (u24), then the 10-byte rate basis records
// (RBNO text, space-padded). Tables 2, 3 and the records lie at 2 + 2N,
// 2 + 6N and 2 + 9N.
struct Zf1Tables {
  std::vector<int16_t> rowStarts{};
  std::vector<RowPlace> rowPlaces{};
  std::vector<uint32_t> keys{};
  std::vector<std::string> basisRecords{};
  // The N written at offset 0 when it should differ from the tables: the
  // tables are then written as given, back to back, with no check that
  // their lengths agree or that the keys ascend.
  std::optional<uint16_t> declaredCount{};
};
std::string Zf1File(const Zf1Tables& tables);

// A search key: kind 1 or 2 with 100 x a three-digit ZIP prefix, kinds 3
// to 7 with a base ZIP.
inline constexpr uint32_t MatrixKey(uint32_t kind, uint32_t zipValue) {
  return kind * 100000 + zipValue;
}

// .BSE: a 1024-byte header, then the 9-byte ZIP-range records of kinds 0, 1
// and 2 (territories A, F and I). The header gives each kind's offset and
// length and the highest ZIP of each of its blocks of 100 records. A range
// stays within the hundred-block of its lowest ZIP.
struct BaseZipRange {
  int32_t lowest = 0;
  int32_t highest = 0;
  int32_t baseZip = 0;
  int32_t adjustment = 0;  // added to the RBNO digits
};
struct BaseZipKinds {
  std::vector<BaseZipRange> kind0{};  // territory A
  std::vector<BaseZipRange> kind1{};  // territory F
  std::vector<BaseZipRange> kind2{};  // territory I
};
std::string BaseZipFile(const BaseZipKinds& kinds);

}  // namespace brant::tariffkit
