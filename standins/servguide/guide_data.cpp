// Reading GUIDE.TXT: one entry per line, its first word saying what it
// holds.
#include "guide_data.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "common/data_lines.h"

namespace brantguide {

const DetailField kDetailFields[kDetailCount] = {
    {"name", 50},  {"code", 5},   {"address", 50}, {"address2", 50}, {"city", 30},
    {"state", 2},  {"zip", 10},   {"phone", 12},   {"fax", 12},      {"tollfree", 12},
    {"email", 100}, {"manager", 50}, {"hours", 50},
};

namespace {

using brantstandin::IsBlank;
using brantstandin::TrimRight;
using brantstandin::Words;

bool ParseDays(std::string_view word, int& days) {
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, days);
  return !word.empty() && error == std::errc() && stop == end && days >= 0 && days <= kMaxDays;
}

// A word of 1 to `longest` characters, in upper case; empty when it is not.
std::string Key(std::string_view word, std::size_t longest) {
  return word.size() > longest ? std::string() : UpperCase(word);
}

bool IsStatus(std::string_view word) { return word.size() == kStatusLength; }

// serves PREFIX TERMINAL
bool ParseServes(Words& words, GuideData& data) {
  std::string prefix = Key(words.Next(), kMaxPrefixLength);
  std::string terminal = Key(words.Next(), kMaxTerminalLength);
  if (prefix.empty() || terminal.empty() || !words.AtEnd()) return false;
  data.terminalByPrefix[prefix] = terminal;
  return true;
}

// terminal CODE DAYS [STATUS]
bool ParseTerminal(Words& words, GuideData& data) {
  std::string code = Key(words.Next(), kMaxTerminalLength);
  int days = 0;
  if (code.empty() || !ParseDays(words.Next(), days)) return false;
  Terminal& terminal = data.terminals[code];
  terminal.extraDays = days;
  if (std::string_view status = words.Next(); !status.empty()) {
    if (!IsStatus(status)) return false;
    terminal.status = std::string(status);
  }
  return words.AtEnd();
}

// detail CODE FIELD TEXT...
bool ParseDetail(Words& words, GuideData& data) {
  std::string code = Key(words.Next(), kMaxTerminalLength);
  std::string field = UpperCase(words.Next());
  std::string_view text = words.Rest();
  if (code.empty()) return false;
  for (std::size_t i = 0; i < kDetailCount; ++i) {
    if (i == kCodeDetail || field != UpperCase(kDetailFields[i].name)) continue;
    if (text.size() > kDetailFields[i].width) return false;
    data.terminals[code].details[i] = std::string(text);
    return true;
  }
  return false;
}

// days ORIG DEST DAYS
bool ParseTransitDays(Words& words, GuideData& data) {
  std::string orig = Key(words.Next(), kMaxTerminalLength);
  std::string dest = Key(words.Next(), kMaxTerminalLength);
  int days = 0;
  if (orig.empty() || dest.empty() || !ParseDays(words.Next(), days) || !words.AtEnd()) {
    return false;
  }
  data.days[{orig, dest}] = days;
  return true;
}

// lanestatus ORIG DEST STATUS
bool ParseLaneStatus(Words& words, GuideData& data) {
  LaneStatus lane{Key(words.Next(), kMaxPrefixLength), Key(words.Next(), kMaxPrefixLength),
                  std::string(words.Next())};
  if (lane.origPrefix.empty() || lane.destPrefix.empty() || !IsStatus(lane.status)) return false;
  data.laneStatuses.push_back(std::move(lane));
  return words.AtEnd();
}

// startstatus STATUS
bool ParseStartStatus(Words& words, GuideData& data) {
  std::string_view status = words.Next();
  if (!IsStatus(status) || !words.AtEnd()) return false;
  data.startStatus = std::string(status);
  return true;
}

bool ParseLine(std::string_view line, GuideData& data) {
  Words words(line);
  std::string keyword = UpperCase(words.Next());
  if (keyword.empty() || keyword[0] == '#') return true;
  if (keyword == "SERVES") return ParseServes(words, data);
  if (keyword == "TERMINAL") return ParseTerminal(words, data);
  if (keyword == "DETAIL") return ParseDetail(words, data);
  if (keyword == "DAYS") return ParseTransitDays(words, data);
  if (keyword == "LANESTATUS") return ParseLaneStatus(words, data);
  if (keyword == "STARTSTATUS") return ParseStartStatus(words, data);
  return false;
}

}  // namespace

bool ParseGuideData(std::string_view text, GuideData& data, int& badLine) {
  return brantstandin::ParseDataLines(text, badLine,
                                      [&data](std::string_view line) { return ParseLine(line, data); });
}

bool LoadGuideData(std::string_view dir, GuideData& data) {
  data = GuideData{};
  if (dir.empty()) return true;  // no directory, not the current one
  std::ifstream file(std::string(dir) + "/GUIDE.TXT", std::ios::binary);
  if (!file) return true;
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  int badLine = 0;
  if (ParseGuideData(text, data, badLine)) return true;
  data = GuideData{};
  return false;
}

// A Mexican point: five digits and M. Its digits are no US ZIP's.
bool IsMexicanPoint(const std::string& code) {
  if (code.size() != 6 || code[5] != 'M') return false;
  for (std::size_t i = 0; i < 5; ++i) {
    if (code[i] < '0' || code[i] > '9') return false;
  }
  return true;
}

const std::string* TerminalServing(const GuideData& data, std::string_view postalCode) {
  std::string code = UpperCase(postalCode.substr(0, kMaxPrefixLength));
  const std::size_t shortest = IsMexicanPoint(code) ? code.size() : 1;
  for (std::size_t length = code.size(); length >= shortest && length > 0; --length) {
    auto found = data.terminalByPrefix.find(code.substr(0, length));
    if (found != data.terminalByPrefix.end()) return &found->second;
  }
  return nullptr;
}

}  // namespace brantguide
