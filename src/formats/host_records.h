// Typed accessors for the named fields inside the file records that the
// RateContext holds byte for byte: the tariff settings (.SET), the user's
// defaults (.DEF), the user's discounts (.DIS) and the current profile
// (PROFILE.FIL). The records stay raw bytes in their file layouts; each
// accessor knows its record, offset and width, and checks at compile time
// that it stays inside the record. Every accessor works on the record
// inside a RateContext or on a bare record image (a file being written).
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "context/byte_coding.h"
#include "formats/field_layout.h"

namespace brant {

template <auto Record>
constexpr std::size_t kRecordSize = sizeof(std::declval<RateContext&>().*Record);

template <auto Record>
inline uint8_t* RecordBytes(RateContext& c) { return c.*Record; }
template <auto Record>
inline const uint8_t* RecordBytes(const RateContext& c) { return c.*Record; }

template <auto Record, std::size_t Offset>
struct I16Field {
  static_assert(Offset + 2 <= kRecordSize<Record>);
  static constexpr formats::Field field{Offset, 2, formats::Kind::kI16};
  int16_t Get(const uint8_t* record) const { return LoadI16(record + Offset); }
  void Set(uint8_t* record, int16_t v) const { StoreI16(record + Offset, v); }
  int16_t Get(const RateContext& c) const { return Get(RecordBytes<Record>(c)); }
  void Set(RateContext& c, int16_t v) const { Set(RecordBytes<Record>(c), v); }
};

template <auto Record, std::size_t Offset>
struct I32Field {
  static_assert(Offset + 4 <= kRecordSize<Record>);
  static constexpr formats::Field field{Offset, 4, formats::Kind::kI32};
  int32_t Get(const uint8_t* record) const { return LoadI32(record + Offset); }
  void Set(uint8_t* record, int32_t v) const { StoreI32(record + Offset, v); }
  int32_t Get(const RateContext& c) const { return Get(RecordBytes<Record>(c)); }
  void Set(RateContext& c, int32_t v) const { Set(RecordBytes<Record>(c), v); }
};

template <auto Record, std::size_t Offset>
struct F32Field {
  static_assert(Offset + 4 <= kRecordSize<Record>);
  static constexpr formats::Field field{Offset, 4, formats::Kind::kF32};
  float Get(const uint8_t* record) const { return LoadF32(record + Offset); }
  void Set(uint8_t* record, float v) const { StoreF32(record + Offset, v); }
  float Get(const RateContext& c) const { return Get(RecordBytes<Record>(c)); }
  void Set(RateContext& c, float v) const { Set(RecordBytes<Record>(c), v); }
};

template <auto Record, std::size_t Offset>
struct CharField {
  static_assert(Offset + 1 <= kRecordSize<Record>);
  static constexpr formats::Field field{Offset, 1, formats::Kind::kChar};
  char Get(const uint8_t* record) const { return static_cast<char>(record[Offset]); }
  void Set(uint8_t* record, char v) const { record[Offset] = static_cast<uint8_t>(v); }
  char Get(const RateContext& c) const { return Get(RecordBytes<Record>(c)); }
  void Set(RateContext& c, char v) const { Set(RecordBytes<Record>(c), v); }
  // Y/N settings: anything but "Y" counts as "N".
  bool IsYes(const RateContext& c) const { return Get(c) == 'Y'; }
};

// A fixed-width text: read up to the first NUL or the width. `Holds` says
// whether it is a text proper or a number held as text.
template <auto Record, std::size_t Offset, std::size_t Width,
          formats::Kind Holds = formats::Kind::kChars>
struct TextField {
  static_assert(Offset + Width <= kRecordSize<Record>);
  static constexpr std::size_t kWidth = Width;
  static constexpr formats::Field field{Offset, Width, Holds};
  std::string_view Get(const uint8_t* record) const {
    return FixedText(record + Offset, Width);
  }
  // Writes the text NUL-padded, cut to the field.
  void Set(uint8_t* record, std::string_view text) const {
    PutFixedText(record + Offset, Width, text);
  }
  std::string_view Get(const RateContext& c) const { return Get(RecordBytes<Record>(c)); }
  void Set(RateContext& c, std::string_view text) const { Set(RecordBytes<Record>(c), text); }
  char* Data(RateContext& c) const {
    return reinterpret_cast<char*>(RecordBytes<Record>(c) + Offset);
  }
  const char* Data(const RateContext& c) const {
    return reinterpret_cast<const char*>(RecordBytes<Record>(c) + Offset);
  }
};

template <auto Record, std::size_t Offset, std::size_t Width>
using NumberTextField = TextField<Record, Offset, Width, formats::Kind::kNumberText>;

// ---- The tariff settings record (.SET) ----------------------------------
namespace settings {
constexpr auto kRecord = &RateContext::settings;
// The digits among these five bytes form the tariff's issue number.
inline constexpr TextField<kRecord, 4, 5> issueText{};
inline constexpr NumberTextField<kRecord, 163, 5> postalCodeLength{};
inline constexpr CharField<kRecord, 168> useAdjustments{};
// Nine option flags, on every second byte.
inline constexpr formats::Field kOptionFlags{197, 1, formats::Kind::kChar, 9, 2};
inline constexpr std::size_t kOptionFlagCount = kOptionFlags.count;
inline constexpr CharField<kRecord, 207> domesticOnly{};  // the sixth option flag
inline constexpr CharField<kRecord, 215> engineMode{};
inline constexpr CharField<kRecord, 234> weightTierOnGross{};
inline constexpr TextField<kRecord, 255, 5> serviceGuideAccountWest{};
inline constexpr TextField<kRecord, 260, 5> serviceGuideAccount{};
inline constexpr CharField<kRecord, 265> serviceGuideMode{};
inline constexpr CharField<kRecord, 271> useFacTables{};
inline constexpr CharField<kRecord, 275> wideRteRecords{};

// Option flag i (0 to 8); the first decides whether .ACC is loaded. An
// index outside the nine flags reads as "N".
inline char OptionFlag(const RateContext& c, std::size_t i) {
  if (i >= kOptionFlagCount) return 'N';
  return kOptionFlags.Char(c.settings, i);
}
// On a bare .SET record image, as a tariff writer fills it.
inline void SetOptionFlag(uint8_t* record, std::size_t i, char v) {
  if (i < kOptionFlagCount) kOptionFlags.PutChar(record, v, i);
}
inline void SetOptionFlag(RateContext& c, std::size_t i, char v) { SetOptionFlag(c.settings, i, v); }

inline constexpr formats::Field kFields[] = {
    issueText.field,         postalCodeLength.field,        useAdjustments.field,
    kOptionFlags,            engineMode.field,              weightTierOnGross.field,
    serviceGuideAccountWest.field, serviceGuideAccount.field, serviceGuideMode.field,
    useFacTables.field,      wideRteRecords.field};
inline constexpr formats::RecordLayout kLayout{".SET", "", kRecordSize<kRecord>, kFields};
}  // namespace settings

// ---- The user's defaults record (.DEF) ----------------------------------
namespace defaults {
constexpr auto kRecord = &RateContext::defRecord;
// Host-read switches that applying a profile sets.
inline constexpr I16Field<kRecord, 6> profileSwitch6{};
inline constexpr I16Field<kRecord, 8> profileSwitch8{};
inline constexpr I16Field<kRecord, 10> useRateFactor{};
inline constexpr I16Field<kRecord, 12> weightTierEnabled{};
inline constexpr I16Field<kRecord, 16> discountsEnabled{};
inline constexpr CharField<kRecord, 31> discountType{};
inline constexpr CharField<kRecord, 33> discountFileMark{};  // "M" or "N"
inline constexpr F32Field<kRecord, 35> rateFactor{};
inline constexpr F32Field<kRecord, 41> weightTierPercentLow{};
inline constexpr F32Field<kRecord, 45> rateScale{};
// The seven host fields copied to and from a profile.
inline constexpr NumberTextField<kRecord, 150, 7> profileText150{};
inline constexpr I16Field<kRecord, 159> profileSwitch159{};
inline constexpr NumberTextField<kRecord, 161, 7> profileText161{};
inline constexpr I16Field<kRecord, 170> profileSwitch170{};
inline constexpr NumberTextField<kRecord, 172, 5> profileText172{};
inline constexpr I16Field<kRecord, 179> profileSwitch179{};
inline constexpr NumberTextField<kRecord, 181, 5> profileText181{};
inline constexpr I16Field<kRecord, 252> profileSwitch252{};
inline constexpr I16Field<kRecord, 254> zipDiscountsEnabled{};
inline constexpr F32Field<kRecord, 256> weightTierPercentHigh{};
inline constexpr I16Field<kRecord, 260> defaultsInitialised{};
inline constexpr NumberTextField<kRecord, 262, 4> weightBreakStart{};
inline constexpr I16Field<kRecord, 266> currentProfileIndex{};
inline constexpr NumberTextField<kRecord, 268, 6> weightBreakSpan{};
inline constexpr I16Field<kRecord, 274> discountsEnabled2{};
inline constexpr I16Field<kRecord, 282> hawaiiTable2PercentOn{};
inline constexpr I16Field<kRecord, 284> hawaiiTable3PercentOn{};
inline constexpr F32Field<kRecord, 286> hawaiiTable2Percent{};
inline constexpr F32Field<kRecord, 290> hawaiiTable3Percent{};
inline constexpr I32Field<kRecord, 294> minimumAddOn{};
inline constexpr I16Field<kRecord, 319> altWeightTierEnabled{};
inline constexpr F32Field<kRecord, 321> altWeightTierPercentLow{};
inline constexpr F32Field<kRecord, 325> altWeightTierPercentHigh{};

inline constexpr formats::Field kFields[] = {
    profileSwitch6.field,         profileSwitch8.field,          useRateFactor.field,
    weightTierEnabled.field,      discountsEnabled.field,        discountType.field,
    discountFileMark.field,       rateFactor.field,              weightTierPercentLow.field,
    rateScale.field,              profileText150.field,          profileSwitch159.field,
    profileText161.field,         profileSwitch170.field,        profileText172.field,
    profileSwitch179.field,       profileText181.field,          profileSwitch252.field,
    zipDiscountsEnabled.field,    weightTierPercentHigh.field,   defaultsInitialised.field,
    weightBreakStart.field,       currentProfileIndex.field,     weightBreakSpan.field,
    discountsEnabled2.field,      hawaiiTable2PercentOn.field,   hawaiiTable3PercentOn.field,
    hawaiiTable2Percent.field,    hawaiiTable3Percent.field,     minimumAddOn.field,
    altWeightTierEnabled.field,   altWeightTierPercentLow.field, altWeightTierPercentHigh.field};
inline constexpr formats::RecordLayout kLayout{".DEF", "", kRecordSize<kRecord>, kFields};
}  // namespace defaults

// ---- The user's discount record (.DIS) ----------------------------------
namespace discounts {
constexpr auto kRecord = &RateContext::discFile;
inline constexpr I16Field<kRecord, 0> profileMark{};  // 2 when a profile uses it
inline constexpr CharField<kRecord, 88> blockSelector{};  // "1" to "5"
// Nine entries, one per weight break, then four discount blocks.
inline constexpr formats::Field kEntries{112, 25, formats::Kind::kChars, 9};
inline constexpr formats::Field kBlocks{337, 67, formats::Kind::kBlock, 4};
inline constexpr std::size_t kEntryCount = kEntries.count;
inline constexpr std::size_t kFirstEntry = kEntries.offset;
inline constexpr std::size_t kEntrySize = kEntries.width;
inline constexpr std::size_t kBlockCount = kBlocks.count;
inline constexpr std::size_t kFirstBlock = kBlocks.offset;
inline constexpr std::size_t kBlockSize = kBlocks.width;

// Within a block: the percentage texts of the nine breaks, the main
// percentage and the floor.
inline constexpr formats::Field kBreakPercents{0, 6, formats::Kind::kNumberText, 9};
inline constexpr formats::Field kMainPercent{54, 6, formats::Kind::kNumberText};
inline constexpr formats::Field kFloor{60, 7, formats::Kind::kNumberText};
inline constexpr std::size_t kPercentWidth = kMainPercent.width;
inline constexpr std::size_t kMainPercentAt = kMainPercent.offset;
inline constexpr std::size_t kFloorAt = kFloor.offset;
inline constexpr std::size_t kFloorWidth = kFloor.width;

static_assert(kFirstEntry + kEntryCount * kEntrySize == kFirstBlock);
static_assert(kFirstBlock + kBlockCount * kBlockSize == BRANT_DIS_RECORD_SIZE);

// Entry j (0 to 8), 25 bytes; null outside the nine entries.
inline uint8_t* Entry(RateContext& c, std::size_t j) {
  return j < kEntryCount ? c.discFile + kFirstEntry + j * kEntrySize : nullptr;
}
inline const uint8_t* Entry(const RateContext& c, std::size_t j) {
  return j < kEntryCount ? c.discFile + kFirstEntry + j * kEntrySize : nullptr;
}
// On a bare .DIS record image, as a writer fills it.
inline uint8_t* Entry(uint8_t* record, std::size_t j) {
  return j < kEntryCount ? record + kFirstEntry + j * kEntrySize : nullptr;
}
inline uint8_t* Block(uint8_t* record, std::size_t k) {
  return k < kBlockCount ? record + kFirstBlock + k * kBlockSize : nullptr;
}
// Discount block k (0 to 3), 67 bytes; null outside the four blocks.
inline uint8_t* Block(RateContext& c, std::size_t k) {
  return k < kBlockCount ? c.discFile + kFirstBlock + k * kBlockSize : nullptr;
}
inline const uint8_t* Block(const RateContext& c, std::size_t k) {
  return k < kBlockCount ? c.discFile + kFirstBlock + k * kBlockSize : nullptr;
}
// Within a block: the percentage text of weight break i (0 to 8).
inline constexpr std::size_t BreakPercentAt(std::size_t i) { return kBreakPercents.At(i); }

inline constexpr formats::Field kFields[] = {profileMark.field, blockSelector.field, kEntries,
                                             kBlocks};
inline constexpr formats::RecordLayout kLayout{".DIS", "", kRecordSize<kRecord>, kFields};
inline constexpr formats::Field kBlockFields[] = {kBreakPercents, kMainPercent, kFloor};
static_assert(formats::FitsRecord(kBlockFields, kBlockSize));
inline constexpr formats::RecordLayout kBlockLayout{".DIS", "block", kBlockSize, kBlockFields};
}  // namespace discounts

// ---- The current settings profile (PROFILE.FIL record) -------------------
namespace profile {
constexpr auto kRecord = &RateContext::profileRecord;
inline constexpr TextField<kRecord, 0, 31> name{};
inline constexpr I32Field<kRecord, 31> classSubstitution{};
inline constexpr formats::Field kClassSubstitutes{35, 4, formats::Kind::kChars, 18};
inline constexpr std::size_t kClassSubstitutesAt = kClassSubstitutes.offset;
inline constexpr std::size_t kClassSubstituteCount = kClassSubstitutes.count;
inline constexpr std::size_t kClassSubstituteWidth = kClassSubstitutes.width;
inline constexpr I16Field<kRecord, 107> weightTierEnabled{};
inline constexpr F32Field<kRecord, 109> weightTierPercentLow{};
inline constexpr F32Field<kRecord, 113> weightTierPercentHigh{};
inline constexpr I16Field<kRecord, 117> defSwitch179{};
inline constexpr NumberTextField<kRecord, 119, 5> defText172{};
inline constexpr NumberTextField<kRecord, 124, 5> defText181{};
inline constexpr I16Field<kRecord, 129> defSwitch159{};
inline constexpr NumberTextField<kRecord, 131, 7> defText150{};
inline constexpr I16Field<kRecord, 138> defSwitch170{};
inline constexpr NumberTextField<kRecord, 140, 7> defText161{};
inline constexpr CharField<kRecord, 147> discountType{};
inline constexpr I16Field<kRecord, 149> profileUseUserDiscount{};
inline constexpr I16Field<kRecord, 151> profileUseDisFile{};
inline constexpr I16Field<kRecord, 153> profileUseZipDiscounts{};
inline constexpr I16Field<kRecord, 155> profileUseZipFloors{};

// The three discount blocks: nine entry percentages, the main percentage and
// the floor, as floats.
inline constexpr formats::Field kDiscountBlocks[3] = {{157, 4, formats::Kind::kF32, 11},
                                                     {201, 4, formats::Kind::kF32, 11},
                                                     {493079, 4, formats::Kind::kF32, 11}};
inline constexpr std::size_t kDiscountBlockAt[3] = {
    kDiscountBlocks[0].offset, kDiscountBlocks[1].offset, kDiscountBlocks[2].offset};
inline constexpr std::size_t kDiscountBlockMainAt = 36;
inline constexpr std::size_t kDiscountBlockFloorAt = 40;

inline constexpr formats::Field kZipDiscountTable{245, 117, formats::Kind::kBlock, 3200};
inline constexpr formats::Field kZipFloorTable{374649, 37, formats::Kind::kBlock, 3200};
inline constexpr std::size_t kZipDiscountTableAt = kZipDiscountTable.offset;
inline constexpr std::size_t kZipDiscountEntrySize = kZipDiscountTable.width;
inline constexpr std::size_t kZipTableRoom = kZipDiscountTable.count;
inline constexpr I32Field<kRecord, 374645> zipDiscountCount{};
inline constexpr std::size_t kZipFloorTableAt = kZipFloorTable.offset;
inline constexpr std::size_t kZipFloorEntrySize = kZipFloorTable.width;
inline constexpr I32Field<kRecord, 493049> zipFloorCount{};

inline constexpr I16Field<kRecord, 493053> profileWeightTierEnabled{};
inline constexpr F32Field<kRecord, 493055> secondWeightTierPercentLow{};
inline constexpr F32Field<kRecord, 493059> secondWeightTierPercentHigh{};
inline constexpr I16Field<kRecord, 493067> hawaiiTable2PercentOn{};
inline constexpr F32Field<kRecord, 493069> hawaiiTable2Percent{};
inline constexpr I16Field<kRecord, 493073> hawaiiTable3PercentOn{};
inline constexpr F32Field<kRecord, 493075> hawaiiTable3Percent{};
inline constexpr I16Field<kRecord, 493123> altWeightTierEnabled{};
inline constexpr F32Field<kRecord, 493125> altWeightTierPercentLow{};
inline constexpr F32Field<kRecord, 493129> altWeightTierPercentHigh{};

static_assert(kZipDiscountTableAt + kZipTableRoom * kZipDiscountEntrySize == 374645);
static_assert(kZipFloorTableAt + kZipTableRoom * kZipFloorEntrySize == 493049);
static_assert(493133 + 32 == BRANT_PROFILE_RECORD_SIZE);

inline constexpr formats::Field kFields[] = {
    name.field,                   classSubstitution.field,          kClassSubstitutes,
    weightTierEnabled.field,      weightTierPercentLow.field,       weightTierPercentHigh.field,
    defSwitch179.field,           defText172.field,                 defText181.field,
    defSwitch159.field,           defText150.field,                 defSwitch170.field,
    defText161.field,             discountType.field,               profileUseUserDiscount.field,
    profileUseDisFile.field,      profileUseZipDiscounts.field,     profileUseZipFloors.field,
    kDiscountBlocks[0],           kDiscountBlocks[1],               kZipDiscountTable,
    zipDiscountCount.field,       kZipFloorTable,                   zipFloorCount.field,
    profileWeightTierEnabled.field, secondWeightTierPercentLow.field,
    secondWeightTierPercentHigh.field, hawaiiTable2PercentOn.field, hawaiiTable2Percent.field,
    hawaiiTable3PercentOn.field,  hawaiiTable3Percent.field,        kDiscountBlocks[2],
    altWeightTierEnabled.field,   altWeightTierPercentLow.field,    altWeightTierPercentHigh.field};
inline constexpr formats::RecordLayout kLayout{"PROFILE.FIL", "", kRecordSize<kRecord>, kFields};

// Class substitute i (0 to 17), 4 bytes NUL-padded; null outside them.
inline char* ClassSubstitute(RateContext& c, std::size_t i) {
  return i < kClassSubstituteCount
             ? reinterpret_cast<char*>(c.profileRecord + kClassSubstitutesAt +
                                       i * kClassSubstituteWidth)
             : nullptr;
}
inline const char* ClassSubstitute(const RateContext& c, std::size_t i) {
  return i < kClassSubstituteCount
             ? reinterpret_cast<const char*>(c.profileRecord + kClassSubstitutesAt +
                                             i * kClassSubstituteWidth)
             : nullptr;
}
}  // namespace profile

}  // namespace brant
