// brant batch end to end: one output row per input row, bad rows reported
// by line without stopping the batch, and memory that does not grow with
// the input.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "brant_tool.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"
#include "tool/brant_process.h"

namespace brant::test_support {
namespace {

class BatchCommand : public ::testing::Test {
 protected:
  void SetUp() override { tariffkit::WriteSmallTariff(dir_.path(), {.name = "SMALL"}); }
  tool::BatchOptions Options() const {
    tool::BatchOptions options;
    options.tariff.tariff = tariff_;
    return options;
  }

  TempDir dir_;
  const std::string tariff_ = dir_.PathOf("SMALL");
};

// Line 3 is blank, line 6 holds a stray quote, line 8's record spans two
// lines: each row keeps the line where it began.
const char* const kShipments =
    "origin,destination,class1,weight1,class2,weight2\n"
    "10001,90001,100,1500,85,300\n"
    "\n"
    "10001,00601,100,500\n"
    "10001,90001,57,500\n"
    "10001,90001,100,\"5\"00\n"
    "60601,10001,100,500,,\n"
    "60601,\"10001\n\",100,500\n";

// Row 2 as brant rate bills it (the deficit wins at 2000 pounds); row 7
// pays the kit's zone minimum of 55.00 and its zone charge of 2.50 on lanes
// between 10000-19999 and 60000-69999.
TEST_F(BatchCommand, WritesOneRowPerInputRowWithItsLineAndStatus) {
  const std::string input = dir_.WriteFile("in.csv", kShipments);
  BrantRun run = RunBrant({"batch", "--tariff", tariff_, input});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out,
            "line,result,status,message,origin,destination,rate_basis,total_weight,"
            "billed_weight,gross_charge,discount_amount,net_charge,minimum_charge,"
            "weight_tier_charge,amount_due,minimum_discount,floor,zone_charge,hawaiian_charges,"
            "transit_days\n"
            "2,rated,0,,10001,90001,G001100,1800,2000,1289.75,0.00,1289.75,46.00,0.00,1289.75,"
            "0.00,0.00,0.00,0.00,\n"
            "4,refused,11,destination 00601: out of the carrier's scope of operations,10001,00601,"
            ",,,,,,,,,,,,,\n"
            "5,refused,11,\"line 1 class 57: not a class of this tariff; it has 500, 400, 300, "
            "250, 200, 175, 150, 125, 110, 100, 92, 85, 77, 70, 65, 60, 55, 50\",10001,90001,"
            ",,,,,,,,,,,,,\n"
            "6,refused,10,\"malformed CSV record: a quote inside an unquoted field, or one never "
            "closed\",,,,,,,,,,,,,,,,\n"
            "7,rated,0,,60601,10001,A001230,500,500,421.50,0.00,421.50,55.00,0.00,424.00,0.00,"
            "0.00,2.50,0.00,\n"
            "8,refused,10,destination 10001?: a ZIP code has five digits; a Mexican point is "
            "five digits and M (64000M),60601,\"10001\n\",,,,,,,,,,,,,,\n");
  EXPECT_NE(run.err.find("line 5: line 1 class 57: not a class of this tariff"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("line 8: destination 10001?: a ZIP code"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("6 rows: 2 rated, 0 rated with a warning, 4 refused"),
            std::string::npos);
}

// A JSON line is brant rate's object with its line, options and all: row
// 7's 421.50 raised to a floor of 500.00, then its zone charge of 2.50.
TEST_F(BatchCommand, WritesEachRowAsTheObjectOfBrantRate) {
  std::istringstream in(kShipments);
  std::ostringstream out, err;
  tool::BatchOptions options = Options();
  options.shipment.floorCents = 50000;
  options.shipment.explain = true;
  options.json = true;
  EXPECT_EQ(tool::RunBatch(options, in, out, err), 2);
  std::istringstream lines(out.str());
  std::vector<std::pair<int, std::string>> rows;
  for (std::string line; std::getline(lines, line);) {
    nlohmann::json j = nlohmann::json::parse(line);
    rows.emplace_back(j["line"].get<int>(), j["result"].get<std::string>());
    if (j["line"] != 7) continue;
    const BrantRun rate = RunBrant({"rate", "--json", "--tariff", tariff_, "--floor", "500",
                                    "--explain", "60601", "10001", "100:500"});
    j.erase("line");
    EXPECT_EQ(j, nlohmann::json::parse(rate.out));
    EXPECT_EQ(j["bill"]["amount_due_cents"], 50250);
  }
  const std::vector<std::pair<int, std::string>> expected = {
      {2, "rated"}, {4, "refused"}, {5, "refused"}, {6, "refused"}, {7, "rated"}, {8, "refused"}};
  EXPECT_EQ(rows, expected);
}

TEST_F(BatchCommand, RefusesAnInputWithoutItsHeader) {
  for (const char* input : {"", "10001,90001,100,500\n", "origin,class1,weight1\n"}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    EXPECT_EQ(tool::RunBatch(Options(), in, out, err), 1) << input;
    EXPECT_NE(err.str().find("origin,destination,class1,weight1"), std::string::npos);
  }
}

// A million rows, each tenth rated in full and the others refused at their
// origin, against a thousand: the peak memory of the run stays the same.
TEST_F(BatchCommand, StreamsAMillionRowsInConstantMemory) {
  auto write = [&](const char* name, int rows) {
    std::ofstream out(dir_.PathOf(name));
    out << "origin,destination,class1,weight1\n";
    for (int i = 0; i < rows; ++i) out << (i % 10 == 0 ? "10001" : "55555") << ",90001,100,500\n";
    return dir_.PathOf(name);
  };
  // The sanitizer's quarantine of freed blocks would be measured, not brant.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string saved = asan != nullptr ? asan : "";
  setenv("ASAN_OPTIONS", (saved + ":quarantine_size_mb=0").c_str(), 1);
  const BrantRun small = RunBrant({"batch", "--tariff", tariff_, write("small.csv", 1000)});
  const std::string output = dir_.PathOf("out.csv");
  const BrantRun large =
      RunBrant({"batch", "--tariff", tariff_, write("large.csv", 1000000)}, "/dev/null", output);
  setenv("ASAN_OPTIONS", saved.c_str(), 1);

  EXPECT_EQ(large.exitCode, 2);
  EXPECT_NE(large.err.find("1000000 rows: 100000 rated"), std::string::npos) << large.err;
  std::ifstream written(output);
  std::size_t rows = 0;
  for (std::string line; std::getline(written, line);) ++rows;
  EXPECT_EQ(rows, 1000001u);
  EXPECT_LT(large.peakKilobytes, small.peakKilobytes + 2048)
      << small.peakKilobytes << " KB for a thousand rows";
}

}  // namespace
}  // namespace brant::test_support
