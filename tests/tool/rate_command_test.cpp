// brant rate end to end: the built binary over tariff kit tariffs and the
// sample tariff, as a user runs it, in both output forms and on every kind
// of failure.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>
#include <sstream>

#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"
#include "tool/brant_process.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
using nlohmann::json;

using Words = std::vector<std::string>;

// The words after `label` on the first row of `table` that starts with it
// (blanks before it allowed); empty when no row does.
Words Row(const std::string& table, const std::string& label) {
  std::istringstream rows(table);
  for (std::string row; std::getline(rows, row);) {
    const std::size_t at = row.find_first_not_of(' ');
    if (at == std::string::npos || row.compare(at, label.size(), label) != 0) continue;
    std::istringstream words(row.substr(at + label.size()));
    Words found;
    for (std::string word; words >> word;) found.push_back(word);
    return found;
  }
  return {};
}

// The amount due is where its steps end, each step's total the sum so far.
void ExpectAmountDueIsItsSteps(const json& bill) {
  ASSERT_FALSE(bill["steps"].empty());
  EXPECT_EQ(bill["steps"][0]["name"], "line haul");
  EXPECT_EQ(bill["steps"][0]["amount_cents"], bill["net_cents"]);
  int64_t total = 0;
  for (const json& step : bill["steps"]) {
    total += step["amount_cents"].get<int64_t>();
    EXPECT_EQ(step["total_cents"], total) << step;
  }
  EXPECT_EQ(bill["amount_due_cents"], total);
}

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
  BrantRun Rate(const char* tariff, std::vector<std::string> more) const {
    std::vector<std::string> args = {"rate", "--tariff", dir_.PathOf(tariff)};
    args.insert(args.end(), more.begin(), more.end());
    return RunBrant(args);
  }
  json RateJson(std::vector<std::string> more) const {
    more.insert(more.begin(), "--json");
    const BrantRun run = Rate("SMALL", more);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return json::parse(run.out);
  }

  TempDir dir_;
};

// 10001 to 90001 is rate basis G001100, the kit's rate record 10: class 100
// pays 9000 + 10 * 10 cents = 91.00 at L5C, and the lane's minimum is the
// record's first, 4500 + 100 cents = 46.00. One pound costs 0.91.
TEST_F(RateCommand, RaisesTheLineHaulToTheMinimumChargeInBothForms) {
  const BrantRun table = Rate("SMALL", {"10001", "90001", "100:1"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(Row(table.out, "100"), (Words{"1", "91.00", "0.91"}));
  EXPECT_EQ(Row(table.out, "Net charge"), Words{"0.91"});
  EXPECT_EQ(Row(table.out, "Minimum charge"), Words{"46.00"});
  EXPECT_EQ(Row(table.out, "line haul"), (Words{"0.91", "0.91"}));
  EXPECT_EQ(Row(table.out, "minimum charge"), (Words{"45.09", "46.00"}));
  EXPECT_EQ(Row(table.out, "AMOUNT DUE"), Words{"46.00"});
  EXPECT_EQ(table.out.substr(table.out.rfind('\n', table.out.size() - 2) + 1, 10), "AMOUNT DUE")
      << "the amount due is the last line\n" << table.out;

  const json j = RateJson({"10001", "90001", "100:1"});
  EXPECT_EQ(j["result"], "rated");
  const json& bill = j["bill"];
  EXPECT_EQ(bill["lines"], json::parse(R"([{"class": "100", "weight": 1, "rate_cents": 9100,
                                            "charge_cents": 91, "substituted": false}])"));
  EXPECT_EQ(bill["minimum_charge_cents"], 4600);
  EXPECT_EQ(bill["amount_due_cents"], 4600);
  EXPECT_EQ(bill["steps"][1]["name"], "minimum charge");
  ExpectAmountDueIsItsSteps(bill);
  EXPECT_FALSE(bill.contains("notes"));
}

// 60 pounds at 91.00 is 54.60, over the minimum; the floor, typed as
// 60.1, raises it by 5.50. The floor is read digit by digit: 6010 cents,
// where 60.1 * 100 in floating point would truncate to 6009.
TEST_F(RateCommand, RaisesTheLineHaulToTheFloorInBothForms) {
  const BrantRun table = Rate("SMALL", {"--floor", "60.1", "10001", "90001", "100:60"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(Row(table.out, "Floor"), Words{"60.10"});
  EXPECT_EQ(Row(table.out, "line haul"), (Words{"54.60", "54.60"}));
  EXPECT_EQ(Row(table.out, "floor"), (Words{"5.50", "60.10"}));
  EXPECT_EQ(Row(table.out, "AMOUNT DUE"), Words{"60.10"});

  const json bill = RateJson({"--floor", "60.1", "10001", "90001", "100:60"})["bill"];
  EXPECT_EQ(bill["floor_cents"], 6010);
  EXPECT_EQ(bill["amount_due_cents"], 6010);
  ExpectAmountDueIsItsSteps(bill);
}

// 500 pounds at M5C: 91.00 - 8.00 = 83.00, 415.00. The break discount
// comes off the charges, or off the rates before the bill is priced; the
// minimum discount comes off the minimum.
TEST_F(RateCommand, TakesEachDiscountInExactHundredths) {
  json bill = RateJson({"--break-discount", "40", "10001", "90001", "100:500"})["bill"];
  EXPECT_EQ(bill["gross_cents"], 41500);
  EXPECT_EQ(bill["discount_bps"], 4000);
  EXPECT_EQ(bill["discount_cents"], 16600);
  EXPECT_EQ(bill["net_cents"], 24900);

  bill = RateJson({"--break-discount", "40", "--discount-on", "rates", "10001", "90001",
                   "100:500"})["bill"];
  EXPECT_EQ(bill["lines"][0]["rate_cents"], 4980);
  EXPECT_EQ(bill["discount_cents"], 0);
  EXPECT_EQ(bill["net_cents"], 24900);

  // 10.2 % is 1020 basis points, not the 1019 that 10.2 * 100 truncates to.
  bill = RateJson({"--break-discount", "10.2", "10001", "90001", "100:500"})["bill"];
  EXPECT_EQ(bill["discount_bps"], 1020);
  EXPECT_EQ(bill["discount_cents"], 4233);

  // 10 % off the 46.00 minimum: 41.40 due for a pound.
  bill = RateJson({"--discount", "10", "10001", "90001", "100:1"})["bill"];
  EXPECT_EQ(bill["minimum_discount_cents"], 460);
  EXPECT_EQ(bill["amount_due_cents"], 4140);
  ExpectAmountDueIsItsSteps(bill);
}

// 1800 pounds bill cheaper at the 2000-pound break (the lines at 67.00 and
// a 200-pound deficit), which the notes show weighed and won.
TEST_F(RateCommand, ExplainsHowTheRateWasFound) {
  const std::vector<std::string> shipment = {"--explain", "10001", "90001", "100:1500", "85:300"};
  const BrantRun table = Rate("SMALL", shipment);
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(Row(table.out, "Deficit"), (Words{"200", "56.95", "113.90"}));
  const std::size_t notes = table.out.find("How the rate was found\n");
  ASSERT_NE(notes, std::string::npos) << table.out;
  EXPECT_LT(notes, table.out.find("AMOUNT DUE"));
  for (const char* note : {"rate basis G001100", "priced from break M1M", "heavier break wins"}) {
    EXPECT_NE(table.out.find(note, notes), std::string::npos) << note << '\n' << table.out;
  }

  const json bill = RateJson(shipment)["bill"];
  EXPECT_EQ(bill["deficit_won"], true);
  std::set<std::string> kinds;
  for (const json& note : bill["notes"]) kinds.insert(note["kind"].get<std::string>());
  EXPECT_EQ(kinds, (std::set<std::string>{"method", "rate_basis", "break", "deficit"}));
  ExpectAmountDueIsItsSteps(bill);
}

TEST_F(RateCommand, PrintsTheBillsWarningsAfterItAndStillRates) {
  const BrantRun table = Rate("ADJ", {"10001", "60601", "100:500"});
  EXPECT_EQ(table.exitCode, 0);
  const std::size_t warning = table.out.find("Warning: Error opening LAB file. (status 280)");
  EXPECT_NE(warning, std::string::npos) << table.out;
  EXPECT_GT(warning, table.out.find("AMOUNT DUE"));

  const BrantRun asJson = Rate("ADJ", {"--json", "10001", "60601", "100:500"});
  EXPECT_EQ(asJson.exitCode, 0);
  const json j = json::parse(asJson.out);
  EXPECT_EQ(j["result"], "warning");
  EXPECT_EQ(j["status"], 0);
  EXPECT_EQ(j["message"], "Error opening LAB file.");
  EXPECT_EQ(j["bill"]["warnings"][0]["record_status"], 280);
  EXPECT_NE(asJson.err.find("brant: warning: Error opening LAB file."), std::string::npos);
}

// Transit days: the guide names the terminals of a lane it knows, the
// tariff's .SRV the days between them. Without a guide the bill stands,
// with a warning.
TEST_F(RateCommand, LooksUpTransitDaysThroughTheServiceGuide) {
  dir_.WriteFile("GUIDE.TXT", "serves 100 NYC1\nserves 606 CHI1\ndays NYC1 CHI1 04\n");
  kit::WriteFile(dir_.path(), "SMALL.SRV",
                 kit::TerminalDaysFile({{"CHI1", "NYC1", 3}, {"NYC1", "CHI1", 4}}));
  const std::string guide = BRANTFUNC_STANDIN_GUIDE_DIR "/libbrantguide.so";
  const std::vector<std::string> shipment = {"--transit", "10001", "60601", "100:500"};
  std::vector<std::string> args = {"--guide", guide};
  args.insert(args.end(), shipment.begin(), shipment.end());
  const BrantRun table = Rate("SMALL", args);
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(Row(table.out, "Transit days"), (Words{"4,", "terminal", "NYC1", "to", "CHI1"}));
  args.insert(args.begin(), "--json");
  const json bill = json::parse(Rate("SMALL", args).out)["bill"];
  EXPECT_EQ(bill["transit_days"], 4);
  EXPECT_EQ(bill["origin_terminal"], "NYC1");
  EXPECT_EQ(bill["destination_terminal"], "CHI1");

  const json unguided = RateJson(shipment);
  EXPECT_EQ(unguided["result"], "warning");
  EXPECT_EQ(unguided["bill"]["transit_days"], -1);
  EXPECT_NE(unguided["message"].get<std::string>().find("without a service guide"),
            std::string::npos);
}

// The library's refusals are tested with the library, the usage errors in
// cases/rate.toml; here, what needs a tariff of the kit.
TEST_F(RateCommand, EachFailureExitsWithItsKindAndMessage) {
  const BrantRun notServed = Rate("SMALL", {"55555", "90001", "100:5"});
  EXPECT_EQ(notServed.exitCode, 2);
  EXPECT_NE(notServed.err.find("origin 55555: not a postal code the tariff serves (status 101)"),
            std::string::npos) << notServed.err;
  EXPECT_EQ(notServed.out, "");

  // A refusal in JSON names the field, the line and the value.
  const BrantRun refused = Rate("SMALL", {"--json", "10001", "90001", "100:5", "57:100"});
  EXPECT_EQ(refused.exitCode, 2);
  const json j = json::parse(refused.out);
  EXPECT_EQ(j["result"], "refused");
  EXPECT_EQ(j["status"], 11);  // BRANT_E_NOT_SERVED
  EXPECT_EQ(j["error"], json::parse(R"({"field": "class", "line": 2, "value": "57",
                                        "record_status": 105})"));
  EXPECT_FALSE(j.contains("bill"));

  const BrantRun missing = Rate("NONE", {"10001", "90001", "100:5"});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("no such tariff (NONE.SET cannot be opened) (status 370)"),
            std::string::npos) << missing.err;
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
  const std::string engine = BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so";
  auto run = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"--json", "--engine", engine, "--engine-data",
                                     engineData.path()};
    args.insert(args.end(), more.begin(), more.end());
    return Rate("SMALL", args);
  };
  const BrantRun rated = run({"10001", "90001", "100:1500"});
  ASSERT_EQ(rated.exitCode, 0) << rated.err;
  const json bill = json::parse(rated.out)["bill"];
  EXPECT_EQ(bill["method"], "tariff engine");
  EXPECT_EQ(bill["rate_basis"], "X991");
  EXPECT_EQ(bill["lines"][0]["rate_cents"], 4000);
  EXPECT_EQ(bill["net_cents"], 60000);
  EXPECT_EQ(bill["minimum_charge_cents"], 9000);
  EXPECT_EQ(bill["amount_due_cents"], 60000);

  const BrantRun warned = run({"60601", "10001", "100:1500"});  // the engine's status for this origin
  EXPECT_EQ(warned.exitCode, 2);
  EXPECT_NE(warned.err.find("refused: the tariff engine would not rate the shipment: 0042 Origin "
                            "not served by this tariff."),
            std::string::npos) << warned.err;
  const BrantRun badClass = run({"10001", "90001", "70:100"});  // not one of the engine's classes
  EXPECT_EQ(badClass.exitCode, 2);
  EXPECT_NE(badClass.err.find("line 1 class 70: not a class of this tariff"), std::string::npos)
      << badClass.err;
  const BrantRun unknown = run({"--engine-tariff", "NOSUCH", "10001", "90001", "100:5"});
  EXPECT_EQ(unknown.exitCode, 3);
  EXPECT_NE(unknown.err.find("no classes for tariff \"NOSUCH  \""), std::string::npos) << unknown.err;
  EXPECT_EQ(RunBrant({"rate", "--engine", "/nonexistent.so", "10001", "90001", "100:5"}).exitCode, 3);
}

// The lanes a user tries first on the sample tariff, each priced whole: the
// amount due is the sum of its steps in JSON and the table's last line.
// What is asserted comes from samples/README.md, not from a run.
class SampleLanes : public ::testing::Test {
 protected:
  static std::string Table(std::vector<std::string> args) {
    args.insert(args.begin(), "rate");
    const BrantRun run = RunBrant(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
  }
  static json Bill(std::vector<std::string> args) {
    args.insert(args.begin(), "--json");
    const json j = json::parse(Table(args));
    EXPECT_EQ(j["result"], "rated") << j["message"];
    return j["bill"];
  }
};

TEST_F(SampleLanes, EachLaneIsRatedWithItsWholePrice) {
  struct Lane {
    const char* origin;
    const char* destination;
    const char* method;
    const char* destinationState;
  };
  const Lane lanes[] = {
      {"60601", "30303", "ZIP-pair matrix", "GA"},  {"60601", "M5V 3L9", "base points", "ON"},
      {"m5v 3l9", "60601", "base points", "IL"},    {"60601", "96813", "ZIP-pair matrix", "HI"},
      {"60601", "96763", "ZIP-pair matrix", "HI"},  {"60601", "99501", "Alaskan leg", "AK"},
      {"60601", "64000M", "Mexican leg", "MX"},     {"64000m", "60601", "Mexican leg", "IL"},
      {"10001", "60601", "ZIP-pair matrix", "IL"},
  };
  for (const Lane& lane : lanes) {
    SCOPED_TRACE(std::string(lane.origin) + " to " + lane.destination);
    const json bill = Bill({lane.origin, lane.destination, "100:800"});
    EXPECT_EQ(bill["method"], lane.method);
    EXPECT_EQ(bill["destination_state"], lane.destinationState);
    EXPECT_GT(bill["amount_due_cents"].get<int64_t>(), 0);
    ExpectAmountDueIsItsSteps(bill);
    std::string due = Row(Table({lane.origin, lane.destination, "100:800"}), "AMOUNT DUE").at(0);
    EXPECT_EQ(std::stoll(due.erase(due.size() - 3, 1)), bill["amount_due_cents"]) << due;
  }
}

TEST_F(SampleLanes, CanadianCodesRateAlikeHoweverTheyAreTyped) {
  const json typed = Bill({"60601", "M5V3L9", "100:800"});
  EXPECT_EQ(typed["destination"], "M5V3L9");
  EXPECT_EQ(Bill({"60601", "M5V 3L9", "100:800"}), typed);
  EXPECT_EQ(Bill({"60601", "m5v 3l9", "100:800"}), typed);
  const json back = Bill({"M5V3L9", "60601", "100:800"});
  EXPECT_EQ(back["origin_state"], "ON");
  EXPECT_EQ(Bill({"m5v3l9", "60601", "100:800"}), back);
}

// Manhattan's lanes pay a 35.00 zone charge; Lanai (96763) is an outer
// island, rated on its own Hawaiian charges, Oahu (96813) on others.
TEST_F(SampleLanes, ZoneAndHawaiianChargesReachTheAmountDue) {
  const std::string manhattan = Table({"60601", "10001", "100:800"});
  EXPECT_EQ(Row(manhattan, "Zone charge"), Words{"35.00"});
  EXPECT_EQ(Row(manhattan, "zone charge").at(0), "35.00");

  auto hawaiianRows = [](const std::string& table) {
    std::vector<std::string> rows;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
      if (line.find("Hawaiian") != std::string::npos) rows.push_back(line);
    }
    return rows;
  };
  const std::vector<std::string> oahu = hawaiianRows(Table({"60601", "96813", "100:800"}));
  const std::vector<std::string> lanai = hawaiianRows(Table({"60601", "96763", "100:800"}));
  EXPECT_FALSE(oahu.empty());
  EXPECT_FALSE(lanai.empty());
  EXPECT_NE(oahu, lanai);
}

// Terminals are the hubs' first three letters and 0; at most 7 days.
TEST_F(SampleLanes, TransitDaysComeFromTheSamplesServiceGuide) {
  const json bill = Bill({"--transit", "60601", "30303", "100:800"});
  EXPECT_EQ(bill["origin_terminal"], "CHI0");
  EXPECT_EQ(bill["destination_terminal"], "ATL0");
  EXPECT_GE(bill["transit_days"].get<int>(), 1);
  EXPECT_LE(bill["transit_days"].get<int>(), 7);
  EXPECT_TRUE(bill["warnings"].empty()) << bill["warnings"];
  const std::string table = Table({"--transit", "60601", "30303", "100:800"});
  EXPECT_EQ(Row(table, "Transit days").at(0), std::to_string(bill["transit_days"].get<int>()) + ",");
}

}  // namespace
}  // namespace brant::test_support
