// What one open engine knows, read from ENGINE.TXT in its data directory.
// README.md beside this file describes the file's lines.
#pragma once

#include "common/data_lines.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brantengine {

inline constexpr std::size_t kEffectivityEntrySize = 17;
inline constexpr std::size_t kVersionTextCount = 6;
// Class codes live in 6-byte slots within the first 200 bytes of the tables
// block, so 33 fit; a code keeps one byte of its slot for a terminator.
inline constexpr std::size_t kMaxClassCodes = 200 / 6;
inline constexpr std::size_t kMaxClassCodeLength = 5;
inline constexpr std::size_t kMaxTariffNameLength = 8;
inline constexpr std::size_t kStatusCodeLength = 4;

using EffectivityEntry = std::array<uint8_t, kEffectivityEntrySize>;

struct ClassTable {
  std::vector<std::string> codes;
  // When set, the count reported instead of codes.size(), so that a host's
  // handling of an impossible count can be tried.
  std::optional<int16_t> reportedCount;
};

// Rating limits. Amounts in cents and weights are kept small enough that
// every product in the rating arithmetic fits in 64 bits.
inline constexpr std::size_t kMaxWeightBreaks = 10;
inline constexpr std::size_t kMaxChargeEntries = 30;
inline constexpr std::size_t kBaseRateCount = 175;
inline constexpr std::size_t kRateBasisLength = 11;
inline constexpr int64_t kMaxCents = 9'999'999;
inline constexpr int64_t kMaxWeightBound = 999'999;

struct ChargeEntry {
  char type = ' ';
  int32_t key = 0;
  int32_t amount = 0;
};

struct ClassRates {
  std::string code;            // as written, 1 to 5 characters
  std::vector<int64_t> cents;  // per 100 pounds, one per weight bound
};

// What a `breaks` line and the lines after it give a tariff to rate with.
// A tariff without bounds is not known for rating.
struct RateTable {
  std::vector<int64_t> bounds;      // ascending, in pounds
  std::vector<ClassRates> classes;  // in file order
  int64_t minimum = 0;
  int64_t minimumExtra = 0;
  std::string basis;
  std::vector<ChargeEntry> charges;
  std::vector<std::pair<std::size_t, int32_t>> baseRateOverrides;  // index, value; in file order
  // When set, the class and break counts written instead of the real ones.
  std::optional<std::pair<int16_t, int16_t>> reportedCounts;
};

// How the engine answers shipments from one origin ZIP.
struct StatusReply {
  std::string code;  // 4 characters for bytes 3 to 6
  bool unrated = false;
  int16_t flag = 0;
  bool retryUnrated = false;
};

// Engine_GetErrorStringEx answers for a code other than with its message.
enum class ErrorReply { kNull, kUnterminated };

struct EngineData {
  std::map<std::string, std::string> stateByCode;    // whole code, upper case
  std::map<std::string, std::string> stateByPrefix;  // 3 characters, upper case
  std::vector<EffectivityEntry> effectivity;
  std::optional<int16_t> reportedEffectivityCount;          // as ClassTable::reportedCount
  std::array<std::string, kVersionTextCount> versionTexts;  // [0] is text 1
  std::map<std::string, ClassTable> classTables;            // by tariff name, upper case
  std::map<std::string, std::string> errorMessages;         // by 4-character status code
  std::map<std::string, RateTable> rateTables;              // by tariff name, upper case
  std::map<std::string, StatusReply> statusByZip;           // by origin ZIP, upper case
  std::map<std::string, ErrorReply> errorReplies;           // by 4-character status code
  std::map<std::string, char> pointCodes;                   // by ZIP, upper case
};

// Reads the text of an ENGINE.TXT. Returns false at the first line it cannot
// read, with that line's number (from 1) in badLine; data then holds what
// came before it.
bool ParseEngineData(std::string_view text, EngineData& data, int& badLine);

// Reads dataDir's ENGINE.TXT into data (replacing what it held). An empty
// dataDir, or a file that cannot be opened, counts as an empty file. False
// when a line cannot be read; data is then left empty.
bool LoadEngineData(const std::string& dataDir, EngineData& data);

// The state the `state` lines give a postal code (its characters up to a NUL
// or the end of `code`, trailing spaces dropped, any case): a whole-code
// entry wins over the entry for its first 3 characters. Null when unknown.
const std::string* FindState(const EngineData& data, std::string_view code);

using brantstandin::UpperCase;

}  // namespace brantengine
