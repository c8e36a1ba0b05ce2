// A shipment as the host gave it, checked for form before any tariff is
// asked: postal codes read as people type them, one to eight lines of a
// class and a weight, the total weight, the discount figures. What fails
// here is malformed; whether the tariff serves it is asked later.
#pragma once

#include <brantfunc/brant.h>

#include <cstdint>

namespace brant::api {

enum class PostalKind { kZip, kCanadian, kMexican };

struct PostalCode {
  PostalKind kind = PostalKind::kZip;
  char code[7] = {};    // as the record takes it: "60601", "M5V3L9", "64000M"
  char given[40] = {};  // as the host typed it, blanks around it dropped, cut to fit
};

inline constexpr int32_t kMostPounds = 999999;  // the record's six-digit weights
inline constexpr int32_t kMostBasisPoints = 9999;
inline constexpr int64_t kMostFloorCents = 99999;
inline constexpr int32_t kClassRoom = 6;  // the tariff's class texts
inline constexpr int32_t kMostInches = 999;
inline constexpr int32_t kMostUnits = 999;
inline constexpr int32_t kCodeRoom = 15;  // an accessorial code

// A line's handling units, when it gives them instead of a class.
struct LineUnits {
  int32_t count = 0;  // 0: the line gives its class
  int32_t length = 0;
  int32_t width = 0;
  int32_t height = 0;
};

struct ShipmentInput {
  PostalCode origin;
  PostalCode destination;
  int32_t lineCount = 0;
  char classes[BRANT_MAX_LINES][kClassRoom + 1] = {};
  int32_t weights[BRANT_MAX_LINES] = {};
  int32_t totalWeight = 0;
  LineUnits units[BRANT_MAX_LINES] = {};
  int32_t shipDate = 0;  // YYYYMMDD, 0: none
  int32_t accessorialCount = 0;
  char accessorials[BRANT_MAX_ACCESSORIALS][kCodeRoom + 1] = {};  // upper case
};

// Reads `shipment` into `input`; BRANT_OK, or BRANT_E_MALFORMED with the
// field, the value and what is accepted in `error`.
brant_status ReadShipment(const brant_shipment& shipment, ShipmentInput& input,
                          brant_error* error);

}  // namespace brant::api
