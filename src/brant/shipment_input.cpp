#include "brant/shipment_input.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "brant/error_report.h"
#include "charges/calendar.h"
#include "context/byte_coding.h"

namespace brant::api {
namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsLetter(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }
char Upper(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }

// A host's text is read to its first NUL and no further than this many
// bytes: a text as long, or one without its terminator, is passed on whole
// (blanks and all) to be refused for its length, never followed.
constexpr std::size_t kMostTextBytes = 64;

std::string_view Trimmed(const char* text) {
  if (text == nullptr) return "";  // empty, but never a null pointer to copy from
  std::string_view view(text, strnlen(text, kMostTextBytes));
  if (view.size() == kMostTextBytes) return view;
  while (!view.empty() && (view.front() == ' ' || view.front() == '\t')) view.remove_prefix(1);
  while (!view.empty() && (view.back() == ' ' || view.back() == '\t')) view.remove_suffix(1);
  return view;
}

bool AllDigits(std::string_view text) {
  for (char ch : text) {
    if (!IsDigit(ch)) return false;
  }
  return !text.empty();
}

// Letters and digits alternate as in A9A 9A9 for as far as the text goes
// (no further than six characters).
bool FollowsCanadianPattern(std::string_view text) {
  for (std::size_t i = 0; i < text.size() && i < 6; ++i) {
    if (i % 2 == 0 ? !IsLetter(text[i]) : !IsDigit(text[i])) return false;
  }
  return !text.empty();
}

// A Canadian postal code, A9A 9A9, without its space.
bool IsCanadian(std::string_view text) { return text.size() == 6 && FollowsCanadianPattern(text); }

// The code with its one inner space dropped: "M5V 3L9", "64000 M".
std::string_view WithoutInnerSpace(std::string_view text, char (&room)[16]) {
  const std::size_t space = text.find(' ');
  if (space == std::string_view::npos || text.size() >= sizeof room) return text;
  if (text.find(' ', space + 1) != std::string_view::npos) return text;
  std::memcpy(room, text.data(), space);
  std::memcpy(room + space, text.data() + space + 1, text.size() - space - 1);
  return {room, text.size() - 1};
}

void Store(PostalCode& out, PostalKind kind, std::string_view text) {
  out.kind = kind;
  std::memset(out.code, 0, sizeof out.code);
  for (std::size_t i = 0; i < text.size() && i < sizeof out.code - 1; ++i) {
    out.code[i] = Upper(text[i]);
  }
}

brant_status ReadPostalCode(const char* given, brant_field field, PostalCode& out,
                            brant_error* error) {
  const char* end = field == BRANT_FIELD_ORIGIN ? "origin" : "destination";
  const std::string_view text = Trimmed(given);
  const Blame blame{field, 0, 0, text};
  PutTerminatedText(out.given, sizeof out.given, text);
  if (text.empty()) {
    return Fail(error, BRANT_E_MALFORMED, blame,
                "%s: no postal code given; give a five-digit ZIP, a Canadian postal code "
                "(A9A 9A9) or a Mexican point (64000M)", end);
  }
  const int shown = static_cast<int>(text.size() < 40 ? text.size() : 40);
  char room[16] = {};
  const std::string_view code = WithoutInnerSpace(text, room);
  if (IsDigit(code.front())) {
    if (code.size() == 5 && AllDigits(code)) {
      Store(out, PostalKind::kZip, code);
      return BRANT_OK;
    }
    if (code.size() == 6 && AllDigits(code.substr(0, 5)) && Upper(code[5]) == 'M') {
      Store(out, PostalKind::kMexican, code);
      return BRANT_OK;
    }
    const bool zipPlusFour = (text.size() == 10 && text[5] == '-' &&
                              AllDigits(text.substr(0, 5)) && AllDigits(text.substr(6))) ||
                             (text.size() == 9 && AllDigits(text));
    if (zipPlusFour) {
      return Fail(error, BRANT_E_MALFORMED, blame,
                  "%s %.*s: ZIP+4 is not accepted; give the five-digit ZIP", end, shown,
                  text.data());
    }
    return Fail(error, BRANT_E_MALFORMED, blame,
                "%s %.*s: a ZIP code has five digits; a Mexican point is five digits and M "
                "(64000M)", end, shown, text.data());
  }
  if (IsCanadian(code)) {
    Store(out, PostalKind::kCanadian, code);
    return BRANT_OK;
  }
  // A cut or overlong Canadian code ("M5V", "M5V3L") must not pass for a city.
  if (FollowsCanadianPattern(code.substr(0, 3)) && code.size() >= 3) {
    return Fail(error, BRANT_E_MALFORMED, blame,
                "%s %.*s: a Canadian postal code has six characters, A9A 9A9 (M5V 3L9)", end,
                shown, text.data());
  }
  return Fail(error, BRANT_E_MALFORMED, blame,
              "%s %.*s: not a postal code; give a five-digit ZIP, a Canadian postal code "
              "(A9A 9A9) or a Mexican point (64000M)", end, shown, text.data());
}

// A line's units and their dimensions: each 1 to 999, the count 0 (one) to
// 999. False leaves `out` cleared.
bool ReadUnits(const brant_line& line, LineUnits& out) {
  out = LineUnits{};
  const bool sound = line.units >= 0 && line.units <= kMostUnits && line.length_in >= 1 &&
                     line.length_in <= kMostInches && line.width_in >= 1 &&
                     line.width_in <= kMostInches && line.height_in >= 1 &&
                     line.height_in <= kMostInches;
  if (sound) out = {line.units == 0 ? 1 : line.units, line.length_in, line.width_in, line.height_in};
  return sound;
}

brant_status ReadLine(const brant_line& line, int32_t number, ShipmentInput& input,
                      brant_error* error) {
  const std::string_view freightClass = Trimmed(line.freight_class);
  const int shown = static_cast<int>(freightClass.size() < 40 ? freightClass.size() : 40);
  const bool dimensioned =
      line.units != 0 || line.length_in != 0 || line.width_in != 0 || line.height_in != 0;
  if (dimensioned) {
    char value[48];
    std::snprintf(value, sizeof value, "%d@%dx%dx%d", line.units, line.length_in, line.width_in,
                  line.height_in);
    if (!freightClass.empty()) {
      return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_DIMENSIONS, number, 0, value},
                  "line %d: give a class or its units' dimensions, not both", number);
    }
    if (!ReadUnits(line, input.units[number - 1])) {
      return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_DIMENSIONS, number, 0, value},
                  "line %d dimensions %s: give length, width and height of 1 to %d whole "
                  "inches, and 0 to %d units", number, value, kMostInches, kMostUnits);
    }
  } else if (freightClass.empty() || freightClass.size() > kClassRoom) {
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_CLASS, number, 0, freightClass},
                "line %d class \"%.*s\": give the class as the tariff lists it, 1 to %d "
                "characters (\"100\", \"77.5\"), or its units' dimensions", number, shown,
                freightClass.data(), kClassRoom);
  }
  std::memcpy(input.classes[number - 1], freightClass.data(), freightClass.size());
  if (line.weight < 1 || line.weight > kMostPounds) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", line.weight);
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_WEIGHT, number, 0, value},
                "line %d weight %d: give a weight of 1 to %d pounds", number, line.weight,
                kMostPounds);
  }
  input.weights[number - 1] = line.weight;
  return BRANT_OK;
}

brant_status ReadPercentage(int32_t bps, brant_field field, const char* name,
                            brant_error* error) {
  if (bps >= 0 && bps <= kMostBasisPoints) return BRANT_OK;
  char value[16];
  std::snprintf(value, sizeof value, "%d", bps);
  return Fail(error, BRANT_E_MALFORMED, {field, 0, 0, value},
              "%s %d basis points: give 0 to %d (0 to 99.99 %%)", name, bps, kMostBasisPoints);
}

bool IsCodeCharacter(char ch) { return IsLetter(ch) || IsDigit(ch) || ch == '_'; }

brant_status ReadAccessorials(const brant_shipment& s, ShipmentInput& input, brant_error* error) {
  if (s.accessorial_count < 0 || s.accessorial_count > BRANT_MAX_ACCESSORIALS) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", s.accessorial_count);
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_ACCESSORIAL, 0, 0, value},
                "%d accessorials: a shipment lists 0 to %d", s.accessorial_count,
                BRANT_MAX_ACCESSORIALS);
  }
  for (int32_t i = 0; i < s.accessorial_count; ++i) {
    const std::string_view code = Trimmed(s.accessorials[i]);
    const int shown = static_cast<int>(code.size() < 40 ? code.size() : 40);
    bool sound = !code.empty() && code.size() <= kCodeRoom;
    for (char ch : code) sound = sound && IsCodeCharacter(ch);
    if (!sound) {
      return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_ACCESSORIAL, i + 1, 0, code},
                  "accessorial \"%.*s\": a code is 1 to %d letters, digits and _ (LIFTGATE)",
                  shown, code.data(), kCodeRoom);
    }
    char* stored = input.accessorials[i];
    for (std::size_t k = 0; k < code.size(); ++k) stored[k] = Upper(code[k]);
    for (int32_t before = 0; before < i; ++before) {
      if (std::strcmp(input.accessorials[before], stored) == 0) {
        return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_ACCESSORIAL, i + 1, 0, code},
                    "accessorial %s: listed twice; list each once", stored);
      }
    }
  }
  input.accessorialCount = s.accessorial_count;
  return BRANT_OK;
}

}  // namespace

brant_status ReadShipment(const brant_shipment& s, ShipmentInput& input, brant_error* error) {
  input = ShipmentInput{};
  if (brant_status st = ReadPostalCode(s.origin, BRANT_FIELD_ORIGIN, input.origin, error)) {
    return st;
  }
  if (brant_status st =
          ReadPostalCode(s.destination, BRANT_FIELD_DESTINATION, input.destination, error)) {
    return st;
  }
  if (s.line_count < 1 || s.line_count > BRANT_MAX_LINES) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", s.line_count);
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_LINES, 0, 0, value},
                "%d lines: a shipment has one to %d lines of a class and a weight", s.line_count,
                BRANT_MAX_LINES);
  }
  input.lineCount = s.line_count;
  int64_t total = 0;
  for (int32_t i = 0; i < s.line_count; ++i) {
    if (brant_status st = ReadLine(s.lines[i], i + 1, input, error)) return st;
    total += input.weights[i];
  }
  if (total > kMostPounds) {
    char value[24];
    std::snprintf(value, sizeof value, "%lld", static_cast<long long>(total));
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_TOTAL_WEIGHT, 0, 0, value},
                "total weight %lld: a shipment weighs at most %d pounds; split it",
                static_cast<long long>(total), kMostPounds);
  }
  input.totalWeight = static_cast<int32_t>(total);
  if (brant_status st = ReadPercentage(s.discount_bps, BRANT_FIELD_DISCOUNT, "discount", error)) {
    return st;
  }
  if (brant_status st = ReadPercentage(s.break_discount_bps, BRANT_FIELD_BREAK_DISCOUNT,
                                       "break discount", error)) {
    return st;
  }
  if (s.floor_cents < 0 || s.floor_cents > kMostFloorCents) {
    char value[24];
    std::snprintf(value, sizeof value, "%lld", static_cast<long long>(s.floor_cents));
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_FLOOR, 0, 0, value},
                "floor %lld cents: give 0 to %lld cents (999.99 dollars)",
                static_cast<long long>(s.floor_cents), static_cast<long long>(kMostFloorCents));
  }
  if (s.ship_date != 0 && !charges::IsCalendarDate(s.ship_date)) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", s.ship_date);
    return Fail(error, BRANT_E_MALFORMED, {BRANT_FIELD_SHIP_DATE, 0, 0, value},
                "ship date %d: give a date as YYYYMMDD (20261207), or 0 for none", s.ship_date);
  }
  input.shipDate = s.ship_date;
  return ReadAccessorials(s, input, error);
}

}  // namespace brant::api
