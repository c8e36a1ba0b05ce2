#include "formats/layouts.h"

#include "formats/base_points.h"
#include "formats/host_records.h"
#include "formats/matrix.h"
#include "formats/postal.h"
#include "formats/tariff_tables.h"

namespace brant::formats {

std::span<const RecordLayout> DocumentedLayouts() {
  static constexpr RecordLayout kLayouts[] = {
      settings::kLayout,        weight_break::kLayout,   state_code::kLayout,
      base_zip_header::kLayout, base_zip_range::kLayout, zf1::kLayout,
      postal_range::kLayout,    zone_minimum::kLayout,   defaults::kLayout,
      discounts::kLayout,       discounts::kBlockLayout, profile::kLayout,
      base_point::kLayout,
  };
  return kLayouts;
}

}  // namespace brant::formats
