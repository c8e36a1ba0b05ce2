// Python values as a shipment's texts and weights. A frame's cells come
// as they were read (str, int, float, missing), so each is turned into
// what brant.h takes here, once, while the interpreter lock is held; the
// rating loop then reads plain C++ values with the lock released.
#pragma once

#include <pybind11/pybind11.h>

#include <brantfunc/brant.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace brantpy {

namespace py = pybind11;

// A cell as text: `text` is NUL-terminated and lives as long as the Cells
// that made it. Missing (NA, None, NaN or "") when text is null. `broken`
// when it cannot be given to the library as it is (a NUL inside, text
// that is not UTF-8); `text` is then what the refusal quotes.
struct TextCell {
  const char* text = nullptr;
  bool broken = false;
};

// A weight cell: missing, a whole number of pounds, or not one.
struct WeightCell {
  enum Kind : uint8_t { kMissing, kPounds, kNotWhole } kind = kMissing;
  int32_t pounds = 0;
  const char* shown = "";  // the cell as text, for a refusal
};

// Keeps the texts the cells point into: the Python strings themselves
// (held, so that no other thread frees one while the lock is released)
// and the texts made from numbers and other objects.
class Cells {
 public:
  TextCell Text(py::handle value);
  WeightCell Weight(py::handle value);

 private:
  const char* Own(std::string text);
  const char* Utf8Of(py::handle text, bool& broken);

  std::vector<py::object> held_;
  std::deque<std::string> owned_;
};

// The numbers and texts of one shipment's options, the same for every row.
struct ShipmentOptions {
  int32_t discount_bps = 0;
  int32_t break_discount_bps = 0;
  int64_t floor_cents = 0;
  bool discount_on_rates = false;
  bool transit_days = false;
  bool explain = false;
  int32_t ship_date = 0;                  // YYYYMMDD; 0: none
  std::vector<std::string> accessorials;  // codes
};

// One shipment's cells as the library takes them. Lines with neither a
// class nor a weight are left out and the rest move up, as `brant batch`
// does with its empty fields. A class cell may give handling units
// instead ("48x40x60", "3@48x40x60"). A row's ship date ("YYYY-MM-DD")
// and accessorials ("LIFTGATE;INSIDE"), when given, replace the options'.
struct ShipmentCells {
  TextCell origin;
  TextCell destination;
  TextCell classes[BRANT_MAX_LINES];
  WeightCell weights[BRANT_MAX_LINES];
  TextCell ship_date;
  TextCell accessorials;
  // Of classes and weights given, before they move up; past
  // BRANT_MAX_LINES only to have the library refuse the count.
  int line_count = 0;
};

// Rates one shipment of cells: the library's own refusals, and ours for a
// cell it cannot be given (a weight that is not a whole number, a broken
// text), worded as the library words its refusals.
brant_status RateCells(const brant_tariff& tariff, const ShipmentCells& cells,
                       const ShipmentOptions& options, brant_bill& bill, brant_error& error);


}  // namespace brantpy
