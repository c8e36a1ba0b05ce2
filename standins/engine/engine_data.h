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

struct EngineData {
  std::map<std::string, std::string> stateByCode;    // whole code, upper case
  std::map<std::string, std::string> stateByPrefix;  // 3 characters, upper case
  std::vector<EffectivityEntry> effectivity;
  std::optional<int16_t> reportedEffectivityCount;          // as ClassTable::reportedCount
  std::array<std::string, kVersionTextCount> versionTexts;  // [0] is text 1
  std::map<std::string, ClassTable> classTables;            // by tariff name, upper case
  std::map<std::string, std::string> errorMessages;         // by 4-character status code
};

// Reads the text of an ENGINE.TXT. Returns false at the first line it cannot
// read, with that line's number (from 1) in badLine; data then holds what
// came before it.
bool ParseEngineData(std::string_view text, EngineData& data, int& badLine);

// Reads dataDir's ENGINE.TXT into data (replacing what it held). An empty
// dataDir, or a file that cannot be opened, counts as an empty file. False
// when a line cannot be read; data is then left empty.
bool LoadEngineData(const std::string& dataDir, EngineData& data);

using brantstandin::UpperCase;

}  // namespace brantengine
