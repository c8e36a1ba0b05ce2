// The RateContext layout as the host sees it, written down field by field
// from the record's own documentation: each entry gives a field's slots, the
// width of one slot and the kind of its elements (S: one scalar, T: char[n],
// B: raw bytes[n], A: slots x width). Beside it stands where and how
// brantfunc.h declares the field, so the layout test can add the documented
// widths up and compare every running sum with the header's offset.
#pragma once

#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

namespace brant::test_support {

enum class Kind { i16, i32, f32, txt, raw, ptr, other };

struct FieldPlace {
  std::string_view name;
  std::size_t offset, width;
};

struct LaidOutField {
  FieldPlace declared;  // offsetof and sizeof in brantfunc.h
  std::size_t declaredSlots;
  Kind declaredKind;
  std::size_t slots, slotWidth;  // as documented
  Kind kind;
};

template <typename M, typename E = std::remove_all_extents_t<M>>
constexpr Kind KindOf() {
  if constexpr (std::is_pointer_v<E>) return Kind::ptr;
  if constexpr (std::is_same_v<E, int16_t>) return Kind::i16;
  if constexpr (std::is_same_v<E, int32_t>) return Kind::i32;
  if constexpr (std::is_same_v<E, float>) return Kind::f32;
  if constexpr (std::is_same_v<E, char>) return Kind::txt;
  return std::is_same_v<E, uint8_t> ? Kind::raw : Kind::other;
}

inline constexpr std::size_t P = sizeof(void*);  // pointers and module handles

constexpr std::size_t ScalarWidth(Kind kind) {
  return kind == Kind::i16 ? 2 : kind == Kind::txt ? 1 : kind == Kind::ptr ? P : 4;
}

// std::extent of a scalar is 0: it has one slot.
#define A(f, n, w, k)                                                                        \
  LaidOutField{{#f, offsetof(RateContext, f), sizeof(RateContext::f)},                      \
               std::max<std::size_t>(1, std::extent_v<decltype(RateContext::f)>),           \
               KindOf<decltype(RateContext::f)>(), n, w, Kind::k}
#define S(f, k) A(f, 1, ScalarWidth(Kind::k), k)
#define T(f, n) A(f, n, 1, txt)
#define B(f, n) A(f, n, 1, raw)

// Every field of the record, in order.
inline constexpr LaidOutField kRecordLayout[] = {
    // Handles, small tables and counts
    S(zf1Handle, i32), B(hostBytes01, 8), S(auxHandle, i32), S(classAdjHandle, i32),
    B(hostBytes02, 4), S(mx1Handle, i32), B(hostBytes03, 8), S(facHandle, i32), S(fc1Handle, i32),
    S(fc2Handle, i32), S(rteHandle, i32), B(hostBytes04, 4), S(bseHandle, i32),
    S(altFactorHandle, i32), B(hostBytes05, 8), S(classMinimumTable, ptr), S(mchTable, ptr),
    S(cozTable, ptr), S(cozCount, i32), T(origAdjustmentCode, 7), T(destAdjustmentCode, 7),
    A(laneAdjustmentCodes, 99, 6, txt), T(adjustmentSortScratch, 6), S(zf1Count, i32),
    B(hostBytes06, 16), S(classAdjCount, i32), S(zmcCount, i32), S(zp6Count, i32), S(sccCount, i32),
    S(lvlCount, i32), S(accCount, i32), S(discCount, i32), S(errorCode, i32),
    S(adjustmentReserved, i32), A(accTable, 100, 124, raw), S(lvlTable, ptr), S(tariffIssue, i32),
    B(hostBytes07, 4),
    // Shipment classification and rating state
    S(alphaPostalShipment, i32), S(mexicanLeg, i32), S(alaskaShipment, i32),
    A(openTimeCounters, 4, 4, i32), S(wantTransitDays, i32), S(sendEngineFlag, i32),
    S(engineTablesArgument, i32), B(hostBytes08, 4), S(rateBaseReserved, i32),
    S(minimumCharge, f32), B(hostBytes09, 4), S(zoneMinimum, f32), S(zoneCharge, f32),
    S(discountFloor, f32), A(discountPercent, 10, 4, f32), T(userBreakDiscountText, 6),
    T(userDiscountText, 6), T(userFloorText, 7), A(baseRates, 175, 4, i32), B(hostBytes10, 1448),
    S(classMinimumRaw, i32), B(hostBytes11, 4), S(zf1DataStart, i32), S(zf1FileSize, i32),
    B(hostBytes12, 36), S(classMinimumCount, i32),
    // Locations and names
    T(profileDir, 260), T(dataDir, 260), T(tariffName, 9), S(territory, txt), B(hostBytes13, 3),
    S(ratingOptionFlag, txt), B(hostBytes14, 111), T(rbnoDisplay, 16),
    A(rbnoKindTable, 25, 16, txt), S(efcTable, ptr), S(efcTableState, i32),
    A(wgtRecords, 9, 21, raw), S(useTariffEngine, i32), S(useServiceGuide, i32), S(zp6Table, ptr),
    A(zf1RowStarts, 11200, 2, i16), A(zf1KeyTable, 11200, 3, raw), B(hostBytes15, 20),
    S(engineModule, ptr), B(hostBytes16, 4), S(serviceGuideModule, ptr), B(hostBytes17, 4),
    S(engineTablesLoaded, i32), B(hostBytes18, 8), S(efcCount, i32), S(efcBureauCount, i32),
    B(hostBytes19, 264), T(engineTariff, 9), T(engineTariffDate, 10), B(hostBytes20, 10),
    S(ignoreEngineStatus, i32), S(engineSilent, i32), A(stateCodeTable, 999, 8, raw),
    B(hostBytes21, 21), S(weightRecordCount, i32), B(hostBytes22, 4), S(discountsSwitchedOff, i32),
    B(hostBytes23, 72), T(billedWeightCopy, 7),
    // Hawaiian leg, Alaska and minimum charges
    S(hawaiiOnly, i32), S(hawaiiOuterIsland, i32), S(hawaiiShipment, i32), T(hawaiiGatewayCode, 4),
    T(hawaiiAreaCode, 4), T(hawaiiRateCode, 3), T(hawaiiTerminal, 4), T(hawaiiGatewayZip, 6),
    T(hawaiiGatewayState, 3), B(hostBytes24, 1), S(hawaiiWeight, i32), S(hawaiiTable1Charge, i32),
    S(hawaiiOtherCharges, i32), A(hawaiiTable1, 7, 4, i32), A(hawaiiTable2, 7, 4, i32),
    A(hawaiiTable3, 7, 4, i32), A(hawaiiTable4, 7, 4, i32), S(hawaiiPercentCharges, f32),
    S(hawaiiTable1Percent, f32), S(hawaiiTable1PercentAmount, f32), B(hostBytes25, 6),
    S(rteIndexCount, i16), B(hostBytes26, 510), S(alaskaPointFlag, txt), S(useBasePoints, i32),
    B(hostBytes27, 4), S(mcEntryValue, i32), S(altClassMinimum, i32), B(hostBytes28, 7),
    // Tariff settings and the user's files
    B(settings, 373), B(defRecord, 349), B(discFile, 605), B(hostBytes29, 10),
    // The shipment and its bill
    T(origZip, 7), T(origState, 3), T(origCity, 31), S(origPointCode, txt), S(origIntrastate, txt),
    S(origDirection, txt), T(destZip, 7), T(destState, 3), T(destCity, 31), S(destPointCode, txt),
    S(destIntrastate, txt), S(destDirection, txt), T(rbno, 8), B(hostBytes30, 8),
    S(engineFlag, txt), T(origTerminal, 5), T(destTerminal, 5), T(origExtraDays, 4),
    T(destExtraDays, 4), T(transitDays, 4), A(lineClass, 8, 5, txt), A(lineClassIndex, 8, 4, i32),
    A(lineClassMark, 8, 2, txt), A(lineWeight, 8, 7, txt), A(lineWeightBreak, 8, 4, i32),
    A(lineRate, 8, 8, txt), A(lineCharge, 8, 10, txt), B(hostBytes31, 5), T(deficitWeight, 7),
    T(deficitRate, 8), T(deficitCharge, 10), T(totalWeight, 7), T(billedWeight, 7),
    T(grossCharge, 15), T(discountPercentText, 6), T(discountAmount, 10), B(hostBytes32, 15),
    T(weightTierCharge, 10), T(discountText, 6), T(minimumDiscountText, 10), T(netCharge, 10),
    B(hostBytes33, 20), T(minimumChargeText, 10), T(floorText, 7), B(hostBytes34, 10),
    S(weightTierIndex, i32), S(origMexicanPoint, i32), S(destMexicanPoint, i32),
    S(origPointFlag1, txt), S(destPointFlag1, txt), S(origPointFlag2, txt), S(destPointFlag2, txt),
    S(origPointFlag3, txt), S(destPointFlag3, txt), S(origRegion, txt), S(destRegion, txt),
    S(discountSource, txt), B(hostBytes35, 1), S(floorSource, txt), B(hostBytes36, 1),
    // Classes, weight breaks and charge lists
    A(classTable, 20, 6, txt), S(classCount, i32), A(weightLabels, 20, 11, txt),
    A(weightMax, 20, 4, i32), A(weightMin, 20, 4, i32), S(weightBreakCount, i32),
    A(mcKeys, 15, 4, i32), A(mcAmounts, 15, 4, i32), A(mcMarks, 15, 2, txt),
    A(mcLabels, 15, 15, txt), S(mcCount, i32), A(ssKeys, 15, 4, i32), A(ssAmounts, 15, 4, i32),
    A(ssMarks, 15, 2, txt), A(ssLabels, 15, 15, txt), S(ssCount, i32), A(thirdListKeys, 15, 4, i32),
    A(thirdListAmounts, 15, 4, i32), A(thirdListMarks, 15, 2, txt), A(thirdListLabels, 15, 15, txt),
    S(chargeListRows, i32), B(fourthChargeList, 379), A(fifthListKeys, 15, 4, i32),
    A(fifthListAmounts, 15, 4, i32), A(fifthListMarks, 15, 2, txt), A(fifthListLabels, 15, 15, txt),
    S(chargeListRows2, i32), B(hostBytes37, 379), T(engineVersionText1, 20),
    T(engineVersionText2, 3), T(engineVersionText3, 11), T(engineVersionText4, 3),
    T(engineVersionText5, 5), T(engineVersionText6, 33), S(sccTable, ptr), B(hostBytes38, 56),
    B(classMinimumEntry, 16), B(facDirectory, 802), B(fc1Scratch, 8), B(altFacDirectory, 162),
    B(bseHeader, 1024), B(hostBytes39, 7124), T(classAdjRecord, 673), B(hostBytes40, 1279),
    T(matrixRbnoRecord, 10), B(hostBytes41, 8), B(zmcRecord, 40), S(rteIndex, ptr),
    A(reservedTables, 4, P, ptr),
    // Profile and terminal details
    B(profileRecord, 493165), B(origTerminalInfo, 446), B(destTerminalInfo, 446),
};

#undef A
#undef S
#undef T
#undef B

// The stretches the library never reads or writes: the host bytes and the
// fourth charge list.
inline std::vector<FieldPlace> StretchesTheLibraryLeavesAlone() {
  std::vector<FieldPlace> stretches;
  for (const LaidOutField& field : kRecordLayout) {
    const std::string_view name = field.declared.name;
    if (name.starts_with("hostBytes") || name == "fourthChargeList") {
      stretches.push_back(field.declared);
    }
  }
  return stretches;
}

}  // namespace brant::test_support
