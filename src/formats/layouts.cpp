#include "formats/layouts.h"

#include "formats/base_points.h"
#include "formats/factors.h"
#include "formats/host_records.h"
#include "formats/rate_records.h"

namespace brant::formats {

std::span<const RecordLayout> DocumentedLayouts() {
  static constexpr RecordLayout kLayouts[] = {
      settings::kLayout,       defaults::kLayout, discounts::kLayout,
      discounts::kBlockLayout, profile::kLayout,  base_point::kLayout,
      wide_rate::kLayout,      narrow_rate::kLayout, factor_directory::kLayout,
      factor_range::kLayout,   group_factors::kLayout, wide_point_rate::kLayout,
      narrow_point_rate::kLayout, leg_rate::kLayout, mexican_factor_directory::kLayout,
  };
  return kLayouts;
}

}  // namespace brant::formats
