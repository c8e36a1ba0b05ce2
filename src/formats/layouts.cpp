#include "formats/layouts.h"

#include "formats/adjustments.h"
#include "formats/base_points.h"
#include "formats/host_records.h"
#include "formats/special_legs.h"

namespace brant::formats {

std::span<const RecordLayout> DocumentedLayouts() {
  static constexpr RecordLayout kLayouts[] = {
      settings::kLayout,        defaults::kLayout,
      discounts::kLayout,       discounts::kBlockLayout,
      profile::kLayout,         base_point::kLayout,
      hawaii_gateway::kLayout,  hawaii_table::kLayout,
      alaska_point::kLayout,    postal_adjustment_range::kLayout,
      lane_adjustment::kLayout, adjustment::kLayout,
  };
  return kLayouts;
}

}  // namespace brant::formats
