// The RateContext layout as the host sees it, written down field by field
// from the record's own documentation rather than from brantfunc.h, so that
// the layout tests compare two independent accounts of the record.
//
// Each entry gives a field's name in brantfunc.h, its slots and the width of
// one slot (a scalar is one slot; char[99][6] is 99 slots of 6 bytes) and the
// kind of its elements. Stretches of host bytes are named hostBytes01,
// hostBytes02, ... in record order. Pointers and module handles take
// sizeof(void*); every other width is fixed.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>

namespace brant::test_support {

enum class FieldKind {
  kI16,        // signed 16-bit integers
  kI32,        // signed 32-bit integers, file handles included
  kF32,        // IEEE singles
  kText,       // single-byte text, char
  kBytes,      // raw bytes: file records, packed tables
  kHostBytes,  // the host's own bytes; the library never reads or writes them
  kPointer,    // heap table pointers and module handles
};

struct RecordField {
  std::string_view name;
  std::size_t slots;
  std::size_t slotWidth;
  FieldKind kind;

  constexpr std::size_t Width() const { return slots * slotWidth; }
};

struct FieldPlace {
  std::string_view name;
  std::size_t offset;
  std::size_t width;
};

inline constexpr std::size_t kPointerWidth = sizeof(void*);

// A charge list: keys i32[15], amounts i32[15], marks char[15][2],
// labels char[15][15] and an i32 count.
inline constexpr std::size_t kChargeListRows = 15;
inline constexpr std::size_t kChargeListWidth = 379;

// Every field of the record, in order.
inline constexpr RecordField kRecordLayout[] = {
    // Handles, small tables and counts
    {"zf1Handle", 1, 4, FieldKind::kI32},
    {"hostBytes01", 8, 1, FieldKind::kHostBytes},
    {"auxHandle", 1, 4, FieldKind::kI32},
    {"classAdjHandle", 1, 4, FieldKind::kI32},
    {"hostBytes02", 4, 1, FieldKind::kHostBytes},
    {"mx1Handle", 1, 4, FieldKind::kI32},
    {"hostBytes03", 8, 1, FieldKind::kHostBytes},
    {"facHandle", 1, 4, FieldKind::kI32},
    {"fc1Handle", 1, 4, FieldKind::kI32},
    {"fc2Handle", 1, 4, FieldKind::kI32},
    {"rteHandle", 1, 4, FieldKind::kI32},
    {"hostBytes04", 4, 1, FieldKind::kHostBytes},
    {"bseHandle", 1, 4, FieldKind::kI32},
    {"altFactorHandle", 1, 4, FieldKind::kI32},
    {"hostBytes05", 8, 1, FieldKind::kHostBytes},
    {"classMinimumTable", 1, kPointerWidth, FieldKind::kPointer},
    {"mchTable", 1, kPointerWidth, FieldKind::kPointer},
    {"cozTable", 1, kPointerWidth, FieldKind::kPointer},
    {"cozCount", 1, 4, FieldKind::kI32},
    {"origAdjustmentCode", 7, 1, FieldKind::kText},
    {"destAdjustmentCode", 7, 1, FieldKind::kText},
    {"laneAdjustmentCodes", 99, 6, FieldKind::kText},
    {"adjustmentSortScratch", 6, 1, FieldKind::kText},
    {"zf1Count", 1, 4, FieldKind::kI32},
    {"hostBytes06", 16, 1, FieldKind::kHostBytes},
    {"classAdjCount", 1, 4, FieldKind::kI32},
    {"zmcCount", 1, 4, FieldKind::kI32},
    {"zp6Count", 1, 4, FieldKind::kI32},
    {"sccCount", 1, 4, FieldKind::kI32},
    {"lvlCount", 1, 4, FieldKind::kI32},
    {"accCount", 1, 4, FieldKind::kI32},
    {"discCount", 1, 4, FieldKind::kI32},
    {"errorCode", 1, 4, FieldKind::kI32},
    {"adjustmentReserved", 1, 4, FieldKind::kI32},
    {"accTable", 100, 124, FieldKind::kBytes},
    {"lvlTable", 1, kPointerWidth, FieldKind::kPointer},
    {"tariffIssue", 1, 4, FieldKind::kI32},
    {"hostBytes07", 4, 1, FieldKind::kHostBytes},

    // Shipment classification and rating state
    {"alphaPostalShipment", 1, 4, FieldKind::kI32},
    {"mexicanLeg", 1, 4, FieldKind::kI32},
    {"alaskaShipment", 1, 4, FieldKind::kI32},
    {"openTimeCounters", 4, 4, FieldKind::kI32},
    {"wantTransitDays", 1, 4, FieldKind::kI32},
    {"sendEngineFlag", 1, 4, FieldKind::kI32},
    {"engineTablesArgument", 1, 4, FieldKind::kI32},
    {"hostBytes08", 4, 1, FieldKind::kHostBytes},
    {"rateBaseReserved", 1, 4, FieldKind::kI32},
    {"minimumCharge", 1, 4, FieldKind::kF32},
    {"hostBytes09", 4, 1, FieldKind::kHostBytes},
    {"zoneMinimum", 1, 4, FieldKind::kF32},
    {"zoneCharge", 1, 4, FieldKind::kF32},
    {"discountFloor", 1, 4, FieldKind::kF32},
    {"discountPercent", 10, 4, FieldKind::kF32},
    {"userBreakDiscountText", 6, 1, FieldKind::kText},
    {"userDiscountText", 6, 1, FieldKind::kText},
    {"userFloorText", 7, 1, FieldKind::kText},
    {"baseRates", 175, 4, FieldKind::kI32},
    {"hostBytes10", 1448, 1, FieldKind::kHostBytes},
    {"classMinimumRaw", 1, 4, FieldKind::kI32},
    {"hostBytes11", 4, 1, FieldKind::kHostBytes},
    {"zf1DataStart", 1, 4, FieldKind::kI32},
    {"zf1FileSize", 1, 4, FieldKind::kI32},
    {"hostBytes12", 36, 1, FieldKind::kHostBytes},
    {"classMinimumCount", 1, 4, FieldKind::kI32},

    // Locations and names
    {"profileDir", 260, 1, FieldKind::kText},
    {"dataDir", 260, 1, FieldKind::kText},
    {"tariffName", 9, 1, FieldKind::kText},
    {"territory", 1, 1, FieldKind::kText},
    {"hostBytes13", 3, 1, FieldKind::kHostBytes},
    {"ratingOptionFlag", 1, 1, FieldKind::kText},
    {"hostBytes14", 111, 1, FieldKind::kHostBytes},
    {"rbnoDisplay", 16, 1, FieldKind::kText},
    {"rbnoKindTable", 25, 16, FieldKind::kText},
    {"efcTable", 1, kPointerWidth, FieldKind::kPointer},
    {"efcTableState", 1, 4, FieldKind::kI32},
    {"wgtRecords", 9, 21, FieldKind::kBytes},  // nine .WGT records of 21 bytes
    {"useTariffEngine", 1, 4, FieldKind::kI32},
    {"useServiceGuide", 1, 4, FieldKind::kI32},
    {"zp6Table", 1, kPointerWidth, FieldKind::kPointer},
    {"zf1RowStarts", 11200, 2, FieldKind::kI16},
    {"zf1KeyTable", 11200, 3, FieldKind::kBytes},
    {"hostBytes15", 20, 1, FieldKind::kHostBytes},
    {"engineModule", 1, kPointerWidth, FieldKind::kPointer},  // module handle
    {"hostBytes16", 4, 1, FieldKind::kHostBytes},
    {"serviceGuideModule", 1, kPointerWidth, FieldKind::kPointer},  // module handle
    {"hostBytes17", 4, 1, FieldKind::kHostBytes},
    {"engineTablesLoaded", 1, 4, FieldKind::kI32},
    {"hostBytes18", 8, 1, FieldKind::kHostBytes},
    {"efcCount", 1, 4, FieldKind::kI32},
    {"efcBureauCount", 1, 4, FieldKind::kI32},
    {"hostBytes19", 264, 1, FieldKind::kHostBytes},
    {"engineTariff", 9, 1, FieldKind::kText},
    {"engineTariffDate", 10, 1, FieldKind::kText},
    {"hostBytes20", 10, 1, FieldKind::kHostBytes},
    {"ignoreEngineStatus", 1, 4, FieldKind::kI32},
    {"engineSilent", 1, 4, FieldKind::kI32},
    {"stateCodeTable", 999, 8, FieldKind::kBytes},
    {"hostBytes21", 21, 1, FieldKind::kHostBytes},
    {"weightRecordCount", 1, 4, FieldKind::kI32},
    {"hostBytes22", 4, 1, FieldKind::kHostBytes},
    {"discountsSwitchedOff", 1, 4, FieldKind::kI32},
    {"hostBytes23", 72, 1, FieldKind::kHostBytes},
    {"billedWeightCopy", 7, 1, FieldKind::kText},

    // Hawaiian leg, Alaska and minimum charges
    {"hawaiiOnly", 1, 4, FieldKind::kI32},
    {"hawaiiOuterIsland", 1, 4, FieldKind::kI32},
    {"hawaiiShipment", 1, 4, FieldKind::kI32},
    {"hawaiiGatewayCode", 4, 1, FieldKind::kText},
    {"hawaiiAreaCode", 4, 1, FieldKind::kText},
    {"hawaiiRateCode", 3, 1, FieldKind::kText},
    {"hawaiiTerminal", 4, 1, FieldKind::kText},
    {"hawaiiGatewayZip", 6, 1, FieldKind::kText},
    {"hawaiiGatewayState", 3, 1, FieldKind::kText},
    {"hostBytes24", 1, 1, FieldKind::kHostBytes},
    {"hawaiiWeight", 1, 4, FieldKind::kI32},
    {"hawaiiTable1Charge", 1, 4, FieldKind::kI32},
    {"hawaiiOtherCharges", 1, 4, FieldKind::kI32},
    {"hawaiiTable1", 7, 4, FieldKind::kI32},
    {"hawaiiTable2", 7, 4, FieldKind::kI32},
    {"hawaiiTable3", 7, 4, FieldKind::kI32},
    {"hawaiiTable4", 7, 4, FieldKind::kI32},
    {"hawaiiPercentCharges", 1, 4, FieldKind::kF32},
    {"hawaiiTable1Percent", 1, 4, FieldKind::kF32},
    {"hawaiiTable1PercentAmount", 1, 4, FieldKind::kF32},
    {"hostBytes25", 6, 1, FieldKind::kHostBytes},
    {"rteIndexCount", 1, 2, FieldKind::kI16},
    {"hostBytes26", 510, 1, FieldKind::kHostBytes},
    {"alaskaPointFlag", 1, 1, FieldKind::kText},
    {"useBasePoints", 1, 4, FieldKind::kI32},
    {"hostBytes27", 4, 1, FieldKind::kHostBytes},
    {"mcEntryValue", 1, 4, FieldKind::kI32},
    {"altClassMinimum", 1, 4, FieldKind::kI32},
    {"hostBytes28", 7, 1, FieldKind::kHostBytes},

    // Tariff settings and the user's files
    {"settings", 373, 1, FieldKind::kBytes},
    {"defRecord", 349, 1, FieldKind::kBytes},
    {"discFile", 605, 1, FieldKind::kBytes},
    {"hostBytes29", 10, 1, FieldKind::kHostBytes},

    // The shipment and its bill
    {"origZip", 7, 1, FieldKind::kText},
    {"origState", 3, 1, FieldKind::kText},
    {"origCity", 31, 1, FieldKind::kText},
    {"origPointCode", 1, 1, FieldKind::kText},
    {"origIntrastate", 1, 1, FieldKind::kText},
    {"origDirection", 1, 1, FieldKind::kText},
    {"destZip", 7, 1, FieldKind::kText},
    {"destState", 3, 1, FieldKind::kText},
    {"destCity", 31, 1, FieldKind::kText},
    {"destPointCode", 1, 1, FieldKind::kText},
    {"destIntrastate", 1, 1, FieldKind::kText},
    {"destDirection", 1, 1, FieldKind::kText},
    {"rbno", 8, 1, FieldKind::kText},
    {"hostBytes30", 8, 1, FieldKind::kHostBytes},
    {"engineFlag", 1, 1, FieldKind::kText},
    {"origTerminal", 5, 1, FieldKind::kText},
    {"destTerminal", 5, 1, FieldKind::kText},
    {"origExtraDays", 4, 1, FieldKind::kText},
    {"destExtraDays", 4, 1, FieldKind::kText},
    {"transitDays", 4, 1, FieldKind::kText},
    {"lineClass", 8, 5, FieldKind::kText},
    {"lineClassIndex", 8, 4, FieldKind::kI32},
    {"lineClassMark", 8, 2, FieldKind::kText},
    {"lineWeight", 8, 7, FieldKind::kText},
    {"lineWeightBreak", 8, 4, FieldKind::kI32},
    {"lineRate", 8, 8, FieldKind::kText},
    {"lineCharge", 8, 10, FieldKind::kText},
    {"hostBytes31", 5, 1, FieldKind::kHostBytes},
    {"deficitWeight", 7, 1, FieldKind::kText},
    {"deficitRate", 8, 1, FieldKind::kText},
    {"deficitCharge", 10, 1, FieldKind::kText},
    {"totalWeight", 7, 1, FieldKind::kText},
    {"billedWeight", 7, 1, FieldKind::kText},
    {"grossCharge", 15, 1, FieldKind::kText},
    {"discountPercentText", 6, 1, FieldKind::kText},
    {"discountAmount", 10, 1, FieldKind::kText},
    {"hostBytes32", 15, 1, FieldKind::kHostBytes},
    {"weightTierCharge", 10, 1, FieldKind::kText},
    {"discountText", 6, 1, FieldKind::kText},
    {"minimumDiscountText", 10, 1, FieldKind::kText},
    {"netCharge", 10, 1, FieldKind::kText},
    {"hostBytes33", 20, 1, FieldKind::kHostBytes},
    {"minimumChargeText", 10, 1, FieldKind::kText},
    {"floorText", 7, 1, FieldKind::kText},
    {"hostBytes34", 10, 1, FieldKind::kHostBytes},
    {"weightTierIndex", 1, 4, FieldKind::kI32},
    {"origMexicanPoint", 1, 4, FieldKind::kI32},
    {"destMexicanPoint", 1, 4, FieldKind::kI32},
    {"origPointFlag1", 1, 1, FieldKind::kText},
    {"destPointFlag1", 1, 1, FieldKind::kText},
    {"origPointFlag2", 1, 1, FieldKind::kText},
    {"destPointFlag2", 1, 1, FieldKind::kText},
    {"origPointFlag3", 1, 1, FieldKind::kText},
    {"destPointFlag3", 1, 1, FieldKind::kText},
    {"origRegion", 1, 1, FieldKind::kText},
    {"destRegion", 1, 1, FieldKind::kText},
    {"discountSource", 1, 1, FieldKind::kText},
    {"hostBytes35", 1, 1, FieldKind::kHostBytes},
    {"floorSource", 1, 1, FieldKind::kText},
    {"hostBytes36", 1, 1, FieldKind::kHostBytes},

    // Classes, weight breaks and charge lists
    {"classTable", 20, 6, FieldKind::kText},
    {"classCount", 1, 4, FieldKind::kI32},
    {"weightLabels", 20, 11, FieldKind::kText},
    {"weightMax", 20, 4, FieldKind::kI32},
    {"weightMin", 20, 4, FieldKind::kI32},
    {"weightBreakCount", 1, 4, FieldKind::kI32},
    {"mcKeys", kChargeListRows, 4, FieldKind::kI32},
    {"mcAmounts", kChargeListRows, 4, FieldKind::kI32},
    {"mcMarks", kChargeListRows, 2, FieldKind::kText},
    {"mcLabels", kChargeListRows, 15, FieldKind::kText},
    {"mcCount", 1, 4, FieldKind::kI32},
    {"ssKeys", kChargeListRows, 4, FieldKind::kI32},
    {"ssAmounts", kChargeListRows, 4, FieldKind::kI32},
    {"ssMarks", kChargeListRows, 2, FieldKind::kText},
    {"ssLabels", kChargeListRows, 15, FieldKind::kText},
    {"ssCount", 1, 4, FieldKind::kI32},
    {"thirdListKeys", kChargeListRows, 4, FieldKind::kI32},
    {"thirdListAmounts", kChargeListRows, 4, FieldKind::kI32},
    {"thirdListMarks", kChargeListRows, 2, FieldKind::kText},
    {"thirdListLabels", kChargeListRows, 15, FieldKind::kText},
    {"chargeListRows", 1, 4, FieldKind::kI32},
    {"fourthChargeList", kChargeListWidth, 1, FieldKind::kBytes},
    {"fifthListKeys", kChargeListRows, 4, FieldKind::kI32},
    {"fifthListAmounts", kChargeListRows, 4, FieldKind::kI32},
    {"fifthListMarks", kChargeListRows, 2, FieldKind::kText},
    {"fifthListLabels", kChargeListRows, 15, FieldKind::kText},
    {"chargeListRows2", 1, 4, FieldKind::kI32},
    {"hostBytes37", 379, 1, FieldKind::kHostBytes},
    {"engineVersionText1", 20, 1, FieldKind::kText},
    {"engineVersionText2", 3, 1, FieldKind::kText},
    {"engineVersionText3", 11, 1, FieldKind::kText},
    {"engineVersionText4", 3, 1, FieldKind::kText},
    {"engineVersionText5", 5, 1, FieldKind::kText},
    {"engineVersionText6", 33, 1, FieldKind::kText},
    {"sccTable", 1, kPointerWidth, FieldKind::kPointer},
    {"hostBytes38", 56, 1, FieldKind::kHostBytes},
    {"classMinimumEntry", 16, 1, FieldKind::kBytes},
    {"facDirectory", 802, 1, FieldKind::kBytes},
    {"fc1Scratch", 8, 1, FieldKind::kBytes},
    {"altFacDirectory", 162, 1, FieldKind::kBytes},
    {"bseHeader", 1024, 1, FieldKind::kBytes},
    {"hostBytes39", 7124, 1, FieldKind::kHostBytes},
    {"classAdjRecord", 673, 1, FieldKind::kText},
    {"hostBytes40", 1279, 1, FieldKind::kHostBytes},
    {"matrixRbnoRecord", 10, 1, FieldKind::kText},
    {"hostBytes41", 8, 1, FieldKind::kHostBytes},
    {"zmcRecord", 40, 1, FieldKind::kBytes},
    {"rteIndex", 1, kPointerWidth, FieldKind::kPointer},
    {"reservedTables", 4, kPointerWidth, FieldKind::kPointer},

    // Profile and terminal details
    {"profileRecord", 493165, 1, FieldKind::kBytes},
    {"origTerminalInfo", 446, 1, FieldKind::kBytes},
    {"destTerminalInfo", 446, 1, FieldKind::kBytes},
};

inline constexpr std::size_t kRecordFieldCount = std::size(kRecordLayout);

// Sentinel offset for a name the layout does not hold.
inline constexpr std::size_t kNoSuchField = static_cast<std::size_t>(-1);

// Every field with the offset it must have: the widths of all fields before
// it, added up.
constexpr std::array<FieldPlace, kRecordFieldCount> ExpectedPlaces() {
  std::array<FieldPlace, kRecordFieldCount> places{};
  std::size_t offset = 0;
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    places[i] = {kRecordLayout[i].name, offset, kRecordLayout[i].Width()};
    offset += kRecordLayout[i].Width();
  }
  return places;
}

constexpr std::size_t ExpectedRecordSize() {
  const auto places = ExpectedPlaces();
  return places.back().offset + places.back().width;
}

constexpr std::size_t ExpectedOffset(std::string_view name) {
  for (const FieldPlace& place : ExpectedPlaces()) {
    if (place.name == name) return place.offset;
  }
  return kNoSuchField;
}

// The first byte after the named field: where a group that ends with it ends.
constexpr std::size_t ExpectedEnd(std::string_view name) {
  for (const FieldPlace& place : ExpectedPlaces()) {
    if (place.name == name) return place.offset + place.width;
  }
  return kNoSuchField;
}

constexpr std::size_t CountHostByteStretches() {
  std::size_t count = 0;
  for (const RecordField& field : kRecordLayout) {
    if (field.kind == FieldKind::kHostBytes) ++count;
  }
  return count;
}

inline constexpr std::size_t kHostByteStretchCount = CountHostByteStretches();

// Every stretch of host bytes with its offset and width, in record order:
// fill them before a library call and compare them after it.
constexpr std::array<FieldPlace, kHostByteStretchCount> HostByteStretches() {
  std::array<FieldPlace, kHostByteStretchCount> stretches{};
  std::size_t next = 0;
  const auto places = ExpectedPlaces();
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    if (kRecordLayout[i].kind == FieldKind::kHostBytes) stretches[next++] = places[i];
  }
  return stretches;
}

// The host byte stretches plus the fourth charge list, which is not host
// bytes but which the library likewise never reads or writes.
constexpr std::array<FieldPlace, kHostByteStretchCount + 1> StretchesTheLibraryLeavesAlone() {
  std::array<FieldPlace, kHostByteStretchCount + 1> stretches{};
  std::size_t next = 0;
  const auto places = ExpectedPlaces();
  for (std::size_t i = 0; i < kRecordFieldCount; ++i) {
    if (kRecordLayout[i].kind == FieldKind::kHostBytes ||
        kRecordLayout[i].name == "fourthChargeList") {
      stretches[next++] = places[i];
    }
  }
  return stretches;
}

}  // namespace brant::test_support
