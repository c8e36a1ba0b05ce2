// End to end: any file of the first shipment's kit tariff replaced from
// the input, then the host's whole path: open, the user's files, both ends,
// territory, classes and weights, LoadDiscounts, RateShipment, close. The
// control text's second line is a second shipment (perhaps of another kit
// tariff), rated on the same record after the first (closed and opened
// again for another tariff), and on a fresh record; the two must agree byte for byte in what a host reads
// back, or the record kept something of the first shipment.
//
// Two carry-overs are the design's, and the host here does what a host
// must about them: a wide-record tariff applies the lane adjustment codes
// as they stand, so the host clears them between shipments; and the user's
// defaults and discounts stay with the user when the record changes
// tariffs, so the host clears them when the next tariff has none of its
// own. BRANTFUNC_FUZZ_STRICT names which to leave as they are: "lanes",
// "userfiles", or "1" for both.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "fuzz_support.h"

namespace {

using namespace brant::fuzz;

// What a host reads back after rating: [from, to) stretches of the record,
// and the cells of the rate table that the tariff's classes and breaks use
// (cells past them are not rewritten for a smaller table, and no host
// reads them).
struct Stretch {
  const char* name;
  std::size_t from, to;
};
#define STRETCH(first, end) \
  Stretch { #first, offsetof(RateContext, first), offsetof(RateContext, end) }
const Stretch kResults[] = {
    STRETCH(minimumCharge, baseRates),  // charges and discounts
    STRETCH(origZip, classTable),       // the ends and the bill
    STRETCH(mcKeys, fourthChargeList),  // the MC, SS and third charge lists
    STRETCH(fifthListKeys, hostBytes37),
};
#undef STRETCH

Stretch RateCellsInUse(const RateContext& c) {
  const int64_t cells = 4 + int64_t{c.classCount} * c.weightRecordCount;
  const int64_t room = BRANT_BASE_RATE_CELLS;
  const std::size_t used = static_cast<std::size_t>(cells < 4 ? 4 : cells > room ? room : cells);
  return {"baseRates", offsetof(RateContext, baseRates),
          offsetof(RateContext, baseRates) + used * sizeof(int32_t)};
}

struct Outcome {
  int32_t rated, errorCode;
};

// Opens `tariff` on the record and reads the user's files, as a host does.
bool Open(RateContext& c, const std::string& tariff) {
  std::memset(c.tariffName, 0, sizeof c.tariffName);
  tariff.copy(c.tariffName, sizeof c.tariffName - 1);
  if (OpenAllFiles(&c, nullptr) == 0) return false;
  ReadDefFile(&c);
  ReadDiscFile(&c);
  return true;
}

// Whether BRANTFUNC_FUZZ_STRICT (a list such as "lanes,userfiles", or "1"
// for everything) names `what`.
bool Strict(std::string_view strict, std::string_view what) {
  return strict == "1" || strict.find(what) != std::string_view::npos;
}

std::string_view StrictAbout() {
  const char* value = std::getenv("BRANTFUNC_FUZZ_STRICT");
  return value == nullptr ? "" : value;
}

[[noreturn]] void Report(const char* what, const Outcome& same, const Outcome& fresh) {
  std::fprintf(stderr,
               "end_to_end: the second shipment differs on the same record (%s): rated %d "
               "status %d there, rated %d status %d on a fresh record\n",
               what, same.rated, same.errorCode, fresh.rated, fresh.errorCode);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const Input input = SplitInput(data, size);
  const Shipment first = ParseShipment(input.control, 0);
  const Shipment second = ParseShipment(input.control, 1);
  const ReplacedFiles files(input, first.tariff, nullptr);
  static const std::string_view strict = StrictAbout();
  static const bool keepLanes = Strict(strict, "lanes");
  static const bool keepUserFiles = Strict(strict, "userfiles");

  Record fresh = NewRecord(second.tariff);
  if (!Open(*fresh, second.tariff)) return 0;
  const Outcome freshOutcome{RateAsHost(*fresh, second), fresh->errorCode};

  // The same record, kept open for the second shipment when both are of
  // one tariff (or, with BRANTFUNC_FUZZ_REOPEN, closed and opened again).
  static const bool reopen = std::getenv("BRANTFUNC_FUZZ_REOPEN") != nullptr;
  Record same = NewRecord(first.tariff);
  const bool opened = Open(*same, first.tariff);
  if (opened) RateAsHost(*same, first);
  if (!keepLanes) std::memset(same->laneAdjustmentCodes, 0, sizeof same->laneAdjustmentCodes);
  if (!opened || reopen || first.tariff != second.tariff) {
    CloseAllFiles(same.get());
    if (!keepUserFiles) {
      std::memset(same->defRecord, 0, sizeof same->defRecord);
      std::memset(same->discFile, 0, sizeof same->discFile);
    }
    if (!Open(*same, second.tariff)) Report("it did not open there", {}, freshOutcome);
  }
  const Outcome sameOutcome{RateAsHost(*same, second), same->errorCode};
  Tell(second, *same, sameOutcome.rated);

  if (sameOutcome.rated != freshOutcome.rated || sameOutcome.errorCode != freshOutcome.errorCode ||
      same->classCount != fresh->classCount ||
      same->weightRecordCount != fresh->weightRecordCount) {
    Report("outcome", sameOutcome, freshOutcome);
  }
  if (sameOutcome.rated != 1) return 0;  // refused alike; a host reads no bill
  const auto* a = reinterpret_cast<const unsigned char*>(same.get());
  const auto* b = reinterpret_cast<const unsigned char*>(fresh.get());
  std::vector<Stretch> stretches(std::begin(kResults), std::end(kResults));
  stretches.push_back(RateCellsInUse(*fresh));
  for (const auto& [name, from, to] : stretches) {
    for (std::size_t at = from; at < to; ++at) {
      if (a[at] == b[at]) continue;
      std::fprintf(stderr, "end_to_end: byte %zu (in the stretch from %s) is %u, fresh %u\n", at,
                   name, a[at], b[at]);
      Report("its results", sameOutcome, freshOutcome);
    }
  }
  return 0;
}
