// Checks the RateContext that brantfunc.h declares against the layout written
// down independently in support/record_layout.h. The host addresses every
// field by its own copy of this layout, so a field that moves by one byte,
// changes width, or swaps the two dimensions of a table corrupts the host's
// data without any compiler noticing.
#include <brantfunc/brantfunc.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include "support/record_layout.h"

namespace brant::test_support {
namespace {

// offsetof is only defined for standard-layout types, and the host zero-fills
// and copies the record as plain bytes.
static_assert(std::is_standard_layout_v<RateContext>);
static_assert(std::is_trivially_copyable_v<RateContext>);

// What a field's elements are, as declared in the header.
enum class Element { kInt16, kInt32, kFloat, kChar, kOtherByte, kPointer, kOther };

template <typename Member>
constexpr Element ElementOf() {
  using E = std::remove_cv_t<std::remove_all_extents_t<Member>>;
  if constexpr (std::is_pointer_v<E>) {
    return Element::kPointer;
  } else if constexpr (std::is_same_v<E, std::int16_t>) {
    return Element::kInt16;
  } else if constexpr (std::is_same_v<E, std::int32_t>) {
    return Element::kInt32;
  } else if constexpr (std::is_same_v<E, float>) {
    return Element::kFloat;
  } else if constexpr (std::is_same_v<E, char>) {
    return Element::kChar;
  } else if constexpr (std::is_same_v<E, unsigned char> || std::is_same_v<E, signed char> ||
                       std::is_same_v<E, std::byte>) {
    return Element::kOtherByte;
  } else {
    return Element::kOther;
  }
}

// The first dimension: char[99][6] has 99 slots, a scalar one.
template <typename Member>
constexpr std::size_t SlotsOf() {
  if constexpr (std::rank_v<Member> == 0) {
    return 1;
  } else {
    return std::extent_v<Member, 0>;
  }
}

// Texts must be char so that the string routines take them as they are; raw
// bytes may be any single-byte type.
bool Fits(FieldKind kind, Element element) {
  switch (kind) {
    case FieldKind::kI16: return element == Element::kInt16;
    case FieldKind::kI32: return element == Element::kInt32;
    case FieldKind::kF32: return element == Element::kFloat;
    case FieldKind::kText: return element == Element::kChar;
    case FieldKind::kBytes:
    case FieldKind::kHostBytes: return element == Element::kChar || element == Element::kOtherByte;
    case FieldKind::kPointer: return element == Element::kPointer;
  }
  return false;
}

struct ObservedField {
  std::string_view name;
  std::size_t offset;
  std::size_t width;
  std::size_t slots;
  Element element;
};

// Pairs a field's name with where and how the header declares it.
#define OBSERVED(field)                                                   \
  ObservedField{#field, offsetof(RateContext, field), sizeof(RateContext::field), \
                SlotsOf<decltype(RateContext::field)>(),                  \
                ElementOf<decltype(RateContext::field)>()}

// Every field of the header's record, in the order the host expects them.
std::vector<ObservedField> ObservedFields() {
  return {
      // Handles, small tables and counts
      OBSERVED(zf1Handle), OBSERVED(hostBytes01), OBSERVED(auxHandle),
      OBSERVED(classAdjHandle), OBSERVED(hostBytes02), OBSERVED(mx1Handle),
      OBSERVED(hostBytes03), OBSERVED(facHandle), OBSERVED(fc1Handle),
      OBSERVED(fc2Handle), OBSERVED(rteHandle), OBSERVED(hostBytes04),
      OBSERVED(bseHandle), OBSERVED(altFactorHandle), OBSERVED(hostBytes05),
      OBSERVED(classMinimumTable), OBSERVED(mchTable), OBSERVED(cozTable),
      OBSERVED(cozCount), OBSERVED(origAdjustmentCode), OBSERVED(destAdjustmentCode),
      OBSERVED(laneAdjustmentCodes), OBSERVED(adjustmentSortScratch), OBSERVED(zf1Count),
      OBSERVED(hostBytes06), OBSERVED(classAdjCount), OBSERVED(zmcCount),
      OBSERVED(zp6Count), OBSERVED(sccCount), OBSERVED(lvlCount), OBSERVED(accCount),
      OBSERVED(discCount), OBSERVED(errorCode), OBSERVED(adjustmentReserved),
      OBSERVED(accTable), OBSERVED(lvlTable), OBSERVED(tariffIssue),
      OBSERVED(hostBytes07),
      // Shipment classification and rating state
      OBSERVED(alphaPostalShipment), OBSERVED(mexicanLeg), OBSERVED(alaskaShipment),
      OBSERVED(openTimeCounters), OBSERVED(wantTransitDays), OBSERVED(sendEngineFlag),
      OBSERVED(engineTablesArgument), OBSERVED(hostBytes08), OBSERVED(rateBaseReserved),
      OBSERVED(minimumCharge), OBSERVED(hostBytes09), OBSERVED(zoneMinimum),
      OBSERVED(zoneCharge), OBSERVED(discountFloor), OBSERVED(discountPercent),
      OBSERVED(userBreakDiscountText), OBSERVED(userDiscountText),
      OBSERVED(userFloorText), OBSERVED(baseRates), OBSERVED(hostBytes10),
      OBSERVED(classMinimumRaw), OBSERVED(hostBytes11), OBSERVED(zf1DataStart),
      OBSERVED(zf1FileSize), OBSERVED(hostBytes12), OBSERVED(classMinimumCount),
      // Locations and names
      OBSERVED(profileDir), OBSERVED(dataDir), OBSERVED(tariffName), OBSERVED(territory),
      OBSERVED(hostBytes13), OBSERVED(ratingOptionFlag), OBSERVED(hostBytes14),
      OBSERVED(rbnoDisplay), OBSERVED(rbnoKindTable), OBSERVED(efcTable),
      OBSERVED(efcTableState), OBSERVED(wgtRecords), OBSERVED(useTariffEngine),
      OBSERVED(useServiceGuide), OBSERVED(zp6Table), OBSERVED(zf1RowStarts),
      OBSERVED(zf1KeyTable), OBSERVED(hostBytes15), OBSERVED(engineModule),
      OBSERVED(hostBytes16), OBSERVED(serviceGuideModule), OBSERVED(hostBytes17),
      OBSERVED(engineTablesLoaded), OBSERVED(hostBytes18), OBSERVED(efcCount),
      OBSERVED(efcBureauCount), OBSERVED(hostBytes19), OBSERVED(engineTariff),
      OBSERVED(engineTariffDate), OBSERVED(hostBytes20), OBSERVED(ignoreEngineStatus),
      OBSERVED(engineSilent), OBSERVED(stateCodeTable), OBSERVED(hostBytes21),
      OBSERVED(weightRecordCount), OBSERVED(hostBytes22), OBSERVED(discountsSwitchedOff),
      OBSERVED(hostBytes23), OBSERVED(billedWeightCopy),
      // Hawaiian leg, Alaska and minimum charges
      OBSERVED(hawaiiOnly), OBSERVED(hawaiiOuterIsland), OBSERVED(hawaiiShipment),
      OBSERVED(hawaiiGatewayCode), OBSERVED(hawaiiAreaCode), OBSERVED(hawaiiRateCode),
      OBSERVED(hawaiiTerminal), OBSERVED(hawaiiGatewayZip), OBSERVED(hawaiiGatewayState),
      OBSERVED(hostBytes24), OBSERVED(hawaiiWeight), OBSERVED(hawaiiTable1Charge),
      OBSERVED(hawaiiOtherCharges), OBSERVED(hawaiiTable1), OBSERVED(hawaiiTable2),
      OBSERVED(hawaiiTable3), OBSERVED(hawaiiTable4), OBSERVED(hawaiiPercentCharges),
      OBSERVED(hawaiiTable1Percent), OBSERVED(hawaiiTable1PercentAmount),
      OBSERVED(hostBytes25), OBSERVED(rteIndexCount), OBSERVED(hostBytes26),
      OBSERVED(alaskaPointFlag), OBSERVED(useBasePoints), OBSERVED(hostBytes27),
      OBSERVED(mcEntryValue), OBSERVED(altClassMinimum), OBSERVED(hostBytes28),
      // Tariff settings and the user's files
      OBSERVED(settings), OBSERVED(defRecord), OBSERVED(discFile), OBSERVED(hostBytes29),
      // The shipment and its bill
      OBSERVED(origZip), OBSERVED(origState), OBSERVED(origCity), OBSERVED(origPointCode),
      OBSERVED(origIntrastate), OBSERVED(origDirection), OBSERVED(destZip),
      OBSERVED(destState), OBSERVED(destCity), OBSERVED(destPointCode),
      OBSERVED(destIntrastate), OBSERVED(destDirection), OBSERVED(rbno),
      OBSERVED(hostBytes30), OBSERVED(engineFlag), OBSERVED(origTerminal),
      OBSERVED(destTerminal), OBSERVED(origExtraDays), OBSERVED(destExtraDays),
      OBSERVED(transitDays), OBSERVED(lineClass), OBSERVED(lineClassIndex),
      OBSERVED(lineClassMark), OBSERVED(lineWeight), OBSERVED(lineWeightBreak),
      OBSERVED(lineRate), OBSERVED(lineCharge), OBSERVED(hostBytes31),
      OBSERVED(deficitWeight), OBSERVED(deficitRate), OBSERVED(deficitCharge),
      OBSERVED(totalWeight), OBSERVED(billedWeight), OBSERVED(grossCharge),
      OBSERVED(discountPercentText), OBSERVED(discountAmount), OBSERVED(hostBytes32),
      OBSERVED(weightTierCharge), OBSERVED(discountText), OBSERVED(minimumDiscountText),
      OBSERVED(netCharge), OBSERVED(hostBytes33), OBSERVED(minimumChargeText),
      OBSERVED(floorText), OBSERVED(hostBytes34), OBSERVED(weightTierIndex),
      OBSERVED(origMexicanPoint), OBSERVED(destMexicanPoint), OBSERVED(origPointFlag1),
      OBSERVED(destPointFlag1), OBSERVED(origPointFlag2), OBSERVED(destPointFlag2),
      OBSERVED(origPointFlag3), OBSERVED(destPointFlag3), OBSERVED(origRegion),
      OBSERVED(destRegion), OBSERVED(discountSource), OBSERVED(hostBytes35),
      OBSERVED(floorSource), OBSERVED(hostBytes36),
      // Classes, weight breaks and charge lists
      OBSERVED(classTable), OBSERVED(classCount), OBSERVED(weightLabels),
      OBSERVED(weightMax), OBSERVED(weightMin), OBSERVED(weightBreakCount),
      OBSERVED(mcKeys), OBSERVED(mcAmounts), OBSERVED(mcMarks), OBSERVED(mcLabels),
      OBSERVED(mcCount), OBSERVED(ssKeys), OBSERVED(ssAmounts), OBSERVED(ssMarks),
      OBSERVED(ssLabels), OBSERVED(ssCount), OBSERVED(thirdListKeys),
      OBSERVED(thirdListAmounts), OBSERVED(thirdListMarks), OBSERVED(thirdListLabels),
      OBSERVED(chargeListRows), OBSERVED(fourthChargeList), OBSERVED(fifthListKeys),
      OBSERVED(fifthListAmounts), OBSERVED(fifthListMarks), OBSERVED(fifthListLabels),
      OBSERVED(chargeListRows2), OBSERVED(hostBytes37), OBSERVED(engineVersionText1),
      OBSERVED(engineVersionText2), OBSERVED(engineVersionText3),
      OBSERVED(engineVersionText4), OBSERVED(engineVersionText5),
      OBSERVED(engineVersionText6), OBSERVED(sccTable), OBSERVED(hostBytes38),
      OBSERVED(classMinimumEntry), OBSERVED(facDirectory), OBSERVED(fc1Scratch),
      OBSERVED(altFacDirectory), OBSERVED(bseHeader), OBSERVED(hostBytes39),
      OBSERVED(classAdjRecord), OBSERVED(hostBytes40), OBSERVED(matrixRbnoRecord),
      OBSERVED(hostBytes41), OBSERVED(zmcRecord), OBSERVED(rteIndex),
      OBSERVED(reservedTables),
      // Profile and terminal details
      OBSERVED(profileRecord), OBSERVED(origTerminalInfo), OBSERVED(destTerminalInfo),
  };
}

#undef OBSERVED

// offsetof and sizeof over a run of fields from `first` to the end of `last`.
#define SPAN(first, last) \
  (offsetof(RateContext, last) + sizeof(RateContext::last) - offsetof(RateContext, first))

TEST(RecordLayout, EveryNamedFieldSitsWhereTheHostExpectsIt) {
  const std::vector<ObservedField> observed = ObservedFields();
  const auto expected = ExpectedPlaces();
  ASSERT_EQ(observed.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(observed[i].name, expected[i].name) << "field " << i << " out of order";
    EXPECT_EQ(observed[i].offset, expected[i].offset) << expected[i].name;
  }
}

TEST(RecordLayout, EveryFieldHasTheWidthSlotsAndTypeTheHostExpects) {
  const std::vector<ObservedField> observed = ObservedFields();
  ASSERT_EQ(observed.size(), kRecordFieldCount);
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    const RecordField& field = kRecordLayout[i];
    EXPECT_EQ(observed[i].width, field.Width()) << field.name;
    EXPECT_EQ(observed[i].slots, field.slots) << field.name;
    EXPECT_TRUE(Fits(field.kind, observed[i].element)) << field.name << " has the wrong element type";
  }
}

TEST(RecordLayout, RecordIsExactlyAsLongAsTheHostAllocates) {
  // 592012 bytes of fixed-width fields and fourteen pointer-sized ones:
  // eight table pointers, the four reserved tables and two module handles.
  EXPECT_EQ(ExpectedRecordSize(), 592012 + 14 * sizeof(void*));
  EXPECT_EQ(sizeof(RateContext), ExpectedRecordSize());
  // Packed: no padding anywhere, and the host may place it at any address.
  EXPECT_EQ(alignof(RateContext), 1u);
}

TEST(RecordLayout, ChargeListsAre379BytesAndFollowOneAnother) {
  EXPECT_EQ(ExpectedEnd("mcCount") - ExpectedOffset("mcKeys"), kChargeListWidth);

  EXPECT_EQ(SPAN(mcKeys, mcCount), kChargeListWidth);
  EXPECT_EQ(SPAN(ssKeys, ssCount), kChargeListWidth);
  EXPECT_EQ(SPAN(thirdListKeys, chargeListRows), kChargeListWidth);
  EXPECT_EQ(sizeof(RateContext::fourthChargeList), kChargeListWidth);
  EXPECT_EQ(SPAN(fifthListKeys, chargeListRows2), kChargeListWidth);
  EXPECT_EQ(sizeof(RateContext::hostBytes37), kChargeListWidth);

  // Five lists and the host's list-sized stretch, back to back.
  EXPECT_EQ(SPAN(mcKeys, hostBytes37), 6 * kChargeListWidth);
}

#undef SPAN

}  // namespace
}  // namespace brant::test_support
