// Reading ENGINE.TXT: one entry per line, its first word saying what it
// holds.
#include "engine_data.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "common/data_lines.h"

namespace brantengine {
namespace {

using brantstandin::IsBlank;
using brantstandin::TrimRight;
using brantstandin::Words;

bool ParseCount(std::string_view word, int16_t& count) {
  int value = 0;
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, value);
  if (word.empty() || error != std::errc() || stop != end) return false;
  if (value < INT16_MIN || value > INT16_MAX) return false;
  count = static_cast<int16_t>(value);
  return true;
}

// Writes word into the entry at `at`, space-padded to `width`.
bool PutField(EffectivityEntry& entry, std::size_t at, std::size_t width, std::string_view word) {
  if (word.empty() || word.size() > width) return false;
  for (std::size_t i = 0; i < width; ++i) {
    entry[at + i] = static_cast<uint8_t>(i < word.size() ? word[i] : ' ');
  }
  return true;
}

// state CODE XX
bool ParseState(Words& words, EngineData& data) {
  std::string code = UpperCase(words.Next());
  std::string state = UpperCase(words.Next());
  if (code.empty() || state.size() != 2 || !words.AtEnd()) return false;
  (code.size() == 3 ? data.stateByPrefix : data.stateByCode)[code] = state;
  return true;
}

// effective NAME TEXT4 TX TX [C]
bool ParseEffectivity(Words& words, EngineData& data) {
  EffectivityEntry entry{};
  if (!PutField(entry, 0, 8, words.Next()) || !PutField(entry, 8, 4, words.Next()) ||
      !PutField(entry, 12, 2, words.Next()) || !PutField(entry, 14, 2, words.Next())) {
    return false;
  }
  std::string_view last = words.Next();
  if (!last.empty() && !PutField(entry, 16, 1, last)) return false;
  if (!words.AtEnd()) return false;
  data.effectivity.push_back(entry);
  return true;
}

// version N text...
bool ParseVersion(Words& words, EngineData& data) {
  std::string_view number = words.Next();
  if (number.size() != 1 || number[0] < '1' || number[0] > '6') return false;
  data.versionTexts[static_cast<std::size_t>(number[0] - '1')] = std::string(words.Rest());
  return true;
}

// classes TARIFF CODE... (further lines for a tariff add codes)
bool ParseClasses(Words& words, EngineData& data) {
  std::string tariff = UpperCase(words.Next());
  if (tariff.empty() || tariff.size() > kMaxTariffNameLength) return false;
  ClassTable& table = data.classTables[tariff];
  for (std::string_view code = words.Next(); !code.empty(); code = words.Next()) {
    if (code.size() > kMaxClassCodeLength || table.codes.size() == kMaxClassCodes) return false;
    table.codes.emplace_back(code);
  }
  return true;
}

// classcount TARIFF N
bool ParseClassCount(Words& words, EngineData& data) {
  std::string tariff = UpperCase(words.Next());
  int16_t count = 0;
  if (tariff.empty() || tariff.size() > kMaxTariffNameLength) return false;
  if (!ParseCount(words.Next(), count) || !words.AtEnd()) return false;
  data.classTables[tariff].reportedCount = count;
  return true;
}

// effectivecount N
bool ParseEffectivityCount(Words& words, EngineData& data) {
  int16_t count = 0;
  if (!ParseCount(words.Next(), count) || !words.AtEnd()) return false;
  data.reportedEffectivityCount = count;
  return true;
}

// error CODE text...
bool ParseError(Words& words, EngineData& data) {
  std::string_view code = words.Next();
  if (code.size() != kStatusCodeLength) return false;
  data.errorMessages[std::string(code)] = std::string(words.Rest());
  return true;
}

bool ParseLine(std::string_view line, EngineData& data) {
  Words words(line);
  std::string keyword = UpperCase(words.Next());
  if (keyword.empty() || keyword[0] == '#') return true;
  if (keyword == "STATE") return ParseState(words, data);
  if (keyword == "EFFECTIVE") return ParseEffectivity(words, data);
  if (keyword == "VERSION") return ParseVersion(words, data);
  if (keyword == "CLASSES") return ParseClasses(words, data);
  if (keyword == "CLASSCOUNT") return ParseClassCount(words, data);
  if (keyword == "EFFECTIVECOUNT") return ParseEffectivityCount(words, data);
  if (keyword == "ERROR") return ParseError(words, data);
  return false;
}

}  // namespace

bool ParseEngineData(std::string_view text, EngineData& data, int& badLine) {
  return brantstandin::ParseDataLines(text, badLine,
                                      [&data](std::string_view line) { return ParseLine(line, data); });
}

bool LoadEngineData(const std::string& dataDir, EngineData& data) {
  data = EngineData{};
  if (dataDir.empty()) return true;  // no directory, not the current one
  std::string path = dataDir;
  if (path.back() != '/') path += '/';
  std::ifstream file(path + "ENGINE.TXT", std::ios::binary);
  if (!file) return true;
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  int badLine = 0;
  if (ParseEngineData(text, data, badLine)) return true;
  data = EngineData{};
  return false;
}

}  // namespace brantengine
