#include "tariffkit/table_files.h"

#include <brantfunc/brantfunc.h>

#include <cstdio>

#include "formats/minimum_charges.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kClassCodeSize = 5;
constexpr std::size_t kWeightLabelSize = 5;
constexpr std::size_t kWeightNumberSize = 8;
constexpr int32_t kLargestWeightText = 99999999;
constexpr std::size_t kWeightRecords = BRANT_WGT_RECORDS;
constexpr int kStatePrefixes = BRANT_STATE_CODE_RECORDS;

// The .MCH grammar has no escapes: a separator inside a text would end it.
void RequirePlainMchText(const std::string& text, const char* field) {
  Require(text.find_first_of(formats::kChargeSeparators) == std::string::npos,
          std::string(field) + " \"" + text + "\" holds a separator");
}

std::string MchEntryText(const MinimumChargeEntry& e) {
  Require(e.levels.size() <= formats::kMaxChargeLevels, "an .MCH entry holds at most 16 levels");
  Require(e.lowest >= 0 && e.highest >= 0, "an .MCH range is two unsigned numbers");
  for (const MinimumChargeLevel& level : e.levels) {
    RequirePlainMchText(level.label, ".MCH label");
    RequirePlainMchText(level.value, ".MCH value");
  }
  return formats::FormatChargeEntry({e.letter, e.lowest, e.highest}, e.kind, e.levels);
}

// Right-aligned as the reader's atol expects it: leading blanks, digits,
// and nothing after them in the field.
void AppendWeightNumber(std::string& out, int32_t weight) {
  Require(weight >= 0 && weight <= kLargestWeightText,
          "weight " + std::to_string(weight) + " does not fit 8 digits");
  char text[kWeightNumberSize + 1];
  std::snprintf(text, sizeof text, "%8ld", static_cast<long>(weight));
  out.append(text, kWeightNumberSize);
}

std::string StateCodeRecord(const StateCodeRow& row) {
  std::string record;
  AppendPadded(record, row.state, 2, "state code");
  record += row.intrastate;
  record += row.direction;
  record += row.pointFlag1;
  record += row.pointFlag2;
  record += row.pointFlag3;
  record += row.region;
  return record;
}

}  // namespace

std::string AccessorialFile(const std::vector<std::string>& records) {
  return OpaqueRecords(records, BRANT_ACC_RECORD_SIZE, ".ACC");
}

std::string MinimumChargeFile(const std::vector<MinimumChargeEntry>& entries) {
  std::string text;
  for (const MinimumChargeEntry& entry : entries) text += MchEntryText(entry);
  return text;
}

std::string ClassFile(const std::vector<std::string>& codes) {
  std::string out;
  for (const std::string& code : codes) AppendPadded(out, code, kClassCodeSize, "class code");
  return out;
}

std::string WeightFile(const std::vector<WeightBreak>& breaks) {
  Require(breaks.size() <= kWeightRecords, "a .WGT file holds at most 9 weight breaks");
  std::string out;
  for (const WeightBreak& b : breaks) {
    AppendFixed(out, b.label, kWeightLabelSize, "weight break label");
    AppendWeightNumber(out, b.maximum);
    AppendWeightNumber(out, b.minimum);
  }
  return out;
}

std::string StateCodeFile(const std::vector<StateCodeRow>& rows) {
  std::string file;
  const std::string unknown = StateCodeRecord(StateCodeRow{.state = "XX"});
  for (int prefix = 1; prefix <= kStatePrefixes; ++prefix) file += unknown;
  std::vector<bool> listed(kStatePrefixes + 1, false);
  for (const StateCodeRow& row : rows) {
    Require(row.prefix >= 1 && row.prefix <= kStatePrefixes,
            "ZIP prefix " + std::to_string(row.prefix) + " is not 1 to 999");
    Require(!listed[row.prefix], "ZIP prefix " + std::to_string(row.prefix) + " listed twice");
    listed[row.prefix] = true;
    file.replace((row.prefix - 1) * BRANT_STATE_CODE_RECORD_SIZE, BRANT_STATE_CODE_RECORD_SIZE,
                 StateCodeRecord(row));
  }
  return file;
}

}  // namespace brant::tariffkit
