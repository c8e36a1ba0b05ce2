#include "tariffkit/user_files.h"

#include <brantfunc/brantfunc.h>

#include "formats/host_records.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

template <typename Field>
void SetText(const Field& field, uint8_t* record, const std::string& text, const char* name) {
  RequireFits(text, Field::kWidth, name);
  field.Set(record, text);
}

void PutPadded(uint8_t* at, std::size_t width, const std::string& text, const std::string& name) {
  RequireFits(text, width, name);
  PutPaddedText(at, width, text);
}

void SetSwitchesAndFactors(const Defaults& d, uint8_t* r) {
  defaults::useRateFactor.Set(r, d.useRateFactor);
  defaults::weightTierEnabled.Set(r, d.weightTierEnabled);
  defaults::discountsEnabled.Set(r, d.discountsEnabled);
  defaults::discountType.Set(r, d.discountType);
  defaults::rateFactor.Set(r, d.rateFactor);
  defaults::weightTierPercentLow.Set(r, d.weightTierPercentLow);
  defaults::rateScale.Set(r, d.rateScale);
  defaults::zipDiscountsEnabled.Set(r, d.zipDiscountsEnabled);
  defaults::weightTierPercentHigh.Set(r, d.weightTierPercentHigh);
  defaults::defaultsInitialised.Set(r, d.defaultsInitialised);
  defaults::currentProfileIndex.Set(r, d.currentProfileIndex);
  defaults::discountsEnabled2.Set(r, d.discountsEnabled2);
  defaults::minimumAddOn.Set(r, d.minimumAddOn);
}

void SetTiersAndBreaks(const Defaults& d, uint8_t* r) {
  SetText(defaults::weightBreakStart, r, d.weightBreakStart, "weight break start");
  SetText(defaults::weightBreakSpan, r, d.weightBreakSpan, "weight break span");
  defaults::hawaiiTable2PercentOn.Set(r, d.hawaiiTable2PercentOn);
  defaults::hawaiiTable3PercentOn.Set(r, d.hawaiiTable3PercentOn);
  defaults::hawaiiTable2Percent.Set(r, d.hawaiiTable2Percent);
  defaults::hawaiiTable3Percent.Set(r, d.hawaiiTable3Percent);
  defaults::altWeightTierEnabled.Set(r, d.altWeightTierEnabled);
  defaults::altWeightTierPercentLow.Set(r, d.altWeightTierPercentLow);
  defaults::altWeightTierPercentHigh.Set(r, d.altWeightTierPercentHigh);
}

void PutDiscountBlock(uint8_t* block, const DiscountBlock& b) {
  for (std::size_t i = 0; i < b.breakPercents.size(); ++i) {
    PutPadded(block + discounts::BreakPercentAt(i), discounts::kPercentWidth, b.breakPercents[i],
              "break discount percentage");
  }
  PutPadded(block + discounts::kMainPercentAt, discounts::kPercentWidth, b.mainPercent,
            "main discount percentage");
  PutPadded(block + discounts::kFloorAt, discounts::kFloorWidth, b.floor, "discount floor");
}

void RequireImageSize(const std::string& image, std::size_t size, const char* what) {
  Require(image.size() == size, std::string(what) + " image is not " + std::to_string(size) +
                                    " bytes");
}

}  // namespace

std::string DefaultsRecord(const Defaults& d) {
  return DefaultsRecord(d, ZeroRecord(BRANT_DEF_RECORD_SIZE));
}

std::string DefaultsRecord(const Defaults& d, std::string image) {
  RequireImageSize(image, BRANT_DEF_RECORD_SIZE, ".DEF");
  SetSwitchesAndFactors(d, Image(image));
  SetTiersAndBreaks(d, Image(image));
  return image;
}

std::string DiscountsRecord(const Discounts& d) {
  return DiscountsRecord(d, ZeroRecord(BRANT_DIS_RECORD_SIZE));
}

std::string DiscountsRecord(const Discounts& d, std::string image) {
  RequireImageSize(image, BRANT_DIS_RECORD_SIZE, ".DIS");
  Require(d.entries.size() <= discounts::kEntryCount, ".DIS holds at most 9 entries");
  Require(d.blocks.size() <= discounts::kBlockCount, ".DIS holds at most 4 discount blocks");
  uint8_t* r = Image(image);
  discounts::profileMark.Set(r, d.profileMark);
  discounts::blockSelector.Set(r, d.blockSelector);
  for (std::size_t j = 0; j < d.entries.size(); ++j) {
    PutPadded(discounts::Entry(r, j), discounts::kEntrySize, d.entries[j], "discount entry");
  }
  for (std::size_t k = 0; k < d.blocks.size(); ++k) {
    PutDiscountBlock(discounts::Block(r, k), d.blocks[k]);
  }
  return image;
}

}  // namespace brant::tariffkit
