#include "formats/layouts.h"

#include "formats/adjustments.h"
#include "formats/base_points.h"
#include "formats/factors.h"
#include "formats/host_records.h"
#include "formats/rate_records.h"
#include "formats/special_legs.h"

namespace brant::formats {

// One line a family.
std::span<const RecordLayout> DocumentedLayouts() {
  static constexpr RecordLayout kLayouts[] = {
      settings::kLayout, defaults::kLayout, discounts::kLayout, discounts::kBlockLayout,
      profile::kLayout,
      base_point::kLayout,
      wide_rate::kLayout, narrow_rate::kLayout, wide_point_rate::kLayout,
      narrow_point_rate::kLayout, leg_rate::kLayout,
      factor_directory::kLayout, factor_range::kLayout, group_factors::kLayout,
      mexican_factor_directory::kLayout,
      hawaii_gateway::kLayout, hawaii_table::kLayout, alaska_point::kLayout,
      postal_adjustment_range::kLayout, lane_adjustment::kLayout, adjustment::kLayout,
  };
  return kLayouts;
}

}  // namespace brant::formats
