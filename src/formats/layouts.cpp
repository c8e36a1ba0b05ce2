#include "formats/layouts.h"

#include "formats/adjustments.h"
#include "formats/base_points.h"
#include "formats/charges.h"
#include "formats/factors.h"
#include "formats/host_records.h"
#include "formats/matrix.h"
#include "formats/postal.h"
#include "formats/rate_records.h"
#include "formats/special_legs.h"
#include "formats/tariff_tables.h"

namespace brant::formats {

// In the order of docs/formats.md.
std::span<const RecordLayout> DocumentedLayouts() {
  static constexpr RecordLayout kLayouts[] = {
      settings::kLayout,
      weight_break::kLayout,
      state_code::kLayout,
      wide_rate::kLayout,
      narrow_rate::kLayout,
      factor_directory::kLayout,
      factor_range::kLayout,
      group_factors::kLayout,
      base_zip_header::kLayout,
      base_zip_range::kLayout,
      zf1::kLayout,
      postal_range::kLayout,
      zone_minimum::kLayout,
      defaults::kLayout,
      discounts::kLayout,
      discounts::kBlockLayout,
      hawaii_gateway::kLayout,
      hawaii_table::kLayout,
      alaska_point::kLayout,
      postal_adjustment_range::kLayout,
      lane_adjustment::kLayout,
      adjustment::kLayout,
      base_point::kLayout,
      wide_point_rate::kLayout,
      narrow_point_rate::kLayout,
      leg_rate::kLayout,
      mexican_factor_directory::kLayout,
      profile::kLayout,
      fuel_price::kLayout,
      fuel_table::kLayout,
      fuel_band::kLayout,
      accessorial_charge::kLayout,
      class_map::kLayout,
  };
  return kLayouts;
}

}  // namespace brant::formats
