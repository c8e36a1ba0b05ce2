// brant batch end to end: one output row per input row, bad rows reported
// by line without stopping the batch, and memory that does not grow with
// the input.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "batch_summary.h"
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

// Line 3 is blank; lines 6, 8, 9 and 10 break the quoting, each its own
// way, and only their own line: line 8 leaves a quote open, and line 9
// (which opens one more) is read afresh all the same.
const char* const kShipments =
    "origin,destination,class1,weight1,class2,weight2\n"
    "10001,90001,100,1500,85,300\n"
    "\n"
    "10001,00601,100,500\n"
    "10001,90001,57,500\n"
    "10001,90001,100,\"5\"00\n"
    "60601,10001,100,500,,\n"
    "60601,\"10001\n"
    "\",100,500\n"
    "60601,10001,1\"00,500\n";

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
            "6,refused,10,malformed CSV in field 4 (weight1): text after the closing quote; a "
            "quote inside a quoted field is doubled,10001,90001,,,,,,,,,,,,,,\n"
            "7,rated,0,,60601,10001,A001230,500,500,421.50,0.00,421.50,55.00,0.00,424.00,0.00,"
            "0.00,2.50,0.00,\n"
            "8,refused,10,malformed CSV in field 2 (destination): a quote not closed on its line,"
            "60601,,,,,,,,,,,,,,,\n"
            "9,refused,10,malformed CSV in field 1 (origin): a quote not closed on its line,"
            ",,,,,,,,,,,,,,,\n"
            "10,refused,10,malformed CSV in field 3 (class1): a quote inside a field that does "
            "not begin with one; quote the whole field and double the quotes inside it,"
            "60601,10001,,,,,,,,,,,,,,\n");
  EXPECT_NE(run.err.find("line 5: line 1 class 57: not a class of this tariff"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("line 8: malformed CSV in field 2"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("brant batch: 8 rows: 2 rated, 0 rated with a warning, 6 refused; "),
            std::string::npos)
      << run.err;
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
      {2, "rated"},   {4, "refused"}, {5, "refused"}, {6, "refused"},
      {7, "rated"},   {8, "refused"}, {9, "refused"}, {10, "refused"}};
  EXPECT_EQ(rows, expected);
}

// Every header that will not do stops the batch before its first row, with
// the reason on standard error.
TEST_F(BatchCommand, RefusesAHeaderThatWillNotDo) {
  struct Case {
    std::string header;
    std::vector<std::string> keep;
    const char* error;
  };
  std::string wide = "origin,destination,class1,weight1";
  for (int i = 5; i <= 1024; ++i) wide += ",x" + std::to_string(i);
  const Case cases[] = {
      {"", {}, "the input is empty"},
      {"10001,90001,100,500", {}, "missing columns \"origin\", \"destination\", \"class1\""},
      {"origin,destination,class1,weight1,class3", {}, "missing column \"weight3\";"},
      {"origin,destination,class1,weight1,weight2", {}, "missing column \"class2\";"},
      {"origin,destination,class1,weight1,class9", {}, "column 5 \"class9\": lines are numbered"},
      {"origin,destination,class1,weight1,weight0", {}, "column 5 \"weight0\": lines are"},
      // Names compare without regard to case.
      {"origin,destination,class1,Weight1,ref,weight1", {}, "columns 4 and 6"},
      {"origin,destination,class1,weight1,Status", {}, "column 5 \"Status\" has the name of an"},
      {"origin,destination,class1,weight1", {"origin"}, "--keep \"origin\": the output has a"},
      {"origin,\"destination,class1,weight1", {},
       "line 1: malformed CSV header in field 2: a quote not closed"},
      {wide + ",x1025", {}, "line 1: more than 1024 columns"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.header.empty() ? "" : c.header + "\n10001,90001,100,1500\n");
    std::ostringstream out, err;
    tool::BatchOptions options = Options();
    options.keep = c.keep;
    EXPECT_EQ(tool::RunBatch(options, in, out, err), 1) << c.header;
    EXPECT_NE(err.str().find(c.error), std::string::npos) << c.header << "\n" << err.str();
    EXPECT_EQ(out.str(), "") << c.header;
  }
  // The widest header; the last line; a name of the output's that JSON keeps apart.
  const std::pair<std::string, bool> accepted[] = {
      {wide, false}, {"origin,destination,class1,weight1,class8,weight8,status", true}};
  for (const auto& [header, json] : accepted) {
    std::istringstream in(header + "\n10001,90001,100,1500\n");
    std::ostringstream out, err;
    tool::BatchOptions options = Options();
    options.json = json;
    EXPECT_EQ(tool::RunBatch(options, in, out, err), 0) << err.str();
  }
}

// The columns the batch does not read ride along, right after the line, so
// that each result can be joined back to its shipment: even a refused row's
// and a broken line's, up to where the line broke.
TEST_F(BatchCommand, CarriesTheColumnsItDoesNotReadInTheirInputOrder) {
  const std::string input =
      "\xEF\xBB\xBFref,origin,destination,class1,weight1,,invoice\n"
      "\"A,1\",10001,90001,100,1500,x,INV-9\n"
      "A2,10001,00601,100,500\n"
      "A3,10001,\"90001\n";
  const char* const bill =
      "rated,0,,10001,90001,G001100,1500,1500,1125.00,0.00,1125.00,46.00,0.00,1125.00,0.00,"
      "0.00,0.00,0.00,\n";
  const std::pair<std::vector<std::string>, std::string> expected[] = {
      {{},
       "line,ref,invoice,result,status,message,origin,destination,rate_basis,total_weight,"
       "billed_weight,gross_charge,discount_amount,net_charge,minimum_charge,weight_tier_charge,"
       "amount_due,minimum_discount,floor,zone_charge,hawaiian_charges,transit_days\n"
       "2,\"A,1\",INV-9," + std::string(bill) +
       "3,A2,,refused,11,destination 00601: out of the carrier's scope of operations,10001,"
       "00601,,,,,,,,,,,,,,\n"
       "4,A3,,refused,10,malformed CSV in field 3 (destination): a quote not closed on its "
       "line,10001,,,,,,,,,,,,,,,\n"},
      {{"invoice"}, "line,invoice,result,"},
      {{""}, "line,result,"},
  };
  for (const auto& [keep, start] : expected) {
    std::istringstream in(input);
    std::ostringstream out, err;
    tool::BatchOptions options = Options();
    options.keep = keep;
    EXPECT_EQ(tool::RunBatch(options, in, out, err), 2) << err.str();
    EXPECT_EQ(out.str().substr(0, start.size()), start);
  }
}

// A fake bar drawn into the same stream as the messages shows what a
// terminal would: every message on a line of its own, the bar after it.
TEST_F(BatchCommand, ClearsTheProgressBarForEachMessage) {
  struct FakeBar : tool::Progress {
    explicit FakeBar(std::ostream& screen) : screen(screen) {}
    void Show(double, uint64_t rows) override { screen << "<bar " << rows << '>'; }
    void Clear() override { screen << "<clear>"; }
    std::ostream& screen;
  };
  std::istringstream in(
      "origin,destination,class1,weight1\n10001,\"90001\n10001,90001,100,1500\n1\"0001\n");
  std::ostringstream out, err;
  FakeBar bar(err);
  EXPECT_EQ(tool::RunBatch(Options(), in, out, err, &bar), 2);
  const std::string screen = err.str();
  EXPECT_EQ(screen.substr(0, screen.find("brant batch:")),
            "<bar 0><bar 0>"
            "<clear>brant: line 2: malformed CSV in field 2 (destination): a quote not closed on "
            "its line\n<bar 1>"
            "<clear>brant: line 4: malformed CSV in field 1 (origin): a quote inside a field "
            "that does not begin with one; quote the whole field and double the quotes inside "
            "it\n<bar 3>"
            "<clear>");
}

TEST(BatchSummary, CountsRowsAndTellsTheTimeAndSpeed) {
  using std::chrono::duration;
  const std::pair<std::string, std::string> cases[] = {
      {tool::BatchSummary({1, 1, 0, 0}, duration<double>(0.5)),
       "brant batch: 1 row: 1 rated, 0 rated with a warning, 0 refused; 0.50 s, 2 rows a second"},
      {tool::BatchSummary({2, 0, 1, 1}, duration<double>(0.001)),
       "brant batch: 2 rows: 0 rated, 1 rated with a warning, 1 refused; 0.00 s, "
       "2000 rows a second"},
      {tool::BatchSummary({0, 0, 0, 0}, duration<double>(0.0009)),
       "brant batch: 0 rows: 0 rated, 0 rated with a warning, 0 refused; 0.00 s"},
      {tool::BatchSummary({125, 125, 0, 0}, duration<double>(125)),
       "brant batch: 125 rows: 125 rated, 0 rated with a warning, 0 refused; 2 min 05 s, "
       "1 row a second"},
      {tool::BatchSummary({0, 0, 0, 0}, duration<double>(3725.2)),
       "brant batch: 0 rows: 0 rated, 0 rated with a warning, 0 refused; 1 h 02 min 05 s, "
       "0 rows a second"},
      {tool::BatchSummary({0, 0, 0, 0}, duration<double>(59.99)),
       "brant batch: 0 rows: 0 rated, 0 rated with a warning, 0 refused; 59.99 s, "
       "0 rows a second"},
      {tool::BatchSummary({60, 60, 0, 0}, duration<double>(60)),
       "brant batch: 60 rows: 60 rated, 0 rated with a warning, 0 refused; 1 min 00 s, "
       "1 row a second"},
  };
  for (const auto& [summary, expected] : cases) EXPECT_EQ(summary, expected);
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
