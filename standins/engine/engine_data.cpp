// Reading ENGINE.TXT: one entry per line, its first word saying what it
// holds.
#include "engine_data.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <utility>

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

// A whole number from min to max, and nothing else in the word.
bool ParseNumber(std::string_view word, int64_t min, int64_t max, int64_t& number) {
  int64_t value = 0;
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, value);
  if (word.empty() || error != std::errc() || stop != end || value < min || value > max) {
    return false;
  }
  number = value;
  return true;
}

bool ParseCents(std::string_view word, int64_t& cents) {
  return ParseNumber(word, 0, kMaxCents, cents);
}

bool ParseI32(std::string_view word, int32_t& value) {
  int64_t number = 0;
  if (!ParseNumber(word, INT32_MIN, INT32_MAX, number)) return false;
  value = static_cast<int32_t>(number);
  return true;
}

// The tariff a rating line is about; null when the name is not 1 to 8
// characters, or (needingBounds) when no `breaks` line has named it yet.
RateTable* RateTableOf(std::string_view name, EngineData& data, bool needingBounds = false) {
  if (name.empty() || name.size() > kMaxTariffNameLength) return nullptr;
  RateTable& table = data.rateTables[UpperCase(name)];
  return needingBounds && table.bounds.empty() ? nullptr : &table;
}

// breaks TARIFF B0 B1 ... (once per tariff, ascending)
bool ParseBreaks(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data);
  if (table == nullptr || !table->bounds.empty()) return false;
  for (std::string_view word = words.Next(); !word.empty(); word = words.Next()) {
    int64_t bound = 0;
    if (!ParseNumber(word, 0, kMaxWeightBound, bound) || table->bounds.size() == kMaxWeightBreaks ||
        (!table->bounds.empty() && bound <= table->bounds.back())) {
      table->bounds.clear();
      return false;
    }
    table->bounds.push_back(bound);
  }
  return !table->bounds.empty();
}

// rates TARIFF CLASS R0 R1 ... (after the tariff's breaks, one rate per bound)
bool ParseRates(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data, true);
  ClassRates rates{std::string(words.Next()), {}};
  if (table == nullptr || rates.code.empty() || rates.code.size() > kMaxClassCodeLength ||
      table->classes.size() == kMaxClassCodes) {
    return false;
  }
  for (const ClassRates& known : table->classes) {
    if (UpperCase(known.code) == UpperCase(rates.code)) return false;
  }
  for (std::string_view word = words.Next(); !word.empty(); word = words.Next()) {
    int64_t cents = 0;
    if (!ParseCents(word, cents)) return false;
    rates.cents.push_back(cents);
  }
  if (rates.cents.size() != table->bounds.size()) return false;
  table->classes.push_back(std::move(rates));
  return true;
}

// minimum TARIFF CENTS [EXTRA]
bool ParseMinimum(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data);
  int64_t minimum = 0, extra = 0;
  if (table == nullptr || !ParseCents(words.Next(), minimum)) return false;
  std::string_view last = words.Next();
  if ((!last.empty() && !ParseCents(last, extra)) || !words.AtEnd()) return false;
  table->minimum = minimum;
  table->minimumExtra = extra;
  return true;
}

// basis TARIFF TEXT (the rest of the line)
bool ParseBasis(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data);
  std::string_view text = words.Rest();
  if (table == nullptr || text.size() > kRateBasisLength) return false;
  table->basis = std::string(text);
  return true;
}

// charge TARIFF TYPE KEY AMOUNT
bool ParseCharge(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data);
  std::string_view type = words.Next();
  ChargeEntry entry;
  if (table == nullptr || type.size() != 1 || table->charges.size() == kMaxChargeEntries ||
      !ParseI32(words.Next(), entry.key) || !ParseI32(words.Next(), entry.amount) ||
      !words.AtEnd()) {
    return false;
  }
  entry.type = type[0];
  table->charges.push_back(entry);
  return true;
}

// baserate TARIFF INDEX VALUE
bool ParseBaseRate(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data);
  int64_t index = 0;
  int32_t value = 0;
  if (table == nullptr || !ParseNumber(words.Next(), 0, kBaseRateCount - 1, index) ||
      !ParseI32(words.Next(), value) || !words.AtEnd()) {
    return false;
  }
  table->baseRateOverrides.emplace_back(static_cast<std::size_t>(index), value);
  return true;
}

// enginecounts TARIFF CLASSES BREAKS
bool ParseEngineCounts(Words& words, EngineData& data) {
  RateTable* table = RateTableOf(words.Next(), data);
  int16_t classes = 0, breaks = 0;
  if (table == nullptr || !ParseCount(words.Next(), classes) || !ParseCount(words.Next(), breaks) ||
      !words.AtEnd()) {
    return false;
  }
  table->reportedCounts = std::pair{classes, breaks};
  return true;
}

// status ZIP CODE [unrated] [flag N] [retry-unrated]
bool ParseStatus(Words& words, EngineData& data) {
  std::string zip = UpperCase(words.Next());
  StatusReply reply{std::string(words.Next())};
  if (zip.empty() || reply.code.size() != kStatusCodeLength) return false;
  bool flagged = false;
  for (std::string option = UpperCase(words.Next()); !option.empty();
       option = UpperCase(words.Next())) {
    if (option == "UNRATED" && !reply.unrated) {
      reply.unrated = true;
    } else if (option == "RETRY-UNRATED" && !reply.retryUnrated) {
      reply.retryUnrated = true;
    } else if (option == "FLAG" && !flagged && ParseCount(words.Next(), reply.flag)) {
      flagged = true;
    } else {
      return false;
    }
  }
  data.statusByZip[zip] = reply;
  return true;
}

// errorreply CODE null|unterminated
bool ParseErrorReply(Words& words, EngineData& data) {
  std::string_view code = words.Next();
  std::string how = UpperCase(words.Next());
  if (code.size() != kStatusCodeLength || !words.AtEnd()) return false;
  if (how != "NULL" && how != "UNTERMINATED") return false;
  data.errorReplies[std::string(code)] =
      how == "NULL" ? ErrorReply::kNull : ErrorReply::kUnterminated;
  return true;
}

// point ZIP C
bool ParsePoint(Words& words, EngineData& data) {
  std::string zip = UpperCase(words.Next());
  std::string_view code = words.Next();
  if (zip.empty() || code.size() != 1 || !words.AtEnd()) return false;
  data.pointCodes[zip] = code[0];
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
  if (keyword == "BREAKS") return ParseBreaks(words, data);
  if (keyword == "RATES") return ParseRates(words, data);
  if (keyword == "MINIMUM") return ParseMinimum(words, data);
  if (keyword == "BASIS") return ParseBasis(words, data);
  if (keyword == "CHARGE") return ParseCharge(words, data);
  if (keyword == "BASERATE") return ParseBaseRate(words, data);
  if (keyword == "ENGINECOUNTS") return ParseEngineCounts(words, data);
  if (keyword == "STATUS") return ParseStatus(words, data);
  if (keyword == "ERRORREPLY") return ParseErrorReply(words, data);
  if (keyword == "POINT") return ParsePoint(words, data);
  return false;
}

}  // namespace

bool ParseEngineData(std::string_view text, EngineData& data, int& badLine) {
  return brantstandin::ParseDataLines(
      text, badLine, [&data](std::string_view line) { return ParseLine(line, data); });
}

const std::string* FindState(const EngineData& data, std::string_view code) {
  code = code.substr(0, code.find('\0'));
  while (!code.empty() && code.back() == ' ') code.remove_suffix(1);
  std::string upper = UpperCase(code);
  if (auto exact = data.stateByCode.find(upper); exact != data.stateByCode.end()) {
    return &exact->second;
  }
  if (upper.size() < 3) return nullptr;
  auto prefix = data.stateByPrefix.find(upper.substr(0, 3));
  return prefix == data.stateByPrefix.end() ? nullptr : &prefix->second;
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
