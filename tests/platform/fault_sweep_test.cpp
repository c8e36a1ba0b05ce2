// Faults swept through whole cycles. For N = 1, 2, ... the Nth heap block,
// read (cut short, or failing) or open of a cycle fails, until a cycle runs
// without reaching the Nth. Whatever fails, the cycle says so with a
// status, leaves no descriptor open (and, in the sanitizer run, no leak),
// and the same record or tariff handle then rates as a fresh one does.
#include <brantfunc/brant.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_io.h"
#include "platform/file_open.h"
#include "platform/memory.h"
#include "support/kit_cycles.h"

namespace brant::test_support {
namespace {

struct Seam {
  const char* name;
  long (*arm)(long n);  // as FailAllocation: returns the count it replaces
};

const Seam kSeams[] = {
    {"allocation", [](long n) { return FailAllocation(n); }},
    {"short read", [](long n) { return FailRead(n, ReadFault::kShort); }},
    {"read error", [](long n) { return FailRead(n, ReadFault::kError); }},
    {"open", [](long n) { return FailOpen(n); }},
};

// A failed step must have said why.
bool EveryFailureHasItsStatus(const std::string& said) {
  return said.find(" 0; ") == std::string::npos;
}

TEST(FaultSweep, RecordCyclesReportEachFaultReleaseEverythingAndRateAfresh) {
  auto record = std::make_unique<RateContext>();
  RateContext& c = *record;
  for (const Lane& lane : kLanes) {
    const RecordOutcome fresh = RecordCycle(c, lane);  // POINTS has no .DEF: "defaults 240"
    ASSERT_NE(fresh.bill, "") << lane.what << ": " << fresh.said;
    for (const Seam& seam : kSeams) {
      const std::string sweep = std::string(lane.what) + ", " + seam.name;
      SCOPED_TRACE(sweep);
      long n = 1;
      for (;; ++n) {
        const std::size_t descriptors = OpenDescriptors();
        seam.arm(n);
        const RecordOutcome faulted = RecordCycle(c, lane);
        const bool reached = seam.arm(0) == 0;
        EXPECT_TRUE(faulted.closed) << n;
        EXPECT_EQ(OpenDescriptors(), descriptors) << n;
        EXPECT_TRUE(EveryFailureHasItsStatus(faulted.said)) << n << ": " << faulted.said;
        // Rated without a word of the fault: then the bill must be the fresh one.
        if (faulted.said == fresh.said && faulted.left == fresh.left) {
          EXPECT_EQ(faulted.bill, fresh.bill) << n;
        }
        const RecordOutcome again = RecordCycle(c, lane);
        EXPECT_EQ(again.said + again.bill, fresh.said + fresh.bill) << "after fault " << n;
        if (!reached || n > 5000) break;
      }
      std::printf("[ sweep ] record %s, %s: %ld faults\n", lane.what, seam.name, n - 1);
    }
  }
}

brant_shipment ShipmentOn(const Lane& lane) {
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = lane.origin;
  s.destination = lane.destination;
  s.line_count = 1;
  s.lines[0] = {lane.freightClass, lane.weight, 0, 0, 0, 0};
  s.explain = 1;
  return s;
}

struct Rating {
  brant_status status = BRANT_OK;
  brant_error error{};
  brant_bill bill{};
};

Rating Rate(const brant_tariff* tariff, const Lane& lane) {
  const brant_shipment s = ShipmentOn(lane);
  Rating r;
  brant_bill_init(&r.bill);
  r.status = brant_rate(tariff, &s, &r.bill, &r.error);
  return r;
}

brant_status Open(const Lane& lane, brant_tariff** tariff, brant_error* error) {
  return brant_tariff_open(KitTariffs().path().c_str(), lane.tariff, nullptr, tariff, error);
}

bool SameBill(const brant_bill& a, const brant_bill& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// A failure names itself; a rating that stands either is the fresh bill or
// warns of what it lacked.
void ExpectTold(brant_status status, const brant_error& error) {
  EXPECT_EQ(error.status, status);
  EXPECT_NE(error.message[0], '\0');
}

TEST(FaultSweep, TariffHandlesReportEachFaultReleaseEverythingAndRateAfresh) {
  for (const Lane& lane : kLanes) {
    brant_tariff* tariff = nullptr;
    brant_error error;
    ASSERT_EQ(Open(lane, &tariff, &error), BRANT_OK) << error.message;
    const Rating fresh = Rate(tariff, lane);
    brant_tariff_close(tariff);
    ASSERT_EQ(fresh.status, BRANT_OK) << lane.what << ": " << fresh.error.message;
    for (const Seam& seam : kSeams) {
      const std::string sweep = std::string(lane.what) + ", " + seam.name;
      SCOPED_TRACE(sweep);
      long n = 1;
      for (;; ++n) {
        const std::size_t descriptors = OpenDescriptors();
        seam.arm(n);
        tariff = nullptr;
        const brant_status opened = Open(lane, &tariff, &error);
        Rating faulted;
        if (opened == BRANT_OK) faulted = Rate(tariff, lane);
        const bool reached = seam.arm(0) == 0;
        if (opened != BRANT_OK) {
          EXPECT_EQ(tariff, nullptr) << n;
          ExpectTold(opened, error);
        } else if (faulted.status != BRANT_OK) {
          ExpectTold(faulted.status, faulted.error);
          EXPECT_EQ(faulted.bill.line_count + faulted.bill.amount_due_cents, 0) << n;
        } else if (faulted.bill.warning_count <= fresh.bill.warning_count) {
          // A handle rates from the files it read whole when it opened.
          EXPECT_TRUE(SameBill(faulted.bill, fresh.bill)) << "a wrong bill, unsaid, after fault " << n;
        }
        // The same handle, or a new one when none opened, rates afresh.
        if (tariff == nullptr) {
          ASSERT_EQ(Open(lane, &tariff, &error), BRANT_OK) << error.message;
        }
        const Rating again = Rate(tariff, lane);
        EXPECT_EQ(again.status, BRANT_OK) << n << ": " << again.error.message;
        EXPECT_TRUE(SameBill(again.bill, fresh.bill)) << "after fault " << n;
        brant_tariff_close(tariff);
        EXPECT_EQ(OpenDescriptors(), descriptors) << n;
        if (!reached || n > 5000) break;
      }
      std::printf("[ sweep ] brant.h %s, %s: %ld faults\n", lane.what, seam.name, n - 1);
    }
  }
}

}  // namespace
}  // namespace brant::test_support
