// LoadProfileZP6: a profile with ZIP-range discounts may bring its own .ZP6
// file, named after the profile, in the tariff's data directory.
#include <brantfunc/brantfunc.h>

#include "formats/host_records.h"
#include "context/status_codes.h"
#include "files/file_names.h"
#include "files/record_access.h"
#include "formats/postal.h"
#include "platform/file_open.h"
#include "profile/profile.h"

namespace brant {
namespace {

constexpr int64_t kZp6Record = formats::zip_table::kSize;

bool ProfileWantsZp6(const RateContext& c) {
  return !settings::domesticOnly.IsYes(c) && profile::profileUseZipDiscounts.Get(c) != 0 &&
         defaults::discountsEnabled.Get(c) != 0;
}

}  // namespace
}  // namespace brant

// The profile's table replaces the one the tariff opened: the earlier block
// is released first, and the table and its count always agree (a failure
// leaves no table and a count of 0). CloseAllFiles releases the new block.
extern "C" int32_t LoadProfileZP6(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 1;
  RateContext& c = *context;
  if (!ProfileWantsZp6(c)) return 1;
  PathText name = PathText(profile::name.Get(c)).Append(".ZP6");
  ScopedDescriptor file(OpenForReading(InDirectory(c.dataDir, name)));
  c.zp6Table = ReleaseTable(c.zp6Table);
  c.zp6Count = 0;
  if (!file.ok()) {
    c.errorCode = kZp6Open;
    return 1;
  }
  const LoadedTable zp6 = LoadTable(c, file.get(), kZp6Record, kZp6Allocation, kZp6Read);
  c.zp6Table = zp6.block, c.zp6Count = zp6.count;
  return 1;
}
