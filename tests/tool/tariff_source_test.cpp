// The tariff source: compile errors point at their file, line and column and
// write nothing; a dumped tariff compiles back to its own bytes; a source
// written by hand compiles to what the kit writes for the same content; a
// source compiles only with every table its tariff needs to open.
#include "source/tariff_source.h"

#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// Dumps the tariff in `tariffDir`, compiles the dump and expects every file
// back byte for byte (the user's .ACC is no part of a source). Returns the
// source files the dump wrote, by name.
std::map<std::string, std::string> ExpectRoundTrip(const TempDir& tariffDir,
                                                   const std::string& name) {
  TempDir source, again;
  std::string error;
  EXPECT_TRUE(DumpTariff(tariffDir.path(), name, source.path(), error)) << error;
  std::vector<SourceError> errors;
  EXPECT_TRUE(CompileTariff(source.path(), again.path(), name, errors));
  for (const SourceError& e : errors) ADD_FAILURE() << e.file << ":" << e.line << ": " << e.rule;
  auto original = FilesIn(tariffDir.path());
  original.erase(name + ".ACC");
  EXPECT_EQ(FilesIn(again.path()), original);
  return FilesIn(source.path());
}

TEST(TariffSource, DumpedSmallTariffsCompileToTheirOwnBytes) {
  for (char layout : {'Y', 'N'}) {
    for (char wide : {'N', 'Y'}) {
      SCOPED_TRACE(std::string("useFacTables ") + layout + ", wide " + wide);
      TempDir dir;
      kit::WriteSmallTariff(dir.path(), {.name = "SMALL", .useFacTables = layout,
                                         .wideRteRecords = wide, .rateRecords = 60});
      ExpectRoundTrip(dir, "SMALL");
    }
  }
}

// Every other file a tariff may hold, with matrix cells that share a rate
// basis record, which the dump must keep as shared.
TEST(TariffSource, DumpedSpecialLegsAndAdjustmentsCompileToTheirOwnBytes) {
  kit::TariffContent c = kit::DescribeSmallTariff({.rateRecords = 20});
  c.matrixRows[0][1] = c.matrixRows[0][0];
  kit::TariffFiles files = kit::RenderTariff(c);
  files[".HIM"] = kit::HawaiiGatewayFile({{"021", "967", "HNL"}, {"MEX", "968", "OGG"}});
  files[".HIF"] = kit::GatewayZipFile({{"HNL", "90001"}, {"OGG", "90210"}});
  files[".HID"] = kit::HawaiiTableFile({{"A01", "AA", 5000, {900, 800, 700, 600, 500, 400}}});
  files[".HIW"] = kit::HawaiiTableFile({{"B02", "", -1, {}}});
  files[".HIB"] = kit::HawaiiPointFile({{"96701", "A01", "AA", "HN"}, {"96801", "A01", "", "HNL"}});
  files[".BMX"] = kit::MexicanPointFile({{"01000", "MX1"}, {"64000", "MTY"}});
  files[".MMX"] = kit::MexicanRbnoFile({{"MX1", "750", "001010"}});
  files[".RMX"] = kit::LegRateFile({{"001000", {12000, 1, 2}}, {"001010", {-5}}});
  files[".MXF"] = kit::MexicanFactorFile({{"000000", "999999", {{5000, 0}, {10000, 3}}}});
  files[".AKB"] = kit::AlaskaPointFile({{"99501", "99", "ANC", 'Y'}, {"99701", "50", "FAI", 'N'}});
  files[".AKM"] = kit::AlaskaRbnoFile({{"ANC", "980", "001020"}});
  files[".AKR"] = kit::LegRateFile({{"001020", {7000}}});
  files[".FBA"] = kit::ZipAdjustmentPointFile({3, {{2101, {"P0001", "P0002"}}, {2105, {}}}});
  files[".TBA"] = kit::ZipAdjustmentPointFile({1, {{10001, {"Q1"}}}});
  files[".FCA"] = kit::PostalAdjustmentPointFile({{"H1A", "H9Z", "PQC01"}});
  files[".TCA"] = kit::PostalAdjustmentPointFile({});
  files[".LMA"] = kit::LaneAdjustmentFile({{"P0001", "Q1", "000125"}, {"P0001", "Q1", "000126"}});
  files[".ADF"] = kit::AdjustmentFile({{125, '1', {10500, 10500}}, {126, 'A', {0, 0, 0, 0, 250}}});
  files[".SRV"] = kit::TerminalDaysFile({{"BOS", "CHI", 3}, {"BOS", "LAX", 5}});
  files[".COZ"] = kit::CozFile({"AB12", "C"});
  TempDir dir;
  kit::WriteTariff(dir.path(), "LEGS", files);
  // 39 tariff files (no .ACC) come from 37 source files: the matrix from zones.csv,
  // lanes.csv and, for the shared record, matrix_records.csv.
  EXPECT_EQ(ExpectRoundTrip(dir, "LEGS").size(), 37u);
}

// The dump finds zones in any matrix (keys whose rows are identical; runs of
// keys as ranges, a run of prefixes ending with its kind); records the lanes
// cannot number by text, in order of first use, go to matrix_records.csv.
TEST(TariffSource, DumpedMatricesCompileToTheirOwnBytesFromZonesAndLanes) {
  const std::vector<uint32_t> keys = {102150, 199900, 200000, 310001};
  const std::vector<std::vector<uint16_t>> rows = {{2, 1, 1, 0}, {2, 2, 0}, {2, 0}, {0}};
  const struct {
    std::vector<std::string> records;
    bool listed;  // matrix_records.csv written
  } cases[] = {
      {{"B000020", "A000010"}, false},
      {{"A000010", "A000010"}, true},
      {{"A000010", "", "C000030"}, true},
      {{}, false},  // no matrix keys at all
  };
  for (const auto& c : cases) {
    kit::TariffContent content = kit::DescribeSmallTariff({.rateRecords = 5});
    content.matrixKeys = c.records.empty() ? std::vector<uint32_t>{} : keys;
    content.matrixRows = c.records.empty() ? std::vector<std::vector<uint16_t>>{} : rows;
    content.basisRecords = c.records;
    TempDir dir;
    kit::WriteTariff(dir.path(), "ZONES", kit::RenderTariff(content));
    const auto source = ExpectRoundTrip(dir, "ZONES");
    EXPECT_EQ(source.contains("matrix_records.csv"), c.listed);
    if (c.records.empty()) continue;
    EXPECT_EQ(source.at("zones.csv"), "zone,first,last\nZ1,1:02150,1:02150\nZ2,1:99900,1:99900\n"
                                      "Z2,2:00000,2:00000\nZ3,3:10001,3:10001\n");
    if (!c.listed) {
      EXPECT_EQ(source.at("lanes.csv"), "origin_zone,destination_zone,rate_basis\n"
                                        "Z1,Z2,B000020\nZ1,Z1,A000010\nZ2,Z2,A000010\n");
    }
  }
}

// The dump refuses what its source could not give back: a host byte of the
// settings record that the source has no key for.
TEST(TariffSource, DumpRefusesBytesTheSourceCannotHold) {
  kit::TariffFiles files = kit::RenderTariff(kit::DescribeSmallTariff({.rateRecords = 5}));
  files[".SET"][0] = 'H';
  TempDir dir, out;
  kit::WriteTariff(dir.path(), "HOST", files);
  std::string error;
  EXPECT_FALSE(DumpTariff(dir.path(), "HOST", out.path(), error));
  EXPECT_EQ(error, "HOST.SET holds bytes that the tariff source cannot express");
  EXPECT_TRUE(fs::is_empty(out.path()));
}

const char kManifest[] =
    "classes = [\"100\", \"50\"]\n"
    "weight_breaks = [ { label = \"L5C\", minimum = 0, maximum = 499 },\n"
    "                  { label = \"M5C  \", minimum = 500, maximum = 9999999 } ]\n"
    "[settings]\n"
    "issue = \" 7\"\n"
    "option_flags = \"NNNNNYNNN\"\n";
const char kRatesHeader[] =
    "key,min1,min2,min3,min4,rate1,rate2,rate3,rate4,rate5,rate6,rate7,rate8,rate9\n";

std::string GroupFactorsHeader() {
  std::string header = "lowest,highest";
  for (int i = 1; i <= 162; ++i) header += ",factor" + std::to_string(i);
  return header + "\n";
}

// The least source of each layout whose tariff opens: the manifest and the
// tables OpenAllFiles reads.
std::map<std::string, std::string> CompleteSource(bool matrixLayout) {
  std::map<std::string, std::string> files = {
      {"tariff.toml", kManifest},
      {"minimum_charges.csv", "letter,lowest,highest,kind,label,value\n\" \",0,999999,R,MIN,0\n"},
      {"group_factors.csv", GroupFactorsHeader() + "1,999999,10000\n"},
  };
  if (matrixLayout) {
    files["rates.csv"] = std::string(kRatesHeader) + "001000,4500,4000\n001010,1,2,3,4,5\n";
    files["factors.csv"] = "low_key,high_key,factor,repeat\n000000,999999,10000,0\n";
    files["base_zips.csv"] = "territory,lowest,highest,base_zip,adjustment\n";
    // As many keys as a stored row holds cells: 2800.
    files["zones.csv"] = "zone,first,last\nEAST,1:02100,1:02100\nWEST,3:00000,3:02798\n";
    files["lanes.csv"] = "origin_zone,destination_zone,rate_basis\nEAST,EAST,A001000\n";
  } else {
    files["tariff.toml"] += "use_fac_tables = \"N\"\n";
    files["postal_ranges.csv"] = "province,lowest,highest\nON,K0A,P9Z\n";
    files["zp6_records.csv"] = "record\nAB12\n";
  }
  return files;
}

void WriteSource(const TempDir& dir, const std::map<std::string, std::string>& files) {
  for (const auto& [name, text] : files) dir.WriteFile(name, text);
}

// Zones of several ranges (prefix keys step by 100) share one lane per pair;
// a text given twice is one rate basis record, numbered by first use.
TEST(TariffSource, HandWrittenSourceCompilesToTheKitsBytes) {
  TempDir source, out;
  std::map<std::string, std::string> files = CompleteSource(true);
  files["zones.csv"] = "zone,first,last\nEAST,1:02100,1:02300\nWEST,1:90000,1:90000\n"
                       "EAST,1:00500,1:00500\nBASE,3:10001,3:10002\n";
  files["lanes.csv"] = "origin_zone,destination_zone,rate_basis\nEAST,EAST,G001010\n"
                       "WEST,EAST,A001000\nWEST,WEST,A001000\n";
  files["state_codes.csv"] = "prefix,state,intrastate,direction,point_flag1,point_flag2,"
                             "point_flag3,region\n21,MA,N,B,N,N,Y,E\n";
  files["minimum_charges.csv"] = "letter,lowest,highest,kind,label,value\n\" \",0,999999,R,"
                                 "MINIMUM,0\nA,1000,1999,S,MIN 1,5000,\"MIN, 2\",7500\n";
  WriteSource(source, files);
  std::vector<SourceError> errors;
  ASSERT_TRUE(CompileTariff(source.path(), out.path(), "HAND", errors)) << errors.front().rule;

  kit::Settings settings;
  settings.issueText = " 7";
  settings.optionFlags[5] = 'Y';
  // Keys 1:00500, 1:02100, 1:02200, 1:02300 (EAST), 1:90000 (WEST), 3:10001, 3:10002 (BASE).
  std::vector<std::string> rows;
  for (const std::vector<uint16_t>& row : std::vector<std::vector<uint16_t>>{
           {1, 1, 1, 1, 2, 0, 0}, {1, 1, 1, 2, 0, 0}, {1, 1, 2, 0, 0}, {1, 2, 0, 0}, {2, 0, 0},
           {0, 0}, {0}}) {
    rows.push_back(kit::EncodeMatrixRow(row));
  }
  const kit::MatrixRows mx1 = kit::MatrixFile(rows);
  const std::map<std::string, std::string> expected = {
      {"HAND.SET", kit::SettingsRecord(settings)},
      {"HAND.CLS", "100  50   "},
      {"HAND.WGT", kit::WeightFile({{"L5C", 0, 499}, {"M5C  ", 500, 9999999}})},
      {"HAND.RTE", kit::RateFile({{"001000", {4500, 4000}}, {"001010", {1, 2, 3, 4, 5}}}, false)},
      {"HAND.MX1", mx1.mx1},
      {"HAND.ZF1", kit::Zf1File({std::vector<int16_t>(7, -1), mx1.places,
                                 {100500, 102100, 102200, 102300, 190000, 310001, 310002},
                                 {"G001010", "A001000"}, {}})},
      {"HAND.MCH", "\\  0;999999;01 R;MINIMUM;0\r\\A 1000;1999;02 S;MIN 1;5000;MIN, 2;7500\r"},
      {"HAND.SC", kit::StateCodeFile({{.prefix = 21, .state = "MA", .pointFlag3 = 'Y'}})},
  };
  const std::map<std::string, std::string> written = FilesIn(out.path());
  for (const auto& [name, bytes] : expected) {
    ASSERT_TRUE(written.contains(name)) << name;
    EXPECT_EQ(written.at(name), bytes) << name;
  }
}

// Each table OpenAllFiles reads is required: without it the compile names
// it, and the compiled tariff without its files would not open.
TEST(TariffSource, TablesTheTariffOpensWithAreRequired) {
  const std::map<std::string, std::vector<std::string>> required[] = {
      {{"minimum_charges.csv", {".MCH"}}, {"group_factors.csv", {".FC1", ".FC2"}},
       {"rates.csv", {".RTE"}}, {"factors.csv", {".FAC"}}, {"base_zips.csv", {".BSE"}},
       {"zones.csv", {".ZF1"}}},
      {{"minimum_charges.csv", {".MCH"}}, {"group_factors.csv", {".FC1", ".FC2"}},
       {"postal_ranges.csv", {".SCC"}}, {"zp6_records.csv", {".ZP6"}}},
  };
  for (bool matrix : {true, false}) {
    SCOPED_TRACE(matrix ? "matrix layout" : "postal layout");
    const std::map<std::string, std::string> complete = CompleteSource(matrix);
    TempDir source, tariff;
    WriteSource(source, complete);
    std::vector<SourceError> errors;
    ASSERT_TRUE(CompileTariff(source.path(), tariff.path(), "OPENS", errors))
        << Describe(errors.front());
    auto opens = [&tariff] {
      RateContext c{};
      c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
          c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
      std::snprintf(c.dataDir, sizeof c.dataDir, "%s", tariff.Slashed().c_str());
      std::snprintf(c.tariffName, sizeof c.tariffName, "OPENS");
      const bool opened = OpenAllFiles(&c, nullptr) == 1;
      CloseAllFiles(&c);
      return opened;
    };
    ASSERT_TRUE(opens());
    for (const auto& [table, extensions] : required[matrix ? 0 : 1]) {
      SCOPED_TRACE(table);
      std::map<std::string, std::string> without = complete;
      without.erase(table);
      if (table == "zones.csv") without.erase("lanes.csv");  // read only beside it
      TempDir partial, out;
      WriteSource(partial, without);
      errors.clear();
      EXPECT_FALSE(CompileTariff(partial.path(), out.path(), "OPENS", errors));
      ASSERT_EQ(errors.size(), 1u) << Describe(errors.back());
      EXPECT_EQ(errors[0].file, table);
      EXPECT_NE(errors[0].rule.find("does not open without this table"), std::string::npos);
      for (const std::string& extension : extensions) {
        const fs::path file = fs::path(tariff.path()) / ("OPENS" + extension);
        const std::string bytes = FilesIn(tariff.path()).at("OPENS" + extension);
        fs::remove(file);
        EXPECT_FALSE(opens()) << extension;
        tariff.WriteFile("OPENS" + extension, bytes);
      }
    }
  }
}

TEST(TariffSource, ATariffNameIsOneToEightCharactersWithoutASlash) {
  for (const char* good : {"A", "EIGHT_8.", "a b-c"}) EXPECT_EQ(TariffNameRule(good), "") << good;
  for (const char* bad : {"", "NINECHARS", "A/B"}) EXPECT_NE(TariffNameRule(bad), "") << bad;
}

struct BadSource {
  const char* file;
  std::optional<std::string> text;  // none: the file is left out
  const char* where;  // file:line:column
  const char* rule;
};

TEST(TariffSource, CompileErrorsNameTheirPlaceAndWriteNothing) {
  const std::string rates = kRatesHeader;
  const BadSource cases[] = {
      {"rates.csv", rates + "001000,1\n001010,1,2.5\n", "rates.csv:3:3",
       "min2 must be a whole number of cents"},
      {"rates.csv", rates + "001010,1\n001000,1\n", "rates.csv:3:1",
       "lines must be in ascending order of key"},
      {"rates.csv", rates + "01000,1\n", "rates.csv:2:1", "key must be exactly 6 characters"},
      {"rates.csv", "key,min2\n", "rates.csv:1:2", "column 2 must be named \"min1\""},
      {"rates.csv", rates + "001000,\"1\n", "rates.csv:2:2", "not well-formed CSV"},
      {"rates.csv", rates + "001000,1\n001000,2\n", "rates.csv:3:1",
       "key 001000 is already given on line 2"},
      {"zones.csv", "zone,first,last\nEAST,1:02100,1:02300\nWEST,1:02200,1:90000\n",
       "zones.csv:3:2", "key 1:02200 is already in zone EAST on line 2"},
      {"zones.csv", "zone,first,last\nEAST,1:02100,1:02150\nWEST,1:90000,1:90000\n",
       "zones.csv:2:3", "last must be a key of first's kind, from first on in whole prefixes"},
      {"zones.csv", "zone,first,last\nEAST,1:02100,1:02100\nWEST,3:00000,3:02799\n",
       "zones.csv:3:3", "a matrix holds at most 2800 keys"},
      {"lanes.csv", "origin_zone,destination_zone,rate_basis\nEAST,WEST,A1\nWEST,EAST,A2\n",
       "lanes.csv:3:2", "this pair of zones is already given on line 2"},
      {"lanes.csv", "origin_zone,destination_zone,rate_basis\nEAST,NORTH,A1\n", "lanes.csv:2:2",
       "destination_zone NORTH is not a zone of zones.csv"},
      {"lanes.csv", std::nullopt, "lanes.csv:0:0", "is missing: zones.csv is read only with"},
      {"hawaii_gateways.csv", "origin_code,destination_code,gateway\n021,967,HNL\n021,967,OGG\n",
       "hawaii_gateways.csv:3:2",
       "origin_code 021 and destination_code 967 is already given on line 2"},
      {"tariff.toml", "classes = [\"50\", \"50\", \"100\"]\n[settings]\n", "tariff.toml:1:18",
       "class \"50\" is already given at line 1, column 12"},
      {"tariff.toml", "weight_breaks = [{ label = \"L5C\", minimum = 0, maximum = 9 },\n"
                      "  { label = \"L5C  \", minimum = 10, maximum = 99 }]\n[settings]\n",
       "tariff.toml:2:3", "weight break \"L5C  \" is already given at line 1, column 18"},
      {"tariff.toml", "classes = []\n[settings]\n", "tariff.toml:1:11",
       "classes needs at least one class code"},
      {"tariff.toml", "classes = [\"100\"]\n[settings]\n", "tariff.toml:0:0",
       "the tariff does not open without weight_breaks (its .WGT)"},
      {"state_codes.csv", "prefix,state,intrastate,direction,point_flag1,point_flag2,"
                          "point_flag3,region\n\n1000,NY,N,B,N,N,N,E\n",
       "state_codes.csv:3:1", "prefix must be from 1 to 999"},
      {"base_points.csv", "postal_code,origin_point,destination_point,origin_rbno_adjustment,"
                          "origin_adjustment_number,destination_rbno_adjustment,"
                          "destination_adjustment_number\n02101,BP021,BP0210,0,0,0,0\n",
       "base_points.csv:2:2", "origin_point must be exactly 6 characters"},
      {"zone_minimums.csv", "first_lowest,first_highest,second_lowest,second_highest,"
                            "rbno_lowest,rbno_highest,minimum_charge,zone_charge\n"
                            "10000,19999,60000,69999,A00000,A99999,55.0.0,1\n",
       "zone_minimums.csv:2:7", "minimum_charge must be an amount in cents"},
      {"factors.csv", "low_key,high_key,factor,repeat\n000000,999999,10000,9,5000\n",
       "factors.csv:2:5", "a line holds 2 fields and then up to 172 groups of 2"},
      {"tariff.toml", std::string(kManifest) + "wide = \"Y\"\n", "tariff.toml:7:8",
       "settings have no key \"wide\""},
      {"tariff.toml", "[settings\n", "tariff.toml:1:10", ""},
      {"rate.csv", "key\n", "rate.csv:0:0", "no table of a tariff source has this name"},
      {"tariff.toml", "[settings]\noption_flags = \"YN\"\n", "tariff.toml:2:16",
       "option_flags must be exactly 9 characters"},
      {"tariff.toml", "weight_breaks = [{ label = \"L5C\", minimum = -1, maximum = 9 }]\n"
                      "[settings]\n", "tariff.toml:1:45", "minimum must be a whole number from 0"},
      {"lanes.csv", "origin_zone,destination_zone,record\nEAST,WEST,0\n", "lanes.csv:1:3",
       "lanes that name a record need matrix_records.csv"},
      {"matrix_records.csv", "rate_basis\nA001000\n", "lanes.csv:1:3",
       "matrix_records.csv is read only when lanes name a record"},
      {"state_codes.csv", "prefix,state,intrastate,direction,point_flag1,point_flag2,"
                          "point_flag3,region\n21,MA,N,B,N,N,Y,E\n21,MA,N,B,N,N,Y,E\n",
       "state_codes.csv:3:1", "prefix 21 is already given on line 2"},
      {"base_zips.csv", "territory,lowest,highest,base_zip,adjustment\nA,10050,10150,10001,0\n",
       "base_zips.csv:2:3", "highest must lie from lowest to the end of its hundred-block"},
      {"base_zips.csv", "territory,lowest,highest,base_zip,adjustment\nB,10050,10060,10001,0\n",
       "base_zips.csv:2:1", "territory must be A, F or I"},
      {"alaska_points.csv", "lowest,highest,point,point_flag\n99501,99601,ANC,Y\n",
       "alaska_points.csv:2:2", "highest must share the lowest ZIP's first three digits"},
      {"group_factors.csv", "lowest,highest\n1,10\n10,20\n", "group_factors.csv:1:3",
       "column 3 must be named \"factor1\""},
      {"origin_adjustment_points.csv", "zip,point1,point3\n", "origin_adjustment_points.csv:1:3",
       "column 3 must be named \"point2\""},
      {"postal_ranges.csv", "province,lowest,highest\nON,M1A,M9Z\nQC,M5A,M5Z\n",
       "postal_ranges.csv:3:2", "ranges must ascend without overlapping line 2"},
  };
  for (const BadSource& c : cases) {
    SCOPED_TRACE(c.where);
    TempDir source, out;
    std::map<std::string, std::string> files = CompleteSource(true);
    files.erase(c.file);
    if (c.text) files[c.file] = *c.text;
    WriteSource(source, files);
    out.WriteFile("OLD.RTE", "kept");
    std::vector<SourceError> errors;
    EXPECT_FALSE(CompileTariff(source.path(), out.path(), "OLD", errors));
    ASSERT_EQ(errors.size(), 1u) << Describe(errors.back());
    const SourceError& e = errors.front();
    EXPECT_EQ(e.file + ":" + std::to_string(e.line) + ":" + std::to_string(e.column), c.where);
    EXPECT_EQ(e.rule.substr(0, std::string(c.rule).size()), c.rule);
    EXPECT_EQ(FilesIn(out.path()), (std::map<std::string, std::string>{{"OLD.RTE", "kept"}}));
  }
}

}  // namespace
}  // namespace brant::tool
