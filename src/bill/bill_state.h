// The working state of one bill: what the break search, the minimum
// charges and the bill itself leave for each other during one RateBill.
// Each thread has its own, so separate records can be rated on separate
// threads at once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brant {

// The levels of one .MCH entry as the lookup copies them out.
inline constexpr std::size_t kChargeLevelSlots = 16;
inline constexpr std::size_t kChargeLabelSize = 33;  // 32 characters and a NUL
inline constexpr std::size_t kChargeValueSize = 7;   // 6 characters and a NUL
struct ChargeLevels {
  char labels[kChargeLevelSlots][kChargeLabelSize];
  char count[2];  // two decimal characters, not terminated
  char kind;      // "C" class minimum table, "R", "S", ...
  char values[kChargeLevelSlots][kChargeValueSize];
};

// One heavier break the search weighed against the cheapest so far: what a
// host shows when it explains why a bill was priced at its break.
struct BreakComparison {
  int32_t fromBreak = 0;      // the cheapest break so far
  int32_t toBreak = 0;        // the heavier break weighed
  int32_t deficitWeight = 0;  // pounds added to reach it
  float deficitRate = 0.0f;   // dollars per 100 pounds
  float total = 0.0f;         // its lines and deficit, after its discount
  double bestTotal = 0.0;     // the cheapest total so far
  bool won = false;           // the heavier break was taken
};
inline constexpr std::size_t kMaxComparisons = 9;  // one per break above the first

struct BillState {
  // Breaks: the one being priced, the cheapest so far, the one compared.
  int32_t currentBreak = 0;
  int32_t bestBreak = 0;
  int32_t nextBreak = 0;
  // The line being priced and its class row.
  int32_t lineIndex = 0;
  int32_t classIndex = 0;
  // Charges of the lines at the current break, dollars.
  double grossCharge = 0.0;
  // The total of the cheapest break, after its discount.
  float bestTotal = 0.0f;
  // The lines at the next break plus the deficit; at 9999999 the search ends.
  float nextBreakTotal = 0.0f;
  // The lowest rate of the next break among the lines, dollars per 100 pounds.
  float lowestNextRate = 0.0f;
  float deficitRate = 0.0f;
  float deficitCharge = 0.0f;
  int32_t deficitWeight = 0;
  int32_t billedWeight = 0;
  bool firstPassDone = false;
  // The break the search started from, and the breaks it weighed.
  int32_t startBreak = 0;
  BreakComparison comparisons[kMaxComparisons] = {};
  int32_t comparisonCount = 0;
  // The levels the MC charge list is built from.
  ChargeLevels chargeListLevels{};
};

// This thread's bill state.
BillState& Bill();

}  // namespace brant
