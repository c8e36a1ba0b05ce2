// The ZIP-pair matrix as the kit writes it: keys to rows, run-coded rows
// read from either end of a pair, and five-digit ZIPs to base ZIPs.
#include <random>

#include "context/byte_coding.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

// Rate basis record i: a territory letter and the digits 001000 + i.
std::string Basis(int i) {
  char text[8];
  std::snprintf(text, sizeof text, "%c%06d", "ABCDEFGHI"[i % 9], 1000 + i);
  return text;
}

class MatrixLookupTest : public TariffDirTest {
 protected:
  // Row r's key: the rows of up to 41 keys span every kind.
  static int32_t Key(int r) { return 100000 + 15000 * r; }
  // .ZF1 and .MX1 from encoded rows with their start columns.
  void WriteMatrix(const std::vector<int16_t>& starts, const std::vector<std::string>& rows,
                   int records = 20) {
    kit::MatrixRows mx1 = kit::MatrixFile(rows);
    kit::Zf1Tables zf1{starts, mx1.places, {}, {}, {}};
    for (std::size_t r = 0; r < rows.size(); ++r) zf1.keys.push_back(Key(static_cast<int>(r)));
    for (int i = 0; i < records; ++i) zf1.basisRecords.push_back(Basis(i));
    Write(".ZF1", kit::Zf1File(zf1));
    Write(".MX1", mx1.mx1);
    ASSERT_EQ(LoadZf1Tables(c_), 1);
  }
  // Result, status, matrixResult (7 before) and the .MX1 handle after the
  // pair's lookup.
  Ints Lookup(int32_t orig, int32_t dest, int32_t adjustment = 0) {
    Rating() = {.matrixResult = 7,
                .origMatrixRow = orig,
                .destMatrixRow = dest,
                .rbnoAdjustment = adjustment};
    c_.errorCode = 0;
    return {LookupMatrixRbno(c_), c_.errorCode, Rating().matrixResult, c_.mx1Handle};
  }
};

// Any matrix the kit encodes reads back cell by cell, whichever end of the
// pair is the origin: rows from their diagonal or from a start column left
// or right of it, with runs of empty cells. Keys find their rows by halving.
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
      ASSERT_EQ((Ints{FindMatrixKey(c_, Key(r)), FindMatrixKey(c_, Key(r) + 1)}), (Ints{r, -1}));
      const int from = starts[r] < 0 ? r : starts[r];
      for (int column = r; column < n; ++column) {
        const std::size_t at = static_cast<std::size_t>(column - from);
        const int v = column >= from && at < cells[r].size() ? cells[r][at] : 0;
        const bool swap = random() % 2;
        ASSERT_EQ(Lookup(swap ? column : r, swap ? r : column),
                  (v ? Ints{1, 0, v - 1, -1} : Ints{0, 501, 7, -1}))
            << trial << ": " << r << "," << column;
        // The RBNO and its letter as territory; spaces for an empty cell.
        ASSERT_EQ(c_.rbno + std::string(1, c_.territory),
                  v ? Basis(v - 1) + Basis(v - 1)[0] : std::string(8, ' '));
      }
    }
  }
  // The adjustment of the base ZIPs adds to the record's digits.
  WriteMatrix({-1}, {kit::EncodeMatrixRow({4})});
  EXPECT_EQ(Lookup(0, 0, 10), (Ints{1, 0, 3, -1}));
  EXPECT_EQ(std::string(c_.rbno), "D001013");
  EXPECT_EQ(FindMatrixKey(c_, Key(-1)), -1);
}

// Rows that break the format fail with the .ZF1 status; nothing is read
// past a buffer.
TEST_F(MatrixLookupTest, RowsOutsideTheFormatFail) {
  const std::string cell = kit::EncodeMatrixRow({1});
  const std::string wide(2002, '\x02');  // 1001 cells in 2002 bytes
  const std::string past = kit::EncodeMatrixRow(std::vector<uint16_t>(2800, 0)) + cell;
  WriteMatrix({-1, -1}, {wide, cell});
  EXPECT_EQ(Lookup(0, 1), (Ints{0, 394, 7, -1}));
  WriteMatrix({1, 0}, {past, cell});
  EXPECT_EQ(Lookup(0, 1), (Ints{0, 394, 7, -1}));
  WriteMatrix({0}, {kit::EncodeMatrixRow({21})});  // record 20 of 20
  EXPECT_EQ(Lookup(0, 0), (Ints{0, 394, 20, -1}));
  WriteMatrix({-1, -1}, {cell, cell});
  EXPECT_EQ(Lookup(-1, 1), (Ints{0, 501, 7, -1}));
  EXPECT_EQ(Lookup(0, 2), (Ints{0, 501, 7, -1}));
  Write(".MX1", "");  // the row now lies past the end of .MX1
  EXPECT_EQ(Lookup(1, 1), (Ints{0, 394, 7, -1}));
  std::filesystem::remove(dir_.PathOf("TARF.MX1"));
  EXPECT_EQ(Lookup(1, 1), (Ints{0, 330, -1, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_ + 1);  // .ZF1 alone stays open
}

// Kind 0 has a full block and a partial one, kind 1 exactly one full block
// (its last block is empty), kind 2 none. A range covers its lowest ZIP to
// the stored last two digits.
TEST_F(MatrixLookupTest, BaseZipRangesAcrossBlocks) {
  kit::BaseZipKinds kinds;
  for (int i = 0; i < 150; ++i)
    kinds.kind0.push_back({10000 + 100 * i, 10045 + 100 * i, 20000 + i, i});
  for (int i = 0; i < 100; ++i) kinds.kind1.push_back({30000 + 100 * i, 30099 + 100 * i, 7, 0});
  const std::string bse = kit::BaseZipFile(kinds);
  Write(".BSE", bse);
  ASSERT_EQ(LoadBseHeader(c_), 1);
  const std::tuple<int32_t, int32_t, int32_t, std::string> cases[] = {
      {0, 10000, 1, "20000"}, {0, 19945, 1, "20099"}, {0, 20000, 1, "20100"},
      {0, 24945, 1, "20149"}, {0, 12345, 1, "20023"}, {0, 12346, 0, ""},
      {0, 24946, 0, ""},      {1, 39999, 1, "00007"}, {1, 40000, 0, ""},
      {2, 0, 0, ""},          {3, 10000, 0, ""}};
  for (const auto& [kind, zip, found, base] : cases) {
    Rating() = {.rbnoAdjustment = 5};
    c_.errorCode = 0;
    EXPECT_EQ(
        (Ints{LookupBaseZip(c_, kind, zip), c_.errorCode, Rating().rbnoAdjustment}),
        (Ints{found, kind == 3 ? 501 : 0, 5 + (found && kind == 0 ? (zip - 10000) / 100 : 0)}))
        << kind << " " << zip;
    EXPECT_EQ(std::string(Rating().foundBaseZip), base);
  }
  // A header whose records leave the file, or more blocks than keys.
  const std::pair<int, int32_t> broken[] = {
      {0, static_cast<int32_t>(bse.size())}, {20, 45001}, {4, 45000}};
  for (const auto& [at, value] : broken) {
    StoreI32(c_.bseHeader + at, value);
    EXPECT_EQ((Ints{LookupBaseZip(c_, at / 8, 10000), c_.errorCode}), (Ints{0, 224}));
    ASSERT_EQ(LoadBseHeader(c_), 1);
  }
}

}  // namespace
}  // namespace brant::test_support
