#include "tariffkit/profile_files.h"

#include <brantfunc/brantfunc.h>

#include "formats/host_records.h"
#include "discount/zip_ranges.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

namespace zr = zipranges;

void PutNulPadded(uint8_t* at, std::size_t width, const std::string& text,
                  const std::string& what) {
  RequireFits(text, width, what);
  PutFixedText(at, width, text);
}

template <typename Field>
void SetText(const Field& field, uint8_t* record, const std::string& text, const char* what) {
  RequireFits(text, Field::kWidth, what);
  field.Set(record, text);
}

void PutRange(uint8_t* entry, const ZipRangeEnd& orig, const ZipRangeEnd& dest) {
  PutNulPadded(entry + zr::kOrigLowAt, zr::kRangeFieldWidth, orig.low, "origin range low");
  PutNulPadded(entry + zr::kOrigHighAt, zr::kRangeFieldWidth, orig.high, "origin range high");
  PutNulPadded(entry + zr::kDestLowAt, zr::kRangeFieldWidth, dest.low, "destination range low");
  PutNulPadded(entry + zr::kDestHighAt, zr::kRangeFieldWidth, dest.high, "destination range high");
}

void PutZipTables(const Profile& p, uint8_t* r) {
  Require(p.zipDiscounts.size() <= profile::kZipTableRoom, "at most 3200 ZIP-range discounts");
  Require(p.zipFloors.size() <= profile::kZipTableRoom, "at most 3200 ZIP-range floors");
  for (std::size_t i = 0; i < p.zipDiscounts.size(); ++i) {
    const ZipRangeDiscount& d = p.zipDiscounts[i];
    uint8_t* entry = r + profile::kZipDiscountTableAt + i * profile::kZipDiscountEntrySize;
    PutRange(entry, d.orig, d.dest);
    for (std::size_t j = 0; j < zr::kPercentCount; ++j) {
      PutNulPadded(entry + zr::kPercentsAt + j * zr::kPercentWidth, zr::kPercentWidth,
                   d.percents[j], "ZIP-range percentage");
    }
  }
  for (std::size_t i = 0; i < p.zipFloors.size(); ++i) {
    uint8_t* entry = r + profile::kZipFloorTableAt + i * profile::kZipFloorEntrySize;
    PutRange(entry, p.zipFloors[i].orig, p.zipFloors[i].dest);
    PutNulPadded(entry + zr::kFloorAt, zr::kFloorWidth, p.zipFloors[i].floor, "ZIP-range floor");
  }
  profile::zipDiscountCount.Set(
      r, p.zipDiscountCount.value_or(static_cast<int32_t>(p.zipDiscounts.size())));
  profile::zipFloorCount.Set(r, p.zipFloorCount.value_or(static_cast<int32_t>(p.zipFloors.size())));
}

void PutBlocks(const Profile& p, uint8_t* r) {
  for (std::size_t k = 0; k < p.blocks.size(); ++k) {
    uint8_t* block = r + profile::kDiscountBlockAt[k];
    for (std::size_t i = 0; i < p.blocks[k].breakPercents.size(); ++i) {
      StoreF32(block + 4 * i, p.blocks[k].breakPercents[i]);
    }
    StoreF32(block + profile::kDiscountBlockMainAt, p.blocks[k].mainPercent);
    StoreF32(block + profile::kDiscountBlockFloorAt, p.blocks[k].floor);
  }
}

void PutTiers(const Profile& p, uint8_t* r) {
  profile::weightTierEnabled.Set(r, p.weightTier.enabled);
  profile::weightTierPercentLow.Set(r, p.weightTier.percentLow);
  profile::weightTierPercentHigh.Set(r, p.weightTier.percentHigh);
  profile::profileWeightTierEnabled.Set(r, p.secondWeightTier.enabled);
  profile::secondWeightTierPercentLow.Set(r, p.secondWeightTier.percentLow);
  profile::secondWeightTierPercentHigh.Set(r, p.secondWeightTier.percentHigh);
  profile::altWeightTierEnabled.Set(r, p.altWeightTier.enabled);
  profile::altWeightTierPercentLow.Set(r, p.altWeightTier.percentLow);
  profile::altWeightTierPercentHigh.Set(r, p.altWeightTier.percentHigh);
  profile::hawaiiTable2PercentOn.Set(r, p.hawaiiTable2PercentOn);
  profile::hawaiiTable2Percent.Set(r, p.hawaiiTable2Percent);
  profile::hawaiiTable3PercentOn.Set(r, p.hawaiiTable3PercentOn);
  profile::hawaiiTable3Percent.Set(r, p.hawaiiTable3Percent);
}

void PutChoices(const Profile& p, uint8_t* r) {
  SetText(profile::name, r, p.name, "profile name");
  profile::classSubstitution.Set(r, p.classSubstitution);
  Require(p.classSubstitutes.size() <= profile::kClassSubstituteCount, "at most 18 substitutes");
  for (std::size_t i = 0; i < p.classSubstitutes.size(); ++i) {
    PutNulPadded(r + profile::kClassSubstitutesAt + i * profile::kClassSubstituteWidth,
                 profile::kClassSubstituteWidth, p.classSubstitutes[i], "class substitute");
  }
  profile::defSwitch179.Set(r, p.def179);
  profile::defSwitch159.Set(r, p.def159);
  profile::defSwitch170.Set(r, p.def170);
  SetText(profile::defText172, r, p.def172, ".DEF text 172");
  SetText(profile::defText181, r, p.def181, ".DEF text 181");
  SetText(profile::defText150, r, p.def150, ".DEF text 150");
  SetText(profile::defText161, r, p.def161, ".DEF text 161");
  profile::discountType.Set(r, p.discountType);
  profile::profileUseUserDiscount.Set(r, p.useUserDiscount);
  profile::profileUseDisFile.Set(r, p.useDisFile);
  profile::profileUseZipDiscounts.Set(r, p.useZipDiscounts);
  profile::profileUseZipFloors.Set(r, p.useZipFloors);
}

}  // namespace

std::string ProfileRecord(const Profile& p) {
  std::string record = ZeroRecord(BRANT_PROFILE_RECORD_SIZE);
  uint8_t* r = Image(record);
  PutChoices(p, r);
  PutTiers(p, r);
  PutBlocks(p, r);
  PutZipTables(p, r);
  return record;
}

std::string ProfileFile(const std::vector<Profile>& profiles) {
  std::string file;
  for (const Profile& p : profiles) file += ProfileRecord(p);
  return file;
}

}  // namespace brant::tariffkit
