// The tariff source (its compile errors are in cases/compile.toml): a dumped
// tariff compiles back to its own bytes; a source written by hand compiles
// to what the kit writes for the same content; a source compiles only with
// every table its tariff needs to open.
#include "source/tariff_source.h"

#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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

// The charges past the line haul: the fuel index and table (bands or a
// formula, the [fuel] keys in the manifest), the accessorial catalogue and
// the class map, dumped to the texts below and compiled back.
TEST(TariffSource, DumpedChargeFilesCompileToTheirOwnBytes) {
  kit::FuelTable bands{.weekday = 2, .bands = {{1200, 1250, 100}, {1250, 99999, 2350}}};
  kit::FuelTable formula{.formula = true, .weekday = 0, .onGross = true, .discounted = true,
                         .formulaBaseMills = 1250, .formulaStepMills = 50,
                         .formulaPercentBps = 50};
  const struct {
    kit::FuelTable table;
    const char* fuelKeys;   // the end of tariff.toml
    const char* bandsText;  // fuel_table.csv, or null for none
  } cases[] = {
      {bands, "[fuel]\neffective_weekday = \"Tuesday\"\napplies_to = \"freight_charge\"\n"
              "discounted = false\n",
       "at_least,less_than,percent\n1.200,1.250,1.00\n1.250,99.999,23.50\n"},
      {formula, "[fuel]\neffective_weekday = \"Sunday\"\napplies_to = \"gross\"\n"
                "discounted = true\nformula = { base_price = \"1.250\", step = \"0.050\", "
                "percent_per_step = \"0.50\" }\n",
       nullptr},
  };
  for (const auto& c : cases) {
    kit::TariffFiles files = kit::RenderTariff(kit::DescribeSmallTariff({.rateRecords = 5}));
    files[".FUI"] = kit::FuelIndexFile({{20250106, 3759}, {20251229, 1}, {20260105, 99999}});
    files[".FUT"] = kit::FuelTableFile(c.table);
    files[".ACL"] = kit::AccessorialFile(
        {{"LIFTGATE", "Liftgate, delivery", kit::ChargeKind::kFlat, 8500, 0, 0},
         {"INSIDE", "Inside", kit::ChargeKind::kPerHundredweight, 950, 9500, 45000},
         {"G_2", " Guaranteed ", kit::ChargeKind::kPercent, 99999, 7, 0}});
    files[".FAK"] = kit::ClassMapFile({{"55", "50"}, {"77.5", "70"}});
    TempDir dir;
    kit::WriteTariff(dir.path(), "CHARGE", files);
    const auto source = ExpectRoundTrip(dir, "CHARGE");
    const std::string& manifest = source.at("tariff.toml");
    EXPECT_EQ(manifest.substr(manifest.find("[fuel]")), c.fuelKeys);
    EXPECT_EQ(source.contains("fuel_table.csv"), c.bandsText != nullptr);
    if (c.bandsText != nullptr) {
      EXPECT_EQ(source.at("fuel_table.csv"), c.bandsText);
    }
    EXPECT_EQ(source.at("fuel_index.csv"),
              "date,price\n2025-01-06,3.759\n2025-12-29,0.001\n2026-01-05,99.999\n");
    EXPECT_EQ(source.at("accessorials.csv"),
              "code,name,kind,amount,minimum,maximum\n"
              "LIFTGATE,\"Liftgate, delivery\",flat,85.00,,\n"
              "INSIDE,Inside,per_cwt,9.50,95.00,450.00\n"
              "G_2,\" Guaranteed \",percent,999.99,0.07,\n");
    EXPECT_EQ(source.at("class_map.csv"), "class,rates_as\n55,50\n77.5,70\n");
  }
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

}  // namespace
}  // namespace brant::tool
