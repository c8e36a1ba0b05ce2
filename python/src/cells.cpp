#include "cells.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "shipment_forms.h"

namespace brantpy {
namespace {

constexpr int32_t kMostPounds = 999999;  // a line's weight, as brant.h takes it

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// A whole number of pounds, blanks around it allowed, as `brant batch`
// reads its weight fields; false for anything else.
bool ParseWholeNumber(std::string_view text, int32_t& pounds) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return false;
  int64_t value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return false;
    value = value * 10 + (ch - '0');
    if (value > std::numeric_limits<int32_t>::max()) return false;
  }
  pounds = static_cast<int32_t>(value);
  return true;
}

// A float as a person would write it: 100.0 is "100", 77.5 "77.5".
std::string FloatText(double value) {
  char text[32];
  const auto [end, failed] = std::to_chars(text, text + sizeof text, value);
  return failed == std::errc() ? std::string(text, end) : std::string("?");
}

bool WholeFloat(double value, int64_t& whole) {
  if (!std::isfinite(value) || value != std::trunc(value) || std::fabs(value) > 1e15) return false;
  whole = static_cast<int64_t>(value);
  return true;
}

brant_status Refuse(brant_error& error, brant_field field, int line, std::string_view value,
                    const char* message) {
  std::memset(&error, 0, sizeof error);
  error.status = BRANT_E_MALFORMED;
  error.field = field;
  error.line = line;
  value.copy(error.value, std::min(value.size(), sizeof error.value - 1));
  std::snprintf(error.message, sizeof error.message, "%s", message);
  return BRANT_E_MALFORMED;
}

// Our refusal of a text the library cannot be given; false when it can.
bool RefuseBroken(const TextCell& cell, brant_field field, int line, brant_error& error) {
  if (!cell.broken) return false;
  char message[sizeof error.message];
  const char* name = field == BRANT_FIELD_ORIGIN        ? "origin"
                     : field == BRANT_FIELD_DESTINATION ? "destination"
                                                        : "class";
  if (line > 0) {
    std::snprintf(message, sizeof message,
                  "line %d class %.60s: a NUL character or text that is not UTF-8; give "
                  "the class as the tariff lists it", line, cell.text);
  } else {
    std::snprintf(message, sizeof message,
                  "%s %.60s: a NUL character or text that is not UTF-8; give the postal "
                  "code alone", name, cell.text);
  }
  Refuse(error, field, line, cell.text, message);
  return true;
}

// Handling units of a class cell into `line`; false with the refusal.
bool TakeUnits(const char* text, int line, brant_line& out, brant_error& error) {
  const std::optional<brant::tool::HandlingUnits> units = brant::tool::ParseHandlingUnits(text);
  if (!units) {
    char message[sizeof error.message];
    std::snprintf(message, sizeof message, "line %d dimensions \"%.60s\": %s", line, text,
                  brant::tool::kUnitsForms);
    Refuse(error, BRANT_FIELD_DIMENSIONS, line, text, message);
    return false;
  }
  brant::tool::PutUnits(*units, out);
  return true;
}

// The row's ship date and accessorials, else the options'; `codes` keeps
// the row's. False with the refusal.
bool TakeCharges(const ShipmentCells& cells, const ShipmentOptions& options,
                 std::vector<std::string>& codes, brant_shipment& s, brant_error& error) {
  char message[sizeof error.message];
  s.ship_date = options.ship_date;
  if (cells.ship_date.text != nullptr) {
    const std::optional<int32_t> date = brant::tool::ParseShipDate(cells.ship_date.text);
    if (cells.ship_date.broken || !date) {
      std::snprintf(message, sizeof message,
                    "ship date \"%.60s\": give a real date as YYYY-MM-DD (2026-03-10)",
                    cells.ship_date.text);
      Refuse(error, BRANT_FIELD_SHIP_DATE, 0, cells.ship_date.text, message);
      return false;
    }
    s.ship_date = *date;
  }
  const std::vector<std::string>* given = &options.accessorials;
  if (cells.accessorials.text != nullptr) {
    codes = brant::tool::SplitAccessorials(cells.accessorials.text);
    given = &codes;
  }
  if (given->size() > BRANT_MAX_ACCESSORIALS) {
    std::snprintf(message, sizeof message, "%zu accessorials: give at most %d", given->size(),
                  BRANT_MAX_ACCESSORIALS);
    Refuse(error, BRANT_FIELD_ACCESSORIAL, BRANT_MAX_ACCESSORIALS + 1,
           (*given)[BRANT_MAX_ACCESSORIALS], message);
    return false;
  }
  s.accessorial_count = static_cast<int32_t>(given->size());
  for (std::size_t i = 0; i < given->size(); ++i) s.accessorials[i] = (*given)[i].c_str();
  return true;
}

}  // namespace

const char* Cells::Own(std::string text) {
  owned_.push_back(std::move(text));
  return owned_.back().c_str();
}

const char* Cells::Utf8Of(py::handle text, bool& broken) {
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (utf8 == nullptr) {  // a lone surrogate: not UTF-8
    PyErr_Clear();
    broken = true;
    return Own(py::str(py::repr(text)));
  }
  broken = std::strlen(utf8) != static_cast<std::size_t>(size);
  held_.push_back(py::reinterpret_borrow<py::object>(text));
  return utf8;
}

TextCell Cells::Text(py::handle value) {
  TextCell cell;
  if (value.is_none()) return cell;
  if (PyUnicode_Check(value.ptr())) {
    if (PyUnicode_GET_LENGTH(value.ptr()) == 0) return cell;
    cell.text = Utf8Of(value, cell.broken);
  } else if (PyFloat_Check(value.ptr())) {
    const double number = PyFloat_AS_DOUBLE(value.ptr());
    int64_t whole = 0;
    if (std::isnan(number)) return cell;
    cell.text = Own(WholeFloat(number, whole) ? std::to_string(whole) : FloatText(number));
  } else {
    const py::str text = py::str(value);
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (utf8 == nullptr) {
      PyErr_Clear();
      cell.broken = true;
      cell.text = Own("?");
    } else {
      cell.broken = std::strlen(utf8) != static_cast<std::size_t>(size);
      cell.text = Own(std::string(utf8, static_cast<std::size_t>(size)));
    }
  }
  return cell;
}

WeightCell Cells::Weight(py::handle value) {
  WeightCell cell;
  if (value.is_none()) return cell;
  PyObject* object = value.ptr();
  if (PyUnicode_Check(object)) {
    if (PyUnicode_GET_LENGTH(object) == 0) return cell;
    bool broken = false;
    const char* text = Utf8Of(value, broken);
    const bool whole =
        !broken && ParseWholeNumber(std::string_view(text, std::strlen(text)), cell.pounds);
    cell.kind = whole ? WeightCell::kPounds : WeightCell::kNotWhole;
    cell.shown = text;
    return cell;
  }
  if (PyFloat_Check(object)) {
    const double number = PyFloat_AS_DOUBLE(object);
    if (std::isnan(number)) return cell;
    int64_t whole = 0;
    if (WholeFloat(number, whole) && whole >= std::numeric_limits<int32_t>::min() &&
        whole <= std::numeric_limits<int32_t>::max()) {
      cell.kind = WeightCell::kPounds;
      cell.pounds = static_cast<int32_t>(whole);
    } else {
      cell.kind = WeightCell::kNotWhole;
      cell.shown = Own(FloatText(number));
    }
    return cell;
  }
  // An int, or anything that is one (a numpy integer); not a bool.
  if (!PyBool_Check(object)) {
    if (PyObject* index = PyNumber_Index(object)) {
      int overflow = 0;
      const long long number = PyLong_AsLongLongAndOverflow(index, &overflow);
      Py_DECREF(index);
      if (overflow == 0 && number >= std::numeric_limits<int32_t>::min() &&
          number <= std::numeric_limits<int32_t>::max()) {
        cell.kind = WeightCell::kPounds;
        cell.pounds = static_cast<int32_t>(number);
        return cell;
      }
    }
    PyErr_Clear();
  }
  const TextCell text = Text(value);
  cell.kind = WeightCell::kNotWhole;
  cell.shown = text.text != nullptr ? text.text : "";
  return cell;
}

brant_status RateCells(const brant_tariff& tariff, const ShipmentCells& cells,
                       const ShipmentOptions& options, brant_bill& bill, brant_error& error) {
  brant_bill_init(&bill);
  if (RefuseBroken(cells.origin, BRANT_FIELD_ORIGIN, 0, error) ||
      RefuseBroken(cells.destination, BRANT_FIELD_DESTINATION, 0, error)) {
    return error.status;
  }
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = cells.origin.text != nullptr ? cells.origin.text : "";
  s.destination = cells.destination.text != nullptr ? cells.destination.text : "";
  for (int i = 0; i < cells.line_count && i < BRANT_MAX_LINES; ++i) {
    const TextCell& freightClass = cells.classes[i];
    const WeightCell& weight = cells.weights[i];
    if (freightClass.text == nullptr && weight.kind == WeightCell::kMissing) continue;
    const int number = s.line_count + 1;
    if (RefuseBroken(freightClass, BRANT_FIELD_CLASS, number, error)) return error.status;
    if (weight.kind != WeightCell::kPounds) {
      char message[sizeof error.message];
      std::snprintf(message, sizeof message,
                    "line %d weight \"%.60s\": give a whole number of pounds, 1 to %d", number,
                    weight.shown, kMostPounds);
      return Refuse(error, BRANT_FIELD_WEIGHT, number, weight.shown, message);
    }
    brant_line& line = s.lines[s.line_count];
    line.weight = weight.pounds;
    line.freight_class = freightClass.text != nullptr ? freightClass.text : "";
    if (freightClass.text != nullptr && brant::tool::IsDimensionsForm(freightClass.text) &&
        !TakeUnits(freightClass.text, number, line, error)) {
      return error.status;
    }
    ++s.line_count;
  }
  std::vector<std::string> codes;
  if (!TakeCharges(cells, options, codes, s, error)) return error.status;
  // More lines than a shipment has: the library refuses the count.
  if (cells.line_count > BRANT_MAX_LINES) s.line_count = cells.line_count;
  s.discount_bps = options.discount_bps;
  s.break_discount_bps = options.break_discount_bps;
  s.floor_cents = options.floor_cents;
  s.discount_on_rates = options.discount_on_rates ? 1 : 0;
  s.want_transit_days = options.transit_days ? 1 : 0;
  s.explain = options.explain ? 1 : 0;
  return brant_rate(&tariff, &s, &bill, &error);
}

}  // namespace brantpy
