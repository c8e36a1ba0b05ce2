// Where things live in the 2160-byte request record that the library and
// the tariff engine share: the library writes the shipment into it and the
// engine writes its status and results back into other bytes of it. The
// record is line-oriented text; several areas end in CR LF.
#pragma once

#include <brantfunc/tariff_engine.h>

#include <cstddef>

namespace brant::request {

// Header line, bytes 0 to 264.
inline constexpr std::size_t kHeaderEnd = 265;
inline constexpr std::size_t kStatusAt = 3, kStatusWidth = 4;  // engine's status code
inline constexpr std::size_t kTariffAt = 11;
inline constexpr std::size_t kEngineFlagAt = 19;
inline constexpr std::size_t kTariffDateAt = 20;
inline constexpr std::size_t kOrigZipAt = 30, kZipWidth = 6;
inline constexpr std::size_t kOrigStateAt = 36, kStateWidth = 2;
inline constexpr std::size_t kOrigCityAt = 38, kCityWidth = 17;
inline constexpr std::size_t kDestZipAt = 55;
inline constexpr std::size_t kDestStateAt = 61;
inline constexpr std::size_t kDestCityAt = 63;
inline constexpr std::size_t kHostNumberAt = 80;
inline constexpr std::size_t kRateBasisAt = 90, kRateBasisWidth = 11;
inline constexpr std::size_t kTotalWeightAt = 101;
inline constexpr std::size_t kBilledWeightAt = 107;
inline constexpr std::size_t kWholeNumberWidth = 6;
inline constexpr std::size_t kMinimumChargeAt = 113, kMinimumChargeWidth = 7;
inline constexpr std::size_t kDeficitRateAt = 120, kDeficitRateWidth = 7;
inline constexpr std::size_t kDeficitWeightAt = 127;
inline constexpr std::size_t kDeficitChargeAt = 133, kDeficitChargeWidth = 9;
inline constexpr std::size_t kNetChargeAt = 142, kNetChargeWidth = 9;
inline constexpr std::size_t kRatingOptionAt = 177;
inline constexpr std::size_t kDiscountsOnAt = 194;
inline constexpr std::size_t kOrigPointCodeAt = 196, kDestPointCodeAt = 197;
inline constexpr std::size_t kDiscountTypeAt = 214;
inline constexpr std::size_t kDiscountAmountAt = 220, kDiscountAmountWidth = 9;
inline constexpr std::size_t kMinimumExtraAt = 229, kMinimumExtraWidth = 7;
inline constexpr std::size_t kRateFactorAt = 236, kRateFactorWidth = 5;
inline constexpr std::size_t kDiscountPercentAt = 241, kDiscountPercentWidth = 5;
inline constexpr std::size_t kHeaderLineEndAt = 263;

// Line items: 20 slots of 30 bytes, the first 8 the shipment's lines.
inline constexpr std::size_t kLinesAt = 265, kLineSlot = 30, kLineSlots = 20;
inline constexpr std::size_t kLineClassAt = 2, kLineClassWidth = 3;
inline constexpr std::size_t kLineWeightAt = 5, kLineWeightWidth = 6;
inline constexpr std::size_t kLineRateAt = 11, kLineRateWidth = 7;
inline constexpr std::size_t kLineChargeAt = 18, kLineChargeWidth = 9;
inline constexpr std::size_t kLineEndAt = 27;

// Discount lines: "D%" and "I%", each with ten 5-character fields.
inline constexpr std::size_t kDiscountLineAt = 865, kDiscountFieldsAt = 867;
inline constexpr std::size_t kDiscountLineEndAt = 917;
inline constexpr std::size_t kIncreaseLineAt = 919, kIncreaseFieldsAt = 921;
inline constexpr std::size_t kDiscountFields = 10, kDiscountFieldWidth = 5;
inline constexpr std::size_t kDiscountTailAt = 973;

// Engine results.
inline constexpr std::size_t kRatesAt = 976, kRates = 175;
inline constexpr std::size_t kClassesAt = 1676, kClassSlot = 6, kClassSlots = 20;
inline constexpr std::size_t kBoundsAt = 1796, kBounds = 10;
inline constexpr std::size_t kClassCountAt = 1876;
inline constexpr std::size_t kBreakCountAt = 1878;
inline constexpr std::size_t kChargeTypesAt = 1880;
inline constexpr std::size_t kChargeKeysAt = 1912;
inline constexpr std::size_t kChargeAmountsAt = 2032;
inline constexpr std::size_t kChargeEntries = 30;
inline constexpr std::size_t kChargeZeroAt = 2152;
inline constexpr std::size_t kChargeCountAt = 2154;
inline constexpr std::size_t kTailAt = 2156;
inline constexpr std::size_t kEndMarkAt = 2159;

static_assert(kLinesAt + kLineSlots * kLineSlot == kDiscountLineAt);
static_assert(kRatesAt + 4 * kRates == kClassesAt);
static_assert(kClassesAt + kClassSlot * kClassSlots == kBoundsAt);
static_assert(kChargeAmountsAt + 4 * kChargeEntries == kChargeZeroAt);
static_assert(kEndMarkAt + 1 == ENGINE_REQUEST_SIZE);

}  // namespace brant::request
