// Shipments rated one after another on one record, in several orders, end
// with exactly the record each leaves on a record fresh from opening the
// tariff: nothing of a shipment reaches the next, in the record or in the
// library's per-thread state. Every tariff layout and special leg the kit
// builds takes part.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ratebase/golden_tariffs.h"
#include "support/record_layout.h"
#include "support/tariff_dir.h"

namespace brant::test_support {
namespace {

struct Shipment {
  const char* origin;
  const char* destination;
  std::vector<std::pair<const char*, const char*>> lines;  // class, weight
  int32_t mexicanOrigin = 0;
};

struct Tariff {
  const char* name;
  std::vector<Shipment> shipments;
};

// Lanes that leave different state behind: special legs, adjustments on
// one end or both, a class minimum, refusals at each step.
const Tariff kTariffs[] = {
    {"MATRIX",
     {{"02108", "30301", {{"100", "500"}, {"85", "1200"}}},
      {"10001", "75001", {{"70", "3000"}}},
      {"90001", "90002", {{"100", "1"}}},
      {"96813", "60601", {{"100", "700"}}},         // Hawaii
      {"99500", "60601", {{"100", "100"}}},         // Alaska
      {"22000", "60601", {{"100", "400"}}, 1},      // Mexico
      {"10001", "96813", {{"55", "250"}}},          // a gateway no point serves
      {"00601", "60601", {{"100", "100"}}},         // refused end
      {"02108", "30301", {{"999", "100"}}}}},       // refused class
    {"POINTS",
     {{"30301", "75001", {{"100", "150"}}},         // a lane with adjustments
      {"30301", "60601", {{"100", "150"}}},         // both ends adjusted, no lane
      {"10001", "90001", {{"100", "150"}}},         // no adjustment points
      {"02108", "90001", {{"100", "2500"}}},        // a "J" rate basis
      {"H1A1A1", "60601", {{"70", "900"}}},         // Canadian
      {"60601", "75001", {{"100", "99999"}}}}},
    {"NOAKR",  // the matrix tariff whose .AKR holds no record
     {{"02108", "30301", {{"100", "500"}}},
      {"99500", "60601", {{"100", "100"}}}}},
    {"WIDE",
     {{"02108", "30301", {{"100", "500"}}},
      {"10001", "75001", {{"70", "3000"}, {"100", "20"}}},
      {"90001", "90002", {{"100", "1"}}}}},
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ShipmentSequence : public TariffDirTest {
 protected:
  // The record as a host has it after opening the tariff.
  std::unique_ptr<RateContext> Opened(const char* name) {
    PutText(c_.tariffName, name);
    EXPECT_EQ(OpenAllFiles(&c_, nullptr), 1) << name << " " << c_.errorCode;
    c_.errorCode = 0;
    return std::make_unique<RateContext>(c_);
  }
  // What a host writes for a shipment, then the road it rates on: the step
  // that refused it (0 when it was rated), then its status.
  static Ints Rate(RateContext& c, const Shipment& s) {
    std::memset(c.lineClass, 0, sizeof c.lineClass);
    std::memset(c.lineWeight, 0, sizeof c.lineWeight);
    std::memset(c.origZip, 0, sizeof c.origZip), std::memset(c.destZip, 0, sizeof c.destZip);
    std::memcpy(c.origZip, s.origin, std::strlen(s.origin));
    std::memcpy(c.destZip, s.destination, std::strlen(s.destination));
    c.origMexicanPoint = s.mexicanOrigin, c.destMexicanPoint = 0;
    c.errorCode = 0;
    int32_t step = 1;
    if (!VerOrigZip(&c) || (++step, !VerDestZip(&c)) || (++step, !VerTerritory(&c))) {
      return {step, c.errorCode};
    }
    for (uint32_t i = 0; i < s.lines.size(); ++i) {
      if (!VerClass(&c, s.lines[i].first, i, 0) || !VerWeight(&c, s.lines[i].second, i)) {
        return {4, c.errorCode};
      }
    }
    LoadDiscounts(&c, 0, 0);
    return {RateShipment(&c, 0, 0) == 1 ? 0 : 5, c.errorCode};
  }
  // The lines a shipment does not use keep what the host left in them.
  static void ClearUnusedLines(RateContext& c, std::size_t used) {
    for (std::size_t i = used; i < 8; ++i) {
      std::memset(c.lineClassIndex + i, 0, sizeof c.lineClassIndex[i]);
      std::memset(c.lineWeightBreak + i, 0, sizeof c.lineWeightBreak[i]);
      std::memset(c.lineClassMark[i], 0, sizeof c.lineClassMark[i]);
      std::memset(c.lineRate[i], 0, sizeof c.lineRate[i]);
      std::memset(c.lineCharge[i], 0, sizeof c.lineCharge[i]);
    }
  }
  // The fields where two records differ.
  static std::string Differences(const RateContext& a, const RateContext& b) {
    std::string out;
    const auto* x = reinterpret_cast<const uint8_t*>(&a);
    const auto* y = reinterpret_cast<const uint8_t*>(&b);
    for (const LaidOutField& f : kRecordLayout) {
      const FieldPlace& p = f.declared;
      if (std::memcmp(x + p.offset, y + p.offset, p.width) != 0) out += std::string(p.name) + " ";
    }
    return out;
  }
};

TEST_F(ShipmentSequence, EachShipmentEndsAsOnAFreshRecord) {
  golden::WriteMatrixTariff(dir_.path());
  golden::WritePointsTariff(dir_.path());
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    const std::string name = entry.path().filename();
    if (name.starts_with("MATRIX.")) dir_.WriteFile("NOAKR" + name.substr(6), ReadFile(entry.path()));
  }
  dir_.WriteFile("NOAKR.AKR", "");
  tariffkit::WriteTariff(
      dir_.path(), "WIDE",
      tariffkit::RenderTariff(tariffkit::DescribeSmallTariff({.wideRteRecords = 'Y'})));
  for (const Tariff& t : kTariffs) {
    const std::unique_ptr<RateContext> opened = Opened(t.name);
    std::vector<std::unique_ptr<RateContext>> alone;
    std::vector<Ints> outcomes;
    for (const Shipment& s : t.shipments) {
      alone.push_back(std::make_unique<RateContext>(*opened));
      // On a thread of its own: the library's per-thread state is fresh too.
      std::thread([&] { outcomes.push_back(Rate(*alone.back(), s)); }).join();
      ClearUnusedLines(*alone.back(), s.lines.size());
    }
    // Forwards, backwards, and each lane after each other lane.
    std::vector<std::size_t> order;
    const std::size_t n = t.shipments.size();
    for (std::size_t i = 0; i < n; ++i) order.push_back(i);
    for (std::size_t i = n; i-- > 0;) order.push_back(i);
    for (std::size_t step = 2; step < n; ++step) {
      for (std::size_t i = 0; i < n; ++i) order.push_back(i * step % n);
    }
    auto record = std::make_unique<RateContext>(*opened);
    for (std::size_t k = 0; k < order.size(); ++k) {
      const std::size_t i = order[k];
      const Ints outcome = Rate(*record, t.shipments[i]);
      const std::string where = std::string(t.name) + " " + t.shipments[i].origin + " to " +
                                t.shipments[i].destination + " after " +
                                (k ? t.shipments[order[k - 1]].origin : "opening");
      EXPECT_EQ(outcome, outcomes[i]) << where;
      // A refused shipment leaves the last bill's results; a rated one owns them all.
      if (outcome[0] != 0) continue;
      auto rated = std::make_unique<RateContext>(*record);
      ClearUnusedLines(*rated, t.shipments[i].lines.size());
      EXPECT_EQ(Differences(*rated, *alone[i]), "") << where;
    }
  }
}

// An Alaskan record fills the minimums and 162 cells; a table of more
// classes holds more. Those must read 0, as on a fresh record, not keep
// the rates an earlier shipment (here the host) left there.
TEST_F(ShipmentSequence, ALegsRecordLeavesNoEarlierRateInTheTable) {
  golden::WriteMatrixTariff(dir_.path());
  const std::unique_ptr<RateContext> record = Opened("MATRIX");
  int32_t cells[BRANT_BASE_RATE_CELLS];  // the record packs its fields: copied, not bound
  std::fill(std::begin(cells), std::end(cells), 12345);
  std::memcpy(record->baseRates, cells, sizeof cells);
  ASSERT_EQ(Rate(*record, {"99500", "60601", {{"100", "100"}}}), (Ints{0, 0}));
  std::memcpy(cells, record->baseRates, sizeof cells);
  for (std::size_t cell = 4 + 162; cell < BRANT_BASE_RATE_CELLS; ++cell) {
    EXPECT_EQ(cells[cell], 0) << cell;
  }
}

}  // namespace
}  // namespace brant::test_support
