// Rating on several threads at once gives each shipment the bill it gets
// on one thread alone: records of their own on the same tariff files (the
// rating state is per thread), and one brant.h tariff shared by all (its
// working records are lent one rating at a time). The tsan preset runs
// these under ThreadSanitizer.
#include <brantfunc/brant.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "support/kit_cycles.h"

namespace brant::test_support {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 8;
constexpr std::size_t kLaneCount = std::size(kLanes);

// Runs `work(thread)` on kThreads threads and waits for them.
template <typename Work>
void OnThreads(Work work) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
  for (std::thread& thread : threads) thread.join();
}

// Each thread starts at another lane, so that different lanes run at once.
std::size_t LaneOf(int thread, std::size_t k) {
  return (k + static_cast<std::size_t>(thread) * 2) % kLaneCount;
}

TEST(ConcurrentRating, RecordsOfTheirOwnOnOneTariffRateAsOneThreadAlone) {
  std::vector<std::string> alone;
  auto record = std::make_unique<RateContext>();
  for (const Lane& lane : kLanes) {
    const RecordOutcome o = RecordCycle(*record, lane);
    ASSERT_NE(o.bill, "") << lane.what << ": " << o.said;
    alone.push_back(o.said + o.bill);
  }
  std::vector<std::string> firstMismatch(kThreads);
  OnThreads([&](int t) {
    auto own = std::make_unique<RateContext>();
    for (int round = 0; round < kRounds; ++round) {
      for (std::size_t k = 0; k < kLaneCount; ++k) {
        const std::size_t i = LaneOf(t, k);
        const RecordOutcome o = RecordCycle(*own, kLanes[i]);
        if ((!o.closed || o.said + o.bill != alone[i]) && firstMismatch[t].empty()) {
          firstMismatch[t] = std::string(kLanes[i].what) + ": " + o.said + o.bill + " alone " +
                             alone[i];
        }
      }
    }
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(firstMismatch[t], "") << "thread " << t;
}

struct Bill {
  brant_status status;
  brant_bill bill;
};

Bill RateLane(const brant_tariff* tariff, const Lane& lane) {
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = lane.origin;
  s.destination = lane.destination;
  s.line_count = 1;
  s.lines[0] = {lane.freightClass, lane.weight};
  s.explain = 1;
  Bill b;
  brant_bill_init(&b.bill);
  b.status = brant_rate(tariff, &s, &b.bill, nullptr);
  return b;
}

TEST(ConcurrentRating, ThreadsSharingATariffHandleRateAsOneThreadAlone) {
  const char* names[] = {"MATRIX", "POINTS"};
  brant_tariff* tariffs[2] = {};
  for (int n = 0; n < 2; ++n) {
    brant_error error;
    ASSERT_EQ(brant_tariff_open(KitTariffs().path().c_str(), names[n], nullptr, &tariffs[n],
                                &error),
              BRANT_OK)
        << error.message;
  }
  auto tariffOf = [&](const Lane& lane) {
    return tariffs[std::strcmp(lane.tariff, "MATRIX") == 0 ? 0 : 1];
  };
  std::vector<Bill> alone;
  for (const Lane& lane : kLanes) {
    alone.push_back(RateLane(tariffOf(lane), lane));
    ASSERT_EQ(alone.back().status, BRANT_OK) << lane.what;
  }
  std::vector<int> mismatches(kThreads, 0);
  OnThreads([&](int t) {
    for (int round = 0; round < kRounds; ++round) {
      for (std::size_t k = 0; k < kLaneCount; ++k) {
        const std::size_t i = LaneOf(t, k);
        const Bill b = RateLane(tariffOf(kLanes[i]), kLanes[i]);
        if (b.status != BRANT_OK || std::memcmp(&b.bill, &alone[i].bill, sizeof b.bill) != 0) {
          ++mismatches[t];
        }
      }
    }
  });
  for (brant_tariff* tariff : tariffs) brant_tariff_close(tariff);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace brant::test_support
