// The Python module slugwell: what its parts share. The module is a thin
// layer over the library: the values of an input file become a `Well`
// checked by the input reader's own checks, and every evaluation runs the
// program's own model and time loop, so that the module computes the very
// numbers the command line prints.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "fio/capture.hpp"
#include "model/well_model.hpp"

namespace slug {
struct Observations;
}

namespace slug::python {

namespace py = pybind11;

// A well in its aquifer: the values as given and the model made of them.
struct Well {
    WellInput input;
    WellModel model;
    // The unsaturated zone's values were not given (a confined top, SY = 0):
    // they hold stand-ins that only pass the checks.
    bool zone_defaulted = false;
};

// The well of these values, checked by the checks of the input reader;
// raises ValueError with the checks' message.
Well checked_well(const WellInput& in);

// The Python object of a Well.
py::object well_object(const Well& w);

// An array-like of reals, flattened in C order.
using RealArray = py::array_t<double, py::array::c_style | py::array::forcecast>;
std::vector<double> flat_values(const RealArray& a);

// The observations as the data file reader would accept them: two arrays
// of one length, finite values, times greater than 0 and increasing;
// raises ValueError naming the first value that is not.
Observations observations(const RealArray& times, const RealArray& heads);

// Raises a Python exception of the given type with the message.
[[noreturn]] void raise(PyObject* type, const std::string& message);

// Issues a RuntimeWarning holding the log records that the evaluations
// wrote (the diagnostics the program writes to log.txt); nothing when none.
void warn_log_records(const WriteCapture& records);

// Threads of an evaluation: the given count (at least 1) or, for None,
// those of a run of the program (SLUGWELL_THREADS or all cores).
int thread_count(const py::object& threads);

void bind_well(py::module_& m);
void bind_fit(py::module_& m);
void bind_analyze(py::module_& m);

}  // namespace slug::python
