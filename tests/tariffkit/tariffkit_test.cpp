// The tariff kit's byte layouts that readers depend on and no loader test pins.
#include "tariffkit/tariffkit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/byte_coding.h"

namespace brant::tariffkit {
namespace {

int16_t I16(const std::string& s, std::size_t at) { return LoadI16(s.data() + at); }
uint32_t U24(const std::string& s, std::size_t at) { return LoadU24(s.data() + at); }
uint32_t U32(const std::string& s, std::size_t at) { return LoadU32(s.data() + at); }

// Every named byte of the .SET record at its own offset; the rest is zero.
TEST(TariffKit, SettingsRecordPlacesEachField) {
  const std::string set = SettingsRecord(
      {"A0.32", "6", 'a', {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 'e', 'w', "WEST1", "ACCT2",
       'm', 'f', 'r'});
  std::string expected(373, '\0');
  const std::pair<std::size_t, std::string> fields[] = {
      {4, "A0.32"}, {163, "6"}, {168, "a"}, {215, "e"}, {234, "w"}, {255, "WEST1ACCT2m"},
      {271, "f"}, {275, "r"},
      {197, std::string("1\0" "2\0" "3\0" "4\0" "5\0" "6\0" "7\0" "8\0" "9", 17)}};
  for (const auto& [at, bytes] : fields) expected.replace(at, bytes.size(), bytes);
  EXPECT_EQ(set, expected);
}

TEST(TariffKit, FactorDirectoryPointsAtEachEntrysPackedGroups) {
  std::string file = FactorFile({{"000100", "000199", {{10000, 9}, {5000, 0}}, {}, {}},
                                 {"000200", "000299", {{12345, 63}}, {}, {}}});
  ASSERT_EQ(file.size(), 802u + 6 + 3);
  EXPECT_EQ(I16(file, 0), 1);  // the position of the last entry, not a count
  EXPECT_EQ(file.substr(2, 12), "000100000199");
  EXPECT_EQ(file.substr(18, 12), "000200000299");
  EXPECT_EQ(I16(file, 14), 802);
  EXPECT_EQ(LoadU16(file.data() + 16), 6);
  EXPECT_EQ(I16(file, 30), 808);
  EXPECT_EQ(LoadU16(file.data() + 32), 3);
  EXPECT_EQ(file.substr(34, 802 - 34), std::string(802 - 34, '\0'));
  EXPECT_EQ(file.substr(802, 3), "\x09\xC4\x09");  // factor << 6 | count, little-endian
  EXPECT_EQ(U24(file, 805), 5000u << 6);
  EXPECT_EQ(U24(file, 808), 12345u << 6 | 63);
}

TEST(TariffKit, Zf1TablesLieWhereTheCountPutsThem) {
  std::string file = Zf1File({{-1, 0, 2},
                              {{0, 4}, {4, 6}, {(1u << 21) - 1, 2047}},
                              {102100, 160600, 0xFFFFFF},
                              {"A001000", "G001010"},
                              {}});
  const std::size_t n = 3;
  ASSERT_EQ(file.size(), 2 + 9 * n + 2 * 10);
  EXPECT_EQ(LoadU16(file.data()), n);
  EXPECT_EQ(I16(file, 2), -1);
  EXPECT_EQ(I16(file, 6), 2);
  EXPECT_EQ(U32(file, 2 + 2 * n), 4u << 21);  // offset in the low 21 bits, length above
  EXPECT_EQ(U32(file, 2 + 2 * n + 4), 4u | (6u << 21));
  EXPECT_EQ(U32(file, 2 + 2 * n + 8), 0xFFFFFFFFu);
  EXPECT_EQ(U24(file, 2 + 6 * n), 102100u);
  EXPECT_EQ(U24(file, 2 + 6 * n + 6), 0xFFFFFFu);
  EXPECT_EQ(file.substr(2 + 9 * n, 20), "A001000   G001010   ");
}

TEST(TariffKit, MatrixRowsRunCodeEmptyCells) {
  EXPECT_EQ(EncodeMatrixRow({0, 0, 4}), std::string("\x09\x00\x08\x00", 4));
  EXPECT_EQ(EncodeMatrixRow(std::vector<uint16_t>(2800, 0)), std::string("\xC1\x2B", 2));
  MatrixRows rows = MatrixFile({"ab", "", "cdef"});
  EXPECT_EQ(rows.mx1, "abcdef");
  ASSERT_EQ(rows.places.size(), 3u);
  EXPECT_EQ(rows.places[2].offset, 2u);
  EXPECT_EQ(rows.places[2].length, 4u);
}

TEST(TariffKit, BaseZipHeaderLocatesEachKindAndItsBlocks) {
  std::vector<BaseZipRange> many;
  for (int i = 0; i < 150; ++i) many.push_back({10000 + 100 * i, 10045 + 100 * i, 10000, 0});
  std::string file = BaseZipFile({many, {}, {{12300, 12345, 12301, 7}}});
  ASSERT_EQ(file.size(), 1024u + 151 * 9);
  const int32_t header[] = {1024, 1350, 1024 + 1350, 0, 1024 + 1350, 9, 19945, 24945, 0};
  for (std::size_t i = 0; i < std::size(header); ++i)
    EXPECT_EQ(LoadI32(file.data() + 4 * i), header[i]) << i;
  EXPECT_EQ(LoadI32(file.data() + 824), 12345);  // each block keyed by its highest ZIP
  EXPECT_EQ(U24(file, 2374), 12300u | 45u << 17);
  EXPECT_EQ(U24(file, 2377), 12301u);
  EXPECT_EQ(U24(file, 2380), 7u);
}

}  // namespace
}  // namespace brant::tariffkit
