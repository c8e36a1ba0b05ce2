#include "tariffkit/table_files.h"

#include <cstdio>

#include "formats/minimum_charges.h"
#include "formats/tariff_tables.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr int32_t kLargestWeightText = 99999999;
constexpr int kStatePrefixes = formats::state_code::kRecords;

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
std::string WeightText(int32_t weight) {
  Require(weight >= 0 && weight <= kLargestWeightText,
          "weight " + std::to_string(weight) + " does not fit 8 digits");
  char text[12];  // room for any int32_t; Require keeps it to the field
  std::snprintf(text, sizeof text, "%8ld", static_cast<long>(weight));
  return text;
}

std::string StateCodeRecord(const StateCodeRow& row) {
  RequireFits(row.state, formats::state_code::kState.width, "state code");
  std::string record = ZeroRecord(formats::state_code::kSize);
  formats::EncodeStateCode({row.state, row.intrastate, row.direction, row.pointFlag1,
                            row.pointFlag2, row.pointFlag3, row.region},
                           Image(record));
  return record;
}

}  // namespace

std::string AccessorialFile(const std::vector<std::string>& records) {
  return OpaqueRecords(records, formats::accessorial::kSize, ".ACC");
}

std::string MinimumChargeFile(const std::vector<MinimumChargeEntry>& entries) {
  std::string text;
  for (const MinimumChargeEntry& entry : entries) text += MchEntryText(entry);
  return text;
}

std::string ClassFile(const std::vector<std::string>& codes) {
  std::string out;
  for (const std::string& code : codes) {
    AppendPadded(out, code, formats::class_code::kCode.width, "class code");
  }
  return out;
}

std::string WeightFile(const std::vector<WeightBreak>& breaks) {
  Require(breaks.size() <= formats::weight_break::kMaxRecords,
          "a .WGT file holds at most 9 weight breaks");
  std::string out;
  for (const WeightBreak& b : breaks) {
    RequireFits(b.label, formats::weight_break::kLabel.width, "weight break label");
    std::string record = ZeroRecord(formats::weight_break::kSize);
    formats::EncodeWeightBreak({b.label, WeightText(b.maximum), WeightText(b.minimum)},
                               Image(record));
    out += record;
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
    file.replace((row.prefix - 1) * formats::state_code::kSize, formats::state_code::kSize,
                 StateCodeRecord(row));
  }
  return file;
}

}  // namespace brant::tariffkit
