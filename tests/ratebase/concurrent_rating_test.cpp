// Rating on several threads at once gives each shipment the bill it gets
// on one thread alone: records of their own on the same tariff files (the
// rating state is per thread). One brant.h tariff shared by threads is
// SharedTariff's; the tsan preset runs both under ThreadSanitizer.
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

}  // namespace
}  // namespace brant::test_support
