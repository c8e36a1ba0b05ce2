// The ZIP-pair matrix as the kit writes it: keys to rows, run-coded rows
// read from either end of a pair, and five-digit ZIPs to base ZIPs.
#include <random>

#include "ratebase/lookup_test_support.h"

namespace brant::test_support {
namespace {

class MatrixLookupTest : public LookupTest {
 protected:
  // Rate basis record i; row r's key is 100000 + 15000 r (41 rows span
  // every kind).
  static std::string Basis(int i) { return kit::SmallTariffKey(i).insert(0, 1, 'A' + i % 9); }
  // .ZF1 with 20 rate basis records, and .MX1 of rows from their start columns.
  void WriteMatrix(const std::vector<int16_t>& starts, const std::vector<std::string>& rows) {
    kit::MatrixRows mx1 = kit::MatrixFile(rows);
    kit::Zf1Tables zf1{starts, mx1.places, {}, {}, {}};
    for (std::size_t r = 0; r < rows.size(); ++r) zf1.keys.push_back(100000 + 15000 * r);
    for (int i = 0; i < 20; ++i) zf1.basisRecords.push_back(Basis(i));
    Write(".ZF1", kit::Zf1File(zf1));
    Write(".MX1", mx1.mx1);
    ASSERT_EQ(LoadZf1Tables(c_), 1);
  }
  // Result, status, matrixResult (7 before) and the .MX1 handle after the
  // lookup of the pair, whose base ZIPs adjust the RBNO by `adjustment`.
  Ints Lookup(int32_t orig, int32_t dest, int32_t adjustment = 0) {
    Rating() = {7, orig, dest, adjustment};
    c_.errorCode = 0;
    return {LookupMatrixRbno(c_), c_.errorCode, Rating().matrixResult, c_.mx1Handle};
  }
};

// Any matrix the kit encodes reads back cell by cell, whichever end of the
// pair is the origin: rows from their diagonal or from a start column left
// or right of it, with runs of empty cells; the base ZIPs' adjustment adds
// to the record's digits. Keys find their rows by halving.
TEST_F(MatrixLookupTest, RandomRowsDecodeToTheirCells) {
  std::mt19937 random(20261206);
  for (int trial = 0; trial < 6; ++trial) {
    const int n = 2 + static_cast<int>(random() % 40);
    std::vector<int16_t> starts;
    std::vector<std::vector<uint16_t>> cells;
    std::vector<std::string> rows;
    for (int r = 0; r < n; ++r) {
      starts.push_back(random() % 2 ? -1 : static_cast<int16_t>(random() % (r + 3)));
      cells.emplace_back(random() % (n + 4));
      for (uint16_t& cell : cells.back()) cell = random() % 3 ? 0 : 1 + random() % 20;
      rows.push_back(kit::EncodeMatrixRow(cells.back()));
    }
    WriteMatrix(starts, rows);
    for (int r = 0; r < n; ++r) {
      const int32_t key = 100000 + 15000 * r;
      ASSERT_EQ((Ints{FindMatrixKey(c_, key), FindMatrixKey(c_, key + 1)}), (Ints{r, -1}));
      const int from = starts[r] < 0 ? r : starts[r];
      for (int column = r; column < n; ++column) {
        const int at = column - from, v = at >= 0 && at < int(cells[r].size()) ? cells[r][at] : 0;
        const Ints found = random() % 2 ? Lookup(column, r, trial) : Lookup(r, column, trial);
        std::string rbno = v ? Basis(v - 1) : "       ";  // digits ending in 0
        rbno[6] = static_cast<char>(rbno[6] + (v ? trial : 0));
        // The RBNO and its letter as territory; spaces for an empty cell.
        ASSERT_EQ(std::pair(found, c_.rbno + std::string(1, c_.territory)),
                  std::pair(v ? Ints{1, 0, v - 1, -1} : Ints{0, 501, 7, -1}, rbno + rbno[0]))
            << trial << ": " << r << "," << column;
      }
    }
  }
}

// A row of 2000 bytes and one of 2800 cells read; rows past either limit
// fail with the .ZF1 status, and nothing is read past a buffer.
TEST_F(MatrixLookupTest, RowsAtAndPastTheFormatsLimits) {
  const std::string cell = kit::EncodeMatrixRow({1});
  const std::string past = kit::EncodeMatrixRow(std::vector<uint16_t>(2800, 0)) + cell;
  std::vector<uint16_t> full(2800, 0);
  full[1] = 2;
  // Start columns, rows, the pair looked up, and what the lookup leaves.
  const std::tuple<std::vector<int16_t>, std::vector<std::string>, int, int, Ints> cases[] = {
      {{-1, -1}, {kit::EncodeMatrixRow(std::vector<uint16_t>(1000, 1)), cell}, 0, 1, {1, 0, 0, -1}},
      {{-1, -1}, {std::string(2002, '\x02'), cell}, 0, 1, {0, 394, 7, -1}},
      {{-1, -1}, {kit::EncodeMatrixRow(full), cell}, 0, 1, {1, 0, 1, -1}},
      {{-1, -1}, {past, cell}, 0, 1, {0, 394, 7, -1}},  // a cell past column 2799
      {{1, 0}, {past, cell}, 0, 1, {0, 394, 7, -1}},    // a run past it
      {{-1, -1}, {cell, cell}, 0, 2, {0, 501, 7, -1}}};  // a row the matrix lacks
  for (const auto& [starts, rows, orig, dest, expected] : cases) {
    WriteMatrix(starts, rows);
    EXPECT_EQ(Lookup(orig, dest), expected) << rows[0].size();
  }
  Write(".MX1", "");  // the row now lies past the end of .MX1
  EXPECT_EQ(Lookup(1, 1), (Ints{0, 394, 7, -1}));
}

// Kind 0 has a full block and a partial one. A range covers its lowest ZIP to
// the stored last two digits.
TEST_F(MatrixLookupTest, BaseZipRangesAcrossBlocks) {
  kit::BaseZipKinds kinds;
  for (int i = 0; i < 150; ++i)
    kinds.kind0.push_back({10000 + 100 * i, 10045 + 100 * i, 20000 + i, i});
  Write(".BSE", kit::BaseZipFile(kinds));
  ASSERT_EQ(LoadBseHeader(c_), 1);
  // ZIPs at both ends of the first block and of the last, partial one; just
  // past a range and past the last.
  for (int32_t zip : {10000, 19945, 20000, 24945, 12346, 24946}) {
    const bool found = zip % 100 <= 45 && zip <= 24945;
    const std::string base = found ? std::to_string(20000 + (zip - 10000) / 100) : "";
    Rating() = {.rbnoAdjustment = 5};
    EXPECT_EQ((Ints{LookupBaseZip(c_, 0, zip), Rating().rbnoAdjustment - 5, c_.errorCode}),
              (Ints{found, found ? (zip - 10000) / 100 : 0, 0}))
        << zip;
    EXPECT_EQ(std::string(Rating().foundBaseZip), base);
  }
  EXPECT_EQ((Ints{LookupBaseZip(c_, 3, 10000), c_.errorCode}), (Ints{0, 501}));
  StoreI32(c_.bseHeader + 4, 45000);  // kind 0's records now leave the file
  EXPECT_EQ((Ints{LookupBaseZip(c_, 0, 10000), c_.errorCode}), (Ints{0, 224}));
}

}  // namespace
}  // namespace brant::test_support
