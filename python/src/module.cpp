// brantfunc._brant: brant.h for Python. The package (brantfunc/__init__.py)
// wraps it in Tariff, Bill and RatingRefused; this module only opens,
// rates and hands back plain dicts and arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <brantfunc/brant.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cells.h"
#include "frame_rating.h"
#include "open_tariff.h"

namespace brantpy {
namespace {

using namespace pybind11::literals;

py::dict ErrorDict(brant_status status, const brant_error& e) {
  return py::dict("status"_a = static_cast<int>(status),
                  "status_name"_a = brant_status_name(status), "field"_a = brant_field_name(e.field),
                  "line"_a = e.line, "value"_a = py::str(e.value),
                  "record_status"_a = e.record_status, "message"_a = py::str(e.message));
}

// The bill under the names brant_bill gives its fields.
py::dict BillDict(const brant_bill& b) {
  py::list lines, steps, warnings, notes;
  for (int i = 0; i < b.line_count && i < BRANT_MAX_LINES; ++i) {
    const brant_bill_line& l = b.lines[i];
    lines.append(py::dict("freight_class"_a = py::str(l.freight_class), "weight"_a = l.weight,
                          "rate_cents"_a = l.rate_cents, "charge_cents"_a = l.charge_cents,
                          "substituted"_a = l.substituted != 0,
                          "density_hundredths"_a = l.density_hundredths,
                          "class_before_map"_a = py::str(l.class_before_map)));
  }
  py::list accessorials;
  for (int i = 0; i < b.accessorial_count && i < BRANT_MAX_ACCESSORIALS; ++i) {
    const brant_accessorial_charge& a = b.accessorials[i];
    const char* kind = a.kind == BRANT_CHARGE_FLAT      ? "flat"
                       : a.kind == BRANT_CHARGE_PER_CWT ? "per_cwt"
                                                        : "percent";
    accessorials.append(py::dict("code"_a = py::str(a.code), "name"_a = py::str(a.name),
                                 "kind"_a = kind, "amount_cents"_a = a.amount_cents));
  }
  for (int i = 0; i < b.step_count && i < BRANT_MAX_STEPS; ++i) {
    steps.append(py::dict("name"_a = py::str(b.steps[i].name),
                          "amount_cents"_a = b.steps[i].amount_cents,
                          "total_cents"_a = b.steps[i].total_cents));
  }
  for (int i = 0; i < b.warning_count && i < BRANT_MAX_WARNINGS; ++i) {
    warnings.append(py::dict("record_status"_a = b.warnings[i].record_status,
                             "message"_a = py::str(b.warnings[i].message)));
  }
  for (int i = 0; i < b.note_count && i < BRANT_MAX_NOTES; ++i) {
    notes.append(py::dict("kind"_a = brant_note_kind_name(b.notes[i].kind),
                          "text"_a = py::str(b.notes[i].text)));
  }
  py::dict d("origin"_a = py::str(b.origin), "origin_state"_a = py::str(b.origin_state),
             "destination"_a = py::str(b.destination),
             "destination_state"_a = py::str(b.destination_state),
             "rate_basis"_a = py::str(b.rate_basis),
             "method"_a = brant_method_name(static_cast<brant_method>(b.method)),
             "lines"_a = lines, "total_weight"_a = b.total_weight,
             "billed_weight"_a = b.billed_weight, "start_break"_a = b.start_break,
             "weight_break"_a = b.weight_break,
             "weight_break_label"_a = py::str(b.weight_break_label),
             "deficit_won"_a = b.deficit_won != 0, "deficit_weight"_a = b.deficit_weight,
             "deficit_rate_cents"_a = b.deficit_rate_cents,
             "deficit_charge_cents"_a = b.deficit_charge_cents);
  d["gross_cents"] = b.gross_cents;
  d["discount_bps"] = b.discount_bps;
  d["discount_cents"] = b.discount_cents;
  d["net_cents"] = b.net_cents;
  d["minimum_charge_cents"] = b.minimum_charge_cents;
  d["minimum_discount_cents"] = b.minimum_discount_cents;
  d["floor_cents"] = b.floor_cents;
  d["weight_tier_cents"] = b.weight_tier_cents;
  d["zone_charge_cents"] = b.zone_charge_cents;
  d["hawaii_table1_cents"] = b.hawaii_table1_cents;
  d["hawaii_table1_percent_cents"] = b.hawaii_table1_percent_cents;
  d["hawaii_other_cents"] = b.hawaii_other_cents;
  d["hawaii_other_percent_cents"] = b.hawaii_other_percent_cents;
  d["ship_date"] = b.ship_date;  // YYYYMMDD; the package makes it a date
  d["fuel_index_date"] = b.fuel_index_date;
  d["fuel_price_mills"] = b.fuel_price_mills;
  d["fuel_percent_bps"] = b.fuel_percent_bps;
  d["fuel_base_cents"] = b.fuel_base_cents;
  d["fuel_surcharge_cents"] = b.fuel_surcharge_cents;
  d["accessorials"] = accessorials;
  d["transit_days"] = b.transit_days;
  d["origin_terminal"] = py::str(std::string(b.origin_terminal, strnlen(b.origin_terminal, 5)));
  d["destination_terminal"] =
      py::str(std::string(b.destination_terminal, strnlen(b.destination_terminal, 5)));
  d["amount_due_cents"] = b.amount_due_cents;
  d["steps"] = steps;
  d["warnings"] = warnings;
  d["notes"] = notes;
  return d;
}

struct OptionsDestroyer {
  void operator()(brant_options* options) const { brant_options_destroy(options); }
};

py::dict OptionRefused(brant_status status, const char* field, const std::string& value,
                       const std::string& message) {
  return py::dict("status"_a = static_cast<int>(status),
                  "status_name"_a = brant_status_name(status), "field"_a = field, "line"_a = 0,
                  "value"_a = value, "record_status"_a = 0, "message"_a = message);
}

// (the open tariff, None), or (None, the error as a dict).
py::tuple Open(const std::string& directory, const std::string& name,
               std::optional<std::string> engine, std::optional<std::string> engineData,
               std::optional<std::string> engineTariff, std::optional<std::string> guide,
               std::optional<std::string> guideData, std::optional<int64_t> fileBudget) {
  std::unique_ptr<brant_options, OptionsDestroyer> options(brant_options_create());
  if (!options) throw std::bad_alloc();
  auto orNull = [](const std::optional<std::string>& text) {
    return text && !text->empty() ? text->c_str() : nullptr;
  };
  if (engine && brant_options_set_engine(options.get(), engine->c_str(), orNull(engineData),
                                         orNull(engineTariff)) != BRANT_OK) {
    return py::make_tuple(py::none(), OptionRefused(BRANT_E_MISUSE, "engine",
                                                    engineTariff.value_or(""),
                                                    "engine tariff: at most 8 characters"));
  }
  if (guide && brant_options_set_service_guide(options.get(), guide->c_str(),
                                               orNull(guideData)) != BRANT_OK) {
    return py::make_tuple(py::none(), OptionRefused(BRANT_E_MISUSE, "service_guide", *guide,
                                                    "service guide refused"));
  }
  if (fileBudget &&
      brant_options_set_file_budget(options.get(), *fileBudget) != BRANT_OK) {
    return py::make_tuple(
        py::none(), OptionRefused(BRANT_E_MISUSE, "argument", std::to_string(*fileBudget),
                                  "file budget: give 0 or more bytes"));
  }
  brant_tariff* tariff = nullptr;
  brant_error error{};
  brant_status status;
  {
    py::gil_scoped_release unlocked;
    status = brant_tariff_open(directory.c_str(), name.c_str(), options.get(), &tariff, &error);
  }
  if (status != BRANT_OK) return py::make_tuple(py::none(), ErrorDict(status, error));
  return py::make_tuple(std::make_unique<OpenTariff>(tariff), py::none());
}

ShipmentOptions MakeOptions(int32_t discountBps, int32_t breakDiscountBps, int64_t floorCents,
                            bool discountOnRates, bool transitDays, bool explain,
                            int32_t shipDate, std::vector<std::string> accessorials) {
  return {discountBps, breakDiscountBps, floorCents, discountOnRates,
          transitDays, explain,     shipDate,   std::move(accessorials)};
}

// (True, the bill as a dict) or (False, the refusal as a dict).
py::tuple Rate(const OpenTariff& tariff, py::handle origin, py::handle destination,
               py::sequence lines, const ShipmentOptions& options) {
  Cells store;
  ShipmentCells cells;
  cells.origin = store.Text(origin);
  cells.destination = store.Text(destination);
  cells.line_count = static_cast<int>(py::len(lines));
  for (int i = 0; i < cells.line_count && i < BRANT_MAX_LINES; ++i) {
    const py::object line = lines[static_cast<std::size_t>(i)];
    if (!PySequence_Check(line.ptr()) || PyUnicode_Check(line.ptr()) || py::len(line) != 2) {
      throw py::type_error("a line is a pair: (freight class, weight in pounds)");
    }
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(line);
    cells.classes[i] = store.Text(pair[0]);
    cells.weights[i] = store.Weight(pair[1]);
  }
  brant_bill bill;
  brant_error error;
  brant_status status = BRANT_OK;
  bool closed = false;
  {
    py::gil_scoped_release unlocked;
    std::shared_lock<std::shared_mutex> lock;
    const brant_tariff* open = tariff.Borrow(lock);
    closed = open == nullptr;
    if (!closed) status = RateCells(*open, cells, options, bill, error);
  }
  if (closed) throw py::value_error("the tariff is closed");
  if (status != BRANT_OK) return py::make_tuple(false, ErrorDict(status, error));
  return py::make_tuple(true, BillDict(bill));
}

}  // namespace
}  // namespace brantpy

PYBIND11_MODULE(_brant, m) {
  using namespace brantpy;
  m.doc() = "The rating interface brant.h; use the brantfunc package, which wraps it.";
  m.attr("DEFAULT_FILE_BUDGET") = static_cast<int64_t>(BRANT_DEFAULT_FILE_BUDGET);
  m.attr("MAX_LINES") = static_cast<int>(BRANT_MAX_LINES);
  m.def("version", [] { return std::string(brant_version()); },
        "The library's version, MAJOR.MINOR.PATCH.");

  py::class_<ShipmentOptions>(m, "ShipmentOptions")
      .def(py::init(&MakeOptions), "discount_bps"_a, "break_discount_bps"_a, "floor_cents"_a,
           "discount_on_rates"_a, "transit_days"_a, "explain"_a, "ship_date"_a = 0,
           "accessorials"_a = std::vector<std::string>());

  py::class_<OpenTariff>(m, "OpenTariff", "A tariff opened by brant_tariff_open.")
      .def("close", &OpenTariff::Close, py::call_guard<py::gil_scoped_release>(),
           "Closes the tariff once the ratings under way end.")
      .def_property_readonly("closed", &OpenTariff::closed)
      .def("rate", &Rate, "origin"_a, "destination"_a, "lines"_a, "options"_a,
           "(True, bill dict) or (False, refusal dict).")
      .def("rate_columns", &RateColumns, "origin"_a, "destination"_a, "lines"_a, "options"_a,
           "threads"_a, "ship_date"_a = py::none(), "accessorials"_a = py::none(),
           "Rates columns of cells on `threads` threads; a dict of arrays.");

  m.def("open", &Open, "directory"_a, "name"_a, "engine"_a = py::none(),
        "engine_data"_a = py::none(), "engine_tariff"_a = py::none(),
        "service_guide"_a = py::none(), "guide_data"_a = py::none(),
        "file_budget"_a = py::none(),
        "(OpenTariff, None) or (None, the refusal as a dict).");
}
