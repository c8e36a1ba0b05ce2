// brant rate end to end: the built binary over tariff kit tariffs, as a
// user runs it, in both output forms and on every kind of failure.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "brant_tool.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"
#include "tool/brant_process.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
using nlohmann::json;

class RateCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::WriteSmallTariff(dir_.path(), {.name = "SMALL"});
    // Every end on base points with adjustments on, and no adjustment
    // point files: the rating succeeds with the rates unadjusted, status 280 left.
    kit::TariffContent content = kit::DescribeSmallTariff({});
    content.settings.useAdjustments = 'Y';
    for (kit::StateCodeRow& row : content.stateCodes) row.pointFlag3 = 'N';
    kit::WriteTariff(dir_.path(), "ADJ", kit::RenderTariff(content));
  }
  std::string Tariff(const char* name) const { return dir_.PathOf(name); }

  TempDir dir_;
};

TEST_F(RateCommand, PrintsTheSameBillAsATableAndAsJson) {
  std::vector<std::string> args = {"rate", "--tariff", Tariff("SMALL"), "10001", "90001",
                                   "100:1500", "85:300"};
  BrantRun table = RunBrant(args);
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(table.err, "");
  for (const char* row : {"Origin       10001 NY", "Rate basis   G001100", "100      1500     67.00",
                          "85       300     56.95", "Def.       200     56.95      113.90",
                          "Billed weight               2000", "Gross charge             1289.75"}) {
    EXPECT_NE(table.out.find(row), std::string::npos) << row << "\n" << table.out;
  }
  args.push_back("--json");
  BrantRun asJson = RunBrant(args);
  ASSERT_EQ(asJson.exitCode, 0) << asJson.err;
  const json j = json::parse(asJson.out);
  EXPECT_EQ(j["result"], "rated");
  EXPECT_EQ(j["status"], 0);
  const json& bill = j["bill"];
  EXPECT_EQ(bill["rate_basis"], "G001100");
  EXPECT_EQ(bill["lines"].size(), 2u);
  EXPECT_EQ(bill["lines"][1]["charge"], 170.85);
  EXPECT_EQ(bill["deficit"]["weight"], 200);
  EXPECT_EQ(bill["billed_weight"], 2000);
  EXPECT_EQ(bill["gross_charge"], 1289.75);
  EXPECT_EQ(bill["net_charge"], 1289.75);
}

// The discount options reach the bill: taken from the charges, or from the
// rates before the bill is priced.
TEST_F(RateCommand, TakesTheDiscountFromTheChargesOrTheRates) {
  std::ostringstream out, err;
  tool::RateOptions options{Tariff("SMALL"), "10001", "90001", {"100:500"},
                            {true, 10, 40, 0, false}, true, {}};
  ASSERT_EQ(tool::RunRate(options, out, err), 0) << err.str();
  json bill = json::parse(out.str())["bill"];
  EXPECT_EQ(bill["gross_charge"], 415.0);
  EXPECT_EQ(bill["discount_amount"], 166.0);
  EXPECT_EQ(bill["net_charge"], 249.0);

  options.discount.onRates = true;
  out.str("");
  ASSERT_EQ(tool::RunRate(options, out, err), 0) << err.str();
  bill = json::parse(out.str())["bill"];
  EXPECT_EQ(bill["lines"][0]["rate"], 49.8);
  EXPECT_EQ(bill["discount_amount"], 0.0);
  EXPECT_EQ(bill["net_charge"], 249.0);
}

TEST_F(RateCommand, WarnsInBothFormsWhenTheLibraryLeavesAStatus) {
  std::vector<std::string> args = {"rate", "--tariff", Tariff("ADJ"), "10001", "60601", "100:500"};
  BrantRun table = RunBrant(args);
  EXPECT_EQ(table.exitCode, 0);
  EXPECT_NE(table.out.find("Warning: status 280: Error opening LAB file."), std::string::npos)
      << table.out;
  EXPECT_NE(table.err.find("warning"), std::string::npos);
  args.push_back("--json");
  const json j = json::parse(RunBrant(args).out);
  EXPECT_EQ(j["result"], "warning");
  EXPECT_EQ(j["status"], 280);
  EXPECT_EQ(j["message"], "Error opening LAB file.");
  EXPECT_TRUE(j["bill"]["net_charge"].is_number());
}

TEST_F(RateCommand, EachFailureExitsWithItsKindAndMessage) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* err;
  };
  const std::string small = Tariff("SMALL");
  const Case cases[] = {
      {{"55555", "90001", "100:500"}, 2, "status 101: Invalid Origin ZIP Code."},
      {{"10001", "5555", "100:500"}, 2, "status 102: Invalid Destination ZIP Code."},
      {{"10001", "00601", "100:500"}, 2, "status 103: Out of Scope of Operations."},
      {{"10001", "90001", "100:500", "57:100"}, 2, "status 105: Invalid Class."},
      {{"10001", "90001", "100:1234567"}, 2, "status 106: Invalid Weight."},
      {{"10001", "90001", "100"}, 1, "\"100\" is not CLASS:WEIGHT"},
      {{"10001", "90001"}, 1, "Usage: brant rate"},
      {{"10001", "90001", "100:5", "--discount", "100"}, 1, "status 118: Discount Cannot"},
      {{"10001", "90001", "100:5", "--floor", "1000"}, 1, "status 119: Floor Cannot"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"rate", "--tariff", small};
    args.insert(args.end(), c.args.begin(), c.args.end());
    BrantRun run = RunBrant(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << c.err;
  }
  BrantRun missing = RunBrant({"rate", "--tariff", Tariff("NONE"), "10001", "90001", "100:5"});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("status 370: Error opening SET file."), std::string::npos);
  EXPECT_EQ(RunBrant({"rate", "--tariff", "/tmp/TOOLONGNAME", "1", "2", "3:4"}).exitCode, 1);
}

// Through the stand-in engine: the tariff checks the postal codes, the
// engine's classes the lines, and the engine prices the bill (1500 lb of
// class 100 at 40.00 from the break at 1000 lb).
TEST_F(RateCommand, RatesThroughATariffEngineAndReportsItsWarnings) {
  TempDir engineData;
  engineData.WriteFile("ENGINE.TXT",
                       "effective CZARLITE 2024 01 15\nclasses CZARLITE 100 85\n"
                       "breaks CZARLITE 0 1000\nrates CZARLITE 100 5000 4000\n"
                       "rates CZARLITE 85 4000 3000\nminimum CZARLITE 9000\nbasis CZARLITE X 99 1\n"
                       "status 60601 0042\nerror 0042 0042Origin not served by this tariff.\n");
  const std::vector<std::string> engine = {"rate", "--tariff", Tariff("SMALL"), "--json",
                                           "--engine", BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so",
                                           "--engine-data", engineData.path()};
  auto run = [&engine](std::vector<std::string> more) {
    std::vector<std::string> args = engine;
    args.insert(args.end(), more.begin(), more.end());
    return RunBrant(args);
  };
  BrantRun rated = run({"10001", "90001", "100:1500"});
  ASSERT_EQ(rated.exitCode, 0) << rated.err;
  const json bill = json::parse(rated.out)["bill"];
  EXPECT_EQ(bill["rate_basis"], "X991");
  EXPECT_EQ(bill["lines"][0]["rate"], 40.0);
  EXPECT_EQ(bill["gross_charge"], 600.0);
  EXPECT_EQ(bill["net_charge"], 600.0);
  EXPECT_EQ(bill["minimum_charge"], 90.0);

  BrantRun warned = run({"60601", "10001", "100:1500"});  // the engine's status for this origin
  EXPECT_EQ(warned.exitCode, 2);
  EXPECT_NE(warned.err.find("refused: 0042 Origin not served by this tariff."), std::string::npos)
      << warned.err;
  BrantRun badClass = run({"10001", "90001", "70:100"});  // not one of the engine's classes
  EXPECT_NE(badClass.err.find("status 105"), std::string::npos) << badClass.err;
  BrantRun unknown = run({"--engine-tariff", "NOSUCH", "10001", "90001", "100:5"});
  EXPECT_EQ(unknown.exitCode, 3);
  EXPECT_NE(unknown.err.find("no classes for tariff \"NOSUCH  \""), std::string::npos) << unknown.err;
  EXPECT_EQ(RunBrant({"rate", "--engine", "/nonexistent.so", "10001", "90001", "100:5"}).exitCode, 1);
}

}  // namespace
}  // namespace brant::test_support
