#include "tariffkit/settings_file.h"

#include <brantfunc/brantfunc.h>

#include "formats/host_records.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

template <typename Field>
void SetText(const Field& field, std::string& record, const std::string& text, const char* name) {
  RequireFits(text, Field::kWidth, name);
  field.Set(Image(record), text);
}

}  // namespace

std::string SettingsRecord(const Settings& s) {
  std::string record = ZeroRecord(BRANT_SETTINGS_SIZE);
  uint8_t* bytes = Image(record);
  SetText(settings::issueText, record, s.issueText, "issue text");
  SetText(settings::postalCodeLength, record, s.postalCodeLength, "postal code length");
  settings::useAdjustments.Set(bytes, s.useAdjustments);
  for (std::size_t i = 0; i < s.optionFlags.size(); ++i) {
    settings::SetOptionFlag(bytes, i, s.optionFlags[i]);
  }
  settings::engineMode.Set(bytes, s.engineMode);
  settings::weightTierOnGross.Set(bytes, s.weightTierOnGross);
  SetText(settings::serviceGuideAccountWest, record, s.serviceGuideAccountWest,
          "service guide account (west)");
  SetText(settings::serviceGuideAccount, record, s.serviceGuideAccount, "service guide account");
  settings::serviceGuideMode.Set(bytes, s.serviceGuideMode);
  settings::useFacTables.Set(bytes, s.useFacTables);
  settings::wideRteRecords.Set(bytes, s.wideRteRecords);
  return record;
}

}  // namespace brant::tariffkit
