#include "frame_rating.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace brantpy {
namespace {

using namespace pybind11::literals;

constexpr std::size_t kChunkRows = 512;  // rows a thread takes at a time
constexpr std::size_t kMostThreads = 256;

enum Result : int8_t { kRated = 0, kWarning = 1, kRefused = 2 };

// A column of cells read from a (values, missing) pair.
template <typename Cell, typename Read>
std::vector<Cell> ReadColumn(py::handle pair, std::size_t rows, Read read) {
  const py::tuple parts = py::reinterpret_borrow<py::tuple>(pair);
  if (parts.size() != 2) throw py::value_error("a column is a pair of values and missing flags");
  const py::array values = py::reinterpret_borrow<py::array>(parts[0]);
  const auto missing =
      py::array_t<bool, py::array::c_style | py::array::forcecast>::ensure(parts[1]);
  if (!values || values.dtype().kind() != 'O' || values.ndim() != 1 ||
      !(values.flags() & py::array::c_style) || !missing || missing.ndim() != 1 ||
      static_cast<std::size_t>(values.shape(0)) != rows ||
      static_cast<std::size_t>(missing.shape(0)) != rows) {
    throw py::value_error("a column must be a contiguous 1-D object array of every row");
  }
  auto* objects = static_cast<PyObject* const*>(values.data());
  const bool* gone = missing.data();
  std::vector<Cell> cells(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    if (!gone[i] && objects[i] != nullptr) cells[i] = read(py::handle(objects[i]));
  }
  return cells;
}

// Each row's outcome, column by column, filled by the rating threads.
struct Outcomes {
  explicit Outcomes(std::size_t rows, bool transit)
      : result(rows), status(rows), record_status(rows), field(rows), message(rows),
        accessorial_charges(rows),
        rate_basis(rows * 8), origin_state(rows * 4), destination_state(rows * 4),
        method(rows), total_weight(rows), billed_weight(rows), transit_days(rows),
        terminals(transit ? rows * 10 : 0) {
    for (auto& column : money) column.resize(rows);
  }

  enum Money { kGross, kDiscount, kNet, kMinimum, kMinimumDiscount, kFloor, kWeightTier,
               kZone, kHawaiian, kAmountDue, kFuelSurcharge, kAccessorialTotal,
               kMoneyColumns };

  void Keep(std::size_t row, brant_status rating, const brant_bill& b, const brant_error& e) {
    status[row] = rating;
    if (rating != BRANT_OK) {
      result[row] = kRefused;
      record_status[row] = e.record_status;
      field[row] = static_cast<int8_t>(e.field);
      message[row] = e.message;
      transit_days[row] = -1;
      return;
    }
    result[row] = b.warning_count > 0 ? kWarning : kRated;
    for (int i = 0; i < b.warning_count && i < BRANT_MAX_WARNINGS; ++i) {
      if (i > 0) message[row] += "; ";
      message[row] += b.warnings[i].message;
    }
    std::memcpy(&rate_basis[row * 8], b.rate_basis, 8);
    std::memcpy(&origin_state[row * 4], b.origin_state, 4);
    std::memcpy(&destination_state[row * 4], b.destination_state, 4);
    method[row] = static_cast<int8_t>(b.method);
    total_weight[row] = b.total_weight;
    billed_weight[row] = b.billed_weight;
    transit_days[row] = b.transit_days;
    if (!terminals.empty()) {
      std::memcpy(&terminals[row * 10], b.origin_terminal, 5);
      std::memcpy(&terminals[row * 10 + 5], b.destination_terminal, 5);
    }
    const int64_t values[kMoneyColumns] = {
        b.gross_cents, b.discount_cents, b.net_cents, b.minimum_charge_cents,
        b.minimum_discount_cents, b.floor_cents, b.weight_tier_cents, b.zone_charge_cents,
        b.hawaii_table1_cents + b.hawaii_table1_percent_cents + b.hawaii_other_cents +
            b.hawaii_other_percent_cents,
        b.amount_due_cents, b.fuel_surcharge_cents, AccessorialTotal(b)};
    for (int m = 0; m < kMoneyColumns; ++m) money[m][row] = values[m];
    // Each as CODE=AMOUNT joined by ";", as brant batch writes them.
    for (int i = 0; i < b.accessorial_count && i < BRANT_MAX_ACCESSORIALS; ++i) {
      const int64_t cents = b.accessorials[i].amount_cents;
      char amount[32];
      std::snprintf(amount, sizeof amount, "%s%lld.%02lld", cents < 0 ? "-" : "",
                    std::llabs(cents) / 100, std::llabs(cents) % 100);
      std::string& text = accessorial_charges[row];
      text.append(i > 0 ? ";" : "").append(b.accessorials[i].code).append("=").append(amount);
    }
  }

  static int64_t AccessorialTotal(const brant_bill& b) {
    int64_t total = 0;
    for (int i = 0; i < b.accessorial_count && i < BRANT_MAX_ACCESSORIALS; ++i) {
      total += b.accessorials[i].amount_cents;
    }
    return total;
  }

  std::vector<int8_t> result;
  std::vector<int32_t> status;
  std::vector<int32_t> record_status;
  std::vector<int8_t> field;
  std::vector<std::string> message;
  std::vector<std::string> accessorial_charges;
  std::vector<char> rate_basis, origin_state, destination_state;  // fixed-width texts
  std::vector<int8_t> method;
  std::vector<int32_t> total_weight, billed_weight, transit_days;
  std::vector<char> terminals;  // origin's five bytes, then the destination's
  std::vector<int64_t> money[kMoneyColumns];
};

// A vector handed to numpy without a copy: the array owns it.
template <typename T>
py::array_t<T> ToArray(std::vector<T>&& column) {
  auto* owned = new std::vector<T>(std::move(column));
  py::capsule free(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>(static_cast<py::ssize_t>(owned->size()), owned->data(), free);
}

// An object array of texts; `text(i)` gives row i's text. Equal short
// texts (states, results) share one Python string.
template <typename Text>
py::array TextArray(std::size_t rows, Text text) {
  py::array column = py::module_::import("numpy").attr("empty")(rows, "dtype"_a = "object");
  auto** objects = static_cast<PyObject**>(column.mutable_data());
  std::unordered_map<std::string, py::object> shared;
  for (std::size_t i = 0; i < rows; ++i) {
    const std::string_view value = text(i);
    py::object made;
    if (value.size() <= 8) {
      auto [at, added] = shared.try_emplace(std::string(value));
      if (added) at->second = py::str(value.data(), value.size());
      made = at->second;
    } else {
      made = py::str(value.data(), value.size());
    }
    PyObject* previous = objects[i];
    objects[i] = made.release().ptr();
    Py_XDECREF(previous);
  }
  return column;
}

// A fixed-width text of a column of them, up to its first NUL.
std::string_view FixedText(const std::vector<char>& texts, std::size_t row, std::size_t width) {
  const char* at = &texts[row * width];
  return {at, strnlen(at, width)};
}

}  // namespace

py::dict RateColumns(const OpenTariff& tariff, py::tuple origin, py::tuple destination,
                     py::list lines, const ShipmentOptions& options, int threads,
                     py::object ship_date, py::object accessorials) {
  if (lines.size() > BRANT_MAX_LINES) throw py::value_error("a shipment has at most 8 lines");
  if (origin.size() != 2) throw py::value_error("a column is a pair of values and missing flags");
  const std::size_t rows = py::len(origin[0]);

  // Every cell read while the lock is held.
  Cells store;
  auto text = [&](py::handle value) { return store.Text(value); };
  auto weight = [&](py::handle value) { return store.Weight(value); };
  const std::vector<TextCell> origins = ReadColumn<TextCell>(origin, rows, text);
  const std::vector<TextCell> destinations = ReadColumn<TextCell>(destination, rows, text);
  std::vector<std::vector<TextCell>> classes;
  std::vector<std::vector<WeightCell>> weights;
  for (py::handle line : lines) {
    const py::tuple parts = py::reinterpret_borrow<py::tuple>(line);
    if (parts.size() != 4) throw py::value_error("a line is its class pair and weight pair");
    classes.push_back(ReadColumn<TextCell>(py::make_tuple(parts[0], parts[1]), rows, text));
    weights.push_back(ReadColumn<WeightCell>(py::make_tuple(parts[2], parts[3]), rows, weight));
  }
  // Columns a frame may lack: then every row's cell is missing.
  auto optional = [&](const py::object& pair) {
    return pair.is_none() ? std::vector<TextCell>(rows) : ReadColumn<TextCell>(pair, rows, text);
  };
  const std::vector<TextCell> shipDates = optional(ship_date);
  const std::vector<TextCell> codes = optional(accessorials);

  Outcomes out(rows, options.transit_days);
  bool closed = false;
  std::atomic<bool> outOfMemory = false;
  {
    py::gil_scoped_release unlocked;
    std::shared_lock<std::shared_mutex> lock;
    const brant_tariff* open = tariff.Borrow(lock);
    closed = open == nullptr;
    std::atomic<std::size_t> next = 0;
    auto work = [&] {
      brant_bill bill;
      brant_error error;
      ShipmentCells cells;
      cells.line_count = static_cast<int>(classes.size());
      for (;;) {
        const std::size_t first = next.fetch_add(kChunkRows);
        if (first >= rows) return;
        const std::size_t last = std::min(rows, first + kChunkRows);
        for (std::size_t row = first; row < last; ++row) {
          cells.origin = origins[row];
          cells.destination = destinations[row];
          cells.ship_date = shipDates[row];
          cells.accessorials = codes[row];
          for (std::size_t l = 0; l < classes.size(); ++l) {
            cells.classes[l] = classes[l][row];
            cells.weights[l] = weights[l][row];
          }
          const brant_status status = RateCells(*open, cells, options, bill, error);
          try {
            out.Keep(row, status, bill, error);
          } catch (const std::bad_alloc&) {
            outOfMemory = true;
          }
        }
      }
    };
    if (!closed) {
      const std::size_t chunks = (rows + kChunkRows - 1) / kChunkRows;
      const std::size_t count = std::clamp<std::size_t>(
          std::min(static_cast<std::size_t>(std::max(threads, 1)), kMostThreads), 1,
          std::max<std::size_t>(chunks, 1));
      std::vector<std::thread> pool;
      pool.reserve(count);
      try {
        for (std::size_t t = 1; t < count; ++t) pool.emplace_back(work);
      } catch (const std::system_error&) {
        // No more threads to be had: the ones started, and this one, do the rows.
      }
      work();
      for (std::thread& thread : pool) thread.join();
    }
  }
  if (closed) throw py::value_error("the tariff is closed");
  if (outOfMemory) throw std::bad_alloc();

  static const char* const kResultNames[] = {"rated", "warning", "refused"};
  static const char* const kMoneyNames[] = {
      "gross_cents", "discount_cents", "net_cents", "minimum_charge_cents",
      "minimum_discount_cents", "floor_cents", "weight_tier_cents", "zone_charge_cents",
      "hawaiian_cents", "amount_due_cents", "fuel_surcharge_cents", "accessorial_total_cents"};
  auto fixed = [&](const std::vector<char>& texts, std::size_t width, std::size_t part = 0,
                   std::size_t parts = 1) {
    return TextArray(rows, [&](std::size_t i) {
      return FixedText(texts, i * parts + part, width);
    });
  };
  auto refusedOr = [&](std::size_t i, const char* text) {
    return std::string_view(out.result[i] == kRefused ? "" : text);
  };
  py::dict columns;
  columns["result"] = TextArray(rows, [&](std::size_t i) {
    return std::string_view(kResultNames[out.result[i]]);
  });
  columns["status"] = ToArray(std::move(out.status));
  columns["message"] = TextArray(rows, [&](std::size_t i) {
    return std::string_view(out.message[i]);
  });
  columns["field"] = TextArray(rows, [&](std::size_t i) {
    return std::string_view(out.result[i] == kRefused ? brant_field_name(static_cast<brant_field>(out.field[i])) : "");
  });
  columns["record_status"] = ToArray(std::move(out.record_status));
  columns["rate_basis"] = fixed(out.rate_basis, 8);
  columns["method"] = TextArray(rows, [&](std::size_t i) {
    return refusedOr(i, brant_method_name(static_cast<brant_method>(out.method[i])));
  });
  columns["origin_state"] = fixed(out.origin_state, 4);
  columns["destination_state"] = fixed(out.destination_state, 4);
  columns["total_weight"] = ToArray(std::move(out.total_weight));
  columns["billed_weight"] = ToArray(std::move(out.billed_weight));
  for (int m = 0; m < Outcomes::kMoneyColumns; ++m) {
    columns[kMoneyNames[m]] = ToArray(std::move(out.money[m]));
  }
  columns["accessorial_charges"] = TextArray(rows, [&](std::size_t i) {
    return std::string_view(out.accessorial_charges[i]);
  });
  columns["transit_days"] = ToArray(std::move(out.transit_days));
  if (options.transit_days) {
    columns["origin_terminal"] = fixed(out.terminals, 5, 0, 2);
    columns["destination_terminal"] = fixed(out.terminals, 5, 1, 2);
  }
  std::vector<uint8_t> refused(rows);
  for (std::size_t i = 0; i < rows; ++i) refused[i] = out.result[i] == kRefused;
  columns["refused"] = ToArray(std::move(refused));  // 0 or 1: a bool array by its bytes
  return columns;
}

}  // namespace brantpy
