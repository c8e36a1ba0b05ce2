// VerTerritory: whether the carrier serves the lane between the two ends.
#include <brantfunc/brantfunc.h>

#include <cstring>
#include <string_view>

#include "context/text.h"

namespace brant {
namespace {

constexpr int32_t kOutOfScope = 103;

bool OneOf(char c, std::string_view letters) { return letters.find(c) != std::string_view::npos; }

uint32_t OutOfScope(RateContext& c) {
  c.errorCode = kOutOfScope;
  return 0;
}

// An origin must ship outbound (F), both ways (B) or either of the open
// letters X and Y; a destination must receive (T), B, X or Y. An intrastate
// move is refused when the origin's state does not serve its own moves.
uint32_t CheckLane(RateContext& c) {
  if (c.origMexicanPoint != 0 || c.destMexicanPoint != 0) return 1;
  if (!IsDigit(c.origZip[0]) || !IsDigit(c.destZip[0])) {
    c.alphaPostalShipment = 1;
    return 1;
  }
  c.alphaPostalShipment = 0;
  if (c.origZip[5] == 'M' || c.destZip[5] == 'M') {
    c.mexicanLeg = 1;
    return 1;
  }
  c.mexicanLeg = 0;
  if (c.origIntrastate == 'N' && std::memcmp(c.origState, c.destState, 2) == 0) {
    return OutOfScope(c);
  }
  char from = c.origDirection;
  char to = c.destDirection;
  if ((from == 'N' && to == 'N') || (from == 'X' && to == 'X')) return OutOfScope(c);
  if (OneOf(from, "FBXY") && OneOf(to, "TBXY")) return 1;
  return OutOfScope(c);
}

}  // namespace
}  // namespace brant

extern "C" uint32_t VerTerritory(RateContext* context) {
  return context ? brant::CheckLane(*context) : 0;
}
