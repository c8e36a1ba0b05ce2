// What our service guide knows, read from GUIDE.TXT in its data directory.
// README.md beside this file describes the file's lines.
#pragma once

#include "common/data_lines.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantguide {

inline constexpr std::size_t kStatusLength = 4;
inline constexpr std::size_t kMaxPrefixLength = 6;
inline constexpr std::size_t kMaxTerminalLength = 4;
inline constexpr int kMaxDays = 99;
// The thirteen detail texts; the second is the terminal's code.
inline constexpr std::size_t kDetailCount = 13;
inline constexpr std::size_t kCodeDetail = 1;

struct Terminal {
  int extraDays = 0;
  std::array<std::string, kDetailCount> details;  // [kCodeDetail] unused
  std::optional<std::string> status;              // instead of "1001" when found
};

// A status given to lanes from one postal code prefix to another.
struct LaneStatus {
  std::string origPrefix;
  std::string destPrefix;
  std::string status;
};

struct GuideData {
  std::map<std::string, std::string> terminalByPrefix;  // upper case
  std::map<std::string, Terminal> terminals;            // by code, upper case
  std::map<std::pair<std::string, std::string>, int> days;
  std::vector<LaneStatus> laneStatuses;  // the first that matches wins
  std::string startStatus = "1001";
};

// The name of detail text i (0 to 12) in GUIDE.TXT and its width in the
// exchange block.
struct DetailField {
  const char* name;
  std::size_t width;
};
extern const DetailField kDetailFields[kDetailCount];

// Reads the text of a GUIDE.TXT. False at the first line it cannot read,
// with that line's number (from 1) in badLine.
bool ParseGuideData(std::string_view text, GuideData& data, int& badLine);

// Reads dir's GUIDE.TXT into data (replacing what it held). An empty dir,
// or a missing file, gives a guide that knows nothing. False when a line
// cannot be read; data is then left empty.
bool LoadGuideData(std::string_view dir, GuideData& data);

using brantstandin::UpperCase;

// The terminal serving a postal code: the longest prefix listed, or null.
const std::string* TerminalServing(const GuideData& data, std::string_view postalCode);

}  // namespace brantguide
