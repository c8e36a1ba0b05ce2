// The ZIP-pair matrix as zones and lanes: the dump finds the zones of any
// matrix (keys whose rows are identical) and writes their keys as ranges;
// compiling the dump gives the matrix's bytes back, whatever its records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "source/tariff_source.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;
namespace fs = std::filesystem;
using test_support::TempDir;

std::map<std::string, std::string> FilesIn(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
  }
  return files;
}

struct Matrix {
  std::vector<uint32_t> keys;
  std::vector<std::vector<uint16_t>> rows;  // from the diagonal
  std::vector<std::string> records;
};

// The small tariff with `m` as its matrix, dumped and compiled back; the
// dumped source by file name.
std::map<std::string, std::string> DumpAndCompileBack(const Matrix& m) {
  kit::TariffContent c = kit::DescribeSmallTariff({.rateRecords = 5});
  c.matrixKeys = m.keys;
  c.matrixRows = m.rows;
  c.basisRecords = m.records;
  TempDir tariff, source, again;
  kit::WriteTariff(tariff.path(), "ZONES", kit::RenderTariff(c));
  std::string error;
  EXPECT_TRUE(DumpTariff(tariff.path(), "ZONES", source.path(), error)) << error;
  std::vector<SourceError> errors;
  EXPECT_TRUE(CompileTariff(source.path(), again.path(), "ZONES", errors));
  for (const SourceError& e : errors) ADD_FAILURE() << Describe(e);
  std::map<std::string, std::string> original = FilesIn(tariff.path());
  original.erase("ZONES.ACC");
  EXPECT_EQ(FilesIn(again.path()), original);
  return FilesIn(source.path());
}

TEST(ZoneMatrix, DumpGroupsIdenticalRowsIntoZonesOfKeyRanges) {
  const auto source = DumpAndCompileBack(
      {{100500, 102100, 102200, 102300, 190000, 310001, 310002},
       {{1, 1, 1, 1, 2, 0, 0}, {1, 1, 1, 2, 0, 0}, {1, 1, 2, 0, 0}, {1, 2, 0, 0}, {2, 0, 0},
        {0, 0}, {0}},
       {"G001010", "A001000"}});
  EXPECT_EQ(source.at("zones.csv"),
            "zone,first,last\nZ1,1:00500,1:00500\nZ1,1:02100,1:02300\nZ2,1:90000,1:90000\n"
            "Z3,3:10001,3:10002\n");
  EXPECT_EQ(source.at("lanes.csv"),
            "origin_zone,destination_zone,rate_basis\nZ1,Z1,G001010\nZ1,Z2,A001000\n"
            "Z2,Z2,A001000\n");
  EXPECT_FALSE(source.contains("matrix_records.csv"));
}

// Records the lanes cannot number by their text (in the order of the lanes
// that first use them) go to matrix_records.csv;
// a run of prefix keys stops at the end of its kind.
TEST(ZoneMatrix, EveryMatrixCompilesBackFromItsDump) {
  const std::vector<uint32_t> keys = {102150, 199900, 200000, 310001};
  const std::vector<std::vector<uint16_t>> rows = {{2, 1, 1, 0}, {2, 2, 0}, {2, 0}, {0}};
  const struct {
    const char* what;
    std::vector<std::string> records;
    bool listed;  // matrix_records.csv written
  } cases[] = {
      {"records in one order", {"A000010", "B000020"}, false},
      {"records in the other", {"B000020", "A000010"}, false},
      {"a record no cell uses", {"A000010", "B000020", "C000030"}, true},
      {"two records alike", {"A000010", "A000010"}, true},
      {"a blank record", {"A000010", ""}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto source = DumpAndCompileBack({keys, rows, c.records});
    EXPECT_EQ(source.contains("matrix_records.csv"), c.listed);
    EXPECT_EQ(source.at("zones.csv"),
              "zone,first,last\nZ1,1:02150,1:02150\nZ2,1:99900,1:99900\nZ2,2:00000,2:00000\n"
              "Z3,3:10001,3:10001\n");
  }
  DumpAndCompileBack({{}, {}, {}});
}

TEST(ZoneMatrix, AMatrixHoldsAsManyKeysAsARowHoldsCells) {
  TempDir source, out;
  source.WriteFile("zones.csv", "zone,first,last\nEAST,1:02100,1:02100\nWIDE,3:00000,3:02798\n");
  source.WriteFile("lanes.csv", "origin_zone,destination_zone,rate_basis\nEAST,EAST,A001000\n");
  source.WriteFile("tariff.toml", "[settings]\nuse_fac_tables = \"N\"\n");
  std::vector<SourceError> errors;
  std::map<std::string, std::string> files;
  CompileSource(source.path(), files, errors);
  for (const SourceError& e : errors) EXPECT_NE(e.file, "zones.csv") << Describe(e);
  ASSERT_TRUE(files.contains(".ZF1"));
  EXPECT_EQ(files.at(".ZF1").substr(0, 2), std::string("\xF0\x0A", 2));  // 2800 keys
}

}  // namespace
}  // namespace brant::tool
