// One open tariff shared: a shipment rated after others on the same handle,
// or on four threads at once, gets the bill it gets alone on a fresh one.
#include <brantfunc/brant.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Lane {
  const char* origin;
  const char* destination;
  std::vector<std::pair<const char*, int32_t>> lines;  // class, pounds
  int32_t discountBps = 0;
  int64_t floorCents = 0;
  int32_t onRates = 0;
};

// Lanes of the sample tariff that leave different state behind: an outer
// island's rate code, a Mexican leg, an Alaskan point, a zone minimum, a
// refused end, discounts taken both ways.
const std::vector<Lane>& Lanes() {
  static const std::vector<Lane> lanes = {
      {"96763", "60601", {{"100", 500}}},                       // Lanai: rate code AA
      {"96813", "60601", {{"100", 500}}},                       // Oahu after it
      {"64000M", "60601", {{"100", 500}, {"85", 120}}, 1000},   // Mexican leg
      {"60601", "30303", {{"100", 1}}},                         // the minimum
      {"m5v 3l9", "60601", {{"70", 800}}, 500, 20000},          // Canadian, floor
      {"99501", "60601", {{"100", 100}}, 2000, 30000},          // Alaska: no discount
      {"60601", "00601", {{"100", 100}}},                       // refused: out of scope
      {"27954", "60601", {{"100", 500}}},                       // zone minimum
      {"10001", "90001", {{"100", 1500}, {"85", 300}}, 0, 0},   // zone charge
      {"60601", "30303", {{"100", 1200}, {"70", 450}}, 1050, 0, 1},  // discount on rates
      {"60601", "30303", {{"500", 999999}}},                    // heaviest
  };
  return lanes;
}

struct Outcome {
  brant_status status = BRANT_OK;
  brant_bill bill;
  brant_error error;
};

Outcome Rate(const brant_tariff* tariff, const Lane& lane) {
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = lane.origin;
  s.destination = lane.destination;
  s.line_count = static_cast<int32_t>(lane.lines.size());
  for (std::size_t i = 0; i < lane.lines.size(); ++i) {
    s.lines[i].freight_class = lane.lines[i].first;
    s.lines[i].weight = lane.lines[i].second;
  }
  s.discount_bps = s.break_discount_bps = lane.discountBps;
  s.floor_cents = lane.floorCents;
  s.discount_on_rates = lane.onRates;
  s.explain = 1;
  Outcome o;
  brant_bill_init(&o.bill);
  o.status = brant_rate(tariff, &s, &o.bill, &o.error);
  return o;
}

bool Same(const Outcome& a, const Outcome& b) {
  return a.status == b.status && std::memcmp(&a.bill, &b.bill, sizeof a.bill) == 0 &&
         std::strcmp(a.error.message, b.error.message) == 0;
}

brant_tariff* OpenSample(const char* dir = BRANT_SAMPLE_DIR, const brant_options* options = nullptr) {
  brant_tariff* tariff = nullptr;
  brant_error error;
  EXPECT_EQ(brant_tariff_open(dir, "SAMPLE", options, &tariff, &error), BRANT_OK)
      << error.message;
  return tariff;
}

// Each lane alone, on a tariff opened for it.
std::vector<Outcome> AloneOnFreshHandles() {
  std::vector<Outcome> alone;
  for (const Lane& lane : Lanes()) {
    brant_tariff* tariff = OpenSample();
    alone.push_back(Rate(tariff, lane));
    brant_tariff_close(tariff);
  }
  return alone;
}

TEST(SharedTariff, AShipmentSeesNothingOfTheOnesBeforeIt) {
  const std::vector<Outcome> alone = AloneOnFreshHandles();
  ASSERT_EQ(alone[6].status, BRANT_E_NOT_SERVED);
  ASSERT_EQ(alone[0].status, BRANT_OK) << alone[0].error.message;
  brant_tariff* tariff = OpenSample();
  for (int round = 0; round < 2; ++round) {
    // Forwards, then backwards: each lane follows a different one.
    for (std::size_t k = 0; k < Lanes().size(); ++k) {
      const std::size_t i = round == 0 ? k : Lanes().size() - 1 - k;
      EXPECT_TRUE(Same(Rate(tariff, Lanes()[i]), alone[i]))
          << "lane " << i << " (" << Lanes()[i].origin << " to " << Lanes()[i].destination
          << ") in round " << round;
    }
  }
  brant_tariff_close(tariff);
}

// An open tariff reads its files no more: with its files gone, every lane
// still gets its bill, whether the files were held in memory, all kept open,
// or some of each.
TEST(SharedTariff, RatingsOpenNoFile) {
  const std::vector<Outcome> alone = AloneOnFreshHandles();
  for (const int64_t budget : {BRANT_DEFAULT_FILE_BUDGET, int64_t{0}, int64_t{20000}}) {
    brant::test_support::TempDir copy;
    std::filesystem::copy(BRANT_SAMPLE_DIR, copy.path(),
                          std::filesystem::copy_options::recursive);
    brant_options* options = brant_options_create();
    ASSERT_EQ(brant_options_set_file_budget(options, budget), BRANT_OK);
    brant_tariff* tariff = OpenSample(copy.path().c_str(), options);
    brant_options_destroy(options);
    ASSERT_NE(tariff, nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(copy.path())) {
      std::filesystem::remove(entry.path());
    }
    for (std::size_t i = 0; i < Lanes().size(); ++i) {
      EXPECT_TRUE(Same(Rate(tariff, Lanes()[i]), alone[i])) << "lane " << i << ", budget " << budget;
    }
    brant_tariff_close(tariff);
  }
  EXPECT_EQ(brant_options_set_file_budget(nullptr, 0), BRANT_E_MISUSE);
}

TEST(SharedTariff, FourThreadsOnOneHandleGetTheBillsOfOneAtATime) {
  const std::vector<Outcome> alone = AloneOnFreshHandles();
  brant_tariff* tariff = OpenSample();
  constexpr int kThreads = 4;
  constexpr int kRounds = 20;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t k = 0; k < Lanes().size(); ++k) {
          // Each thread starts at a different lane.
          const std::size_t i = (k + static_cast<std::size_t>(t) * 3) % Lanes().size();
          if (!Same(Rate(tariff, Lanes()[i]), alone[i])) ++mismatches[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  brant_tariff_close(tariff);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
