// The steps that open a tariff. Each takes the record, returns 1 or 0 with
// errorCode set, and closes what it opened when it fails.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>

#include "formats/rate_records.h"

namespace brant {

// Tables read whole into the record or into one heap block.
int32_t LoadSettings(RateContext& context);
int32_t LoadAccessorials(RateContext& context);
int32_t LoadMchTable(RateContext& context);
int32_t LoadClasses(RateContext& context);
int32_t LoadStateCodes(RateContext& context);

// Indexes and headers of the large files, some kept open for lookups.
inline constexpr std::size_t kWideRteRecord = formats::wide_rate::kSize;
inline constexpr std::size_t kNarrowRteRecord = formats::narrow_rate::kSize;
int32_t BuildRteIndex(RateContext& context, std::size_t recordSize);
int32_t OpenFactorFiles(RateContext& context);
int32_t LoadBseHeader(RateContext& context);
int32_t LoadZf1Tables(RateContext& context);
int32_t LoadSccTable(RateContext& context);
int32_t LoadZp6Table(RateContext& context);
// The number of .ZMC records; 0 when the file cannot be opened.
int32_t CountZmcRecords(RateContext& context);

}  // namespace brant
