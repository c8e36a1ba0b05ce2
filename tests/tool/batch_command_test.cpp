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

TEST_F(BatchCommand, WritesOneRowPerInputRowWithItsLineAndStatus) {
  const std::string input = dir_.WriteFile("in.csv", kShipments);
  BrantRun run = RunBrant({"batch", "--tariff", tariff_, input});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out,
            "line,result,status,message,origin,destination,rate_basis,total_weight,"
            "billed_weight,gross_charge,discount_amount,net_charge,minimum_charge,"
            "weight_tier_charge\n"
            "2,rated,0,,10001,90001,G001100,1800,2000,1289.75,.00,1289.75,46.00,0.00\n"
            "4,refused,103,Out of Scope of Operations.,10001,00601,,,,,,,,\n"
            "5,refused,105,Invalid Class.,10001,90001,,,,,,,,\n"
            "6,refused,0,malformed CSV record,,,,,,,,,,\n"
            "7,rated,0,,60601,10001,A001230,500,500,421.50,.00,421.50,55.00,0.00\n"
            "8,refused,102,Invalid Destination ZIP Code.,60601,\"10001\n\",,,,,,,,\n");
  EXPECT_NE(run.err.find("line 5: status 105: Invalid Class."), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("6 rows: 2 rated, 0 rated with a warning, 4 refused"),
            std::string::npos);

  // The same rows through the library function, as JSON lines.
  std::istringstream in(kShipments);
  std::ostringstream out, err;
  tool::BatchOptions options{tariff_, {}, true};
  EXPECT_EQ(tool::RunBatch(options, in, out, err), 2);
  std::istringstream lines(out.str());
  std::vector<std::pair<int, std::string>> rows;
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json j = nlohmann::json::parse(line);
    rows.emplace_back(j["line"].get<int>(), j["result"].get<std::string>());
  }
  const std::vector<std::pair<int, std::string>> expected = {
      {2, "rated"}, {4, "refused"}, {5, "refused"}, {6, "refused"}, {7, "rated"}, {8, "refused"}};
  EXPECT_EQ(rows, expected);
}

TEST_F(BatchCommand, RefusesAnInputWithoutItsHeader) {
  for (const char* input : {"", "10001,90001,100,500\n", "origin,class1,weight1\n"}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    EXPECT_EQ(tool::RunBatch({tariff_, {}, false}, in, out, err), 1) << input;
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
