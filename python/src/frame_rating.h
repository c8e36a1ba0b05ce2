// A frame's shipments rated on several threads with the interpreter lock
// released, each row's bill or refusal kept in columns.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "cells.h"
#include "open_tariff.h"

namespace brantpy {

// Rates every row of the columns. `origin` and `destination` are each a
// (values, missing) pair of a 1-D object array and a bool array;
// `lines` a list of (class values, class missing, weight values, weight
// missing), one per line the frame has; `ship_date` and `accessorials`
// None or a pair each, a row's own when given. Returns a dict of numpy arrays,
// one per output column (see brantfunc/__init__.py). A row's refusal is
// in its columns; only a closed tariff, columns of the wrong shape or a
// lack of memory raise.
py::dict RateColumns(const OpenTariff& tariff, py::tuple origin, py::tuple destination,
                     py::list lines, const ShipmentOptions& options, int threads,
                     py::object ship_date, py::object accessorials);

}  // namespace brantpy
