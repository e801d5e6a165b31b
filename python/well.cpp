// slugwell.Well: the values of an input file as a Python object, checked by
// the input reader's checks, with the head of the classic time loop (the
// de Hoog, Knight and Stokes inversion of the Laplace-domain response at
// every time, on the run's threads) and the Laplace-domain response itself.
// The evaluations release the GIL; the model is a value, so wells may be
// evaluated from several Python threads at once. Their log records (the
// diagnostics a run writes to log.txt) are captured on the calling thread
// and become a RuntimeWarning; no file is written.
#include "python/well.hpp"

#include <pybind11/complex.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "fio/fio.hpp"
#include "model/laplace_head.hpp"
#include "report/model_log.hpp"
#include "run/accurate_response.hpp"
#include "run/accurate_run.hpp"
#include "run/input_check.hpp"
#include "run/input_reader.hpp"
#include "run/run_options.hpp"
#include "run/time_loop.hpp"

namespace slug::python {

namespace {

// The values of an input file in the order of its lines.
struct Field {
    const char* name;
    double WellInput::*member;
};
constexpr Field kFields[] = {
    {"bb", &WellInput::bb},   {"kr", &WellInput::kr},   {"kz", &WellInput::kz},   {"hks", &WellInput::hks},
    {"ss", &WellInput::ss},   {"sy", &WellInput::sy},   {"u1", &WellInput::u1},   {"u2", &WellInput::u2},
    {"u3", &WellInput::u3},   {"u4", &WellInput::u4},   {"ho", &WellInput::ho},   {"rw", &WellInput::rw},
    {"rc", &WellInput::rc},   {"zpd", &WellInput::zpd}, {"zpl", &WellInput::zpl}, {"ds", &WellInput::ds},
};

std::string real_repr(double v) { return py::repr(py::float_(v)).cast<std::string>(); }

std::string e2(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2E", v);
    return buf;
}

// ---- reading an input file ------------------------------------------

// The reader's fatal conditions (a file that cannot be opened, or that ends
// too early) end a run of the program; here they unwind to the caller.
struct ReadAbort {
    std::string what;
};
[[noreturn]] void abort_read(const std::string& what, int, const std::string&) { throw ReadAbort{what}; }

// The unit table and the fatal handler are the program's, one per process:
// one file is read at a time.
std::mutex g_reader;

py::tuple from_file(const std::filesystem::path& file) {
    const std::string path = file.string();
    if (path.size() > kLongestInputName) raise(PyExc_ValueError, "input file name too long: " + path.substr(0, 80) + "...");
    if (path.find('\0') != std::string::npos) raise(PyExc_ValueError, "an input file name cannot hold a NUL byte");
    InputValues values;
    std::string failure;
    {
        std::lock_guard lock(g_reader);
        WriteCapture echo;  // the reader's console echo, not shown
        ScopedWriteCapture capture(&echo);
        // The program's handler and a closed unit again, however the read ends.
        struct Restore {
            FatalHandler previous = set_fatal_handler(abort_read);
            ~Restore() {
                set_fatal_handler(previous);
                close_unit(kInputUnit);
            }
        } restore;
        try {
            values = read_input(path);
        } catch (const ReadAbort& a) {
            failure = a.what;
        }
    }
    if (!failure.empty()) {
        if (failure.rfind("open:", 0) == 0) {
            std::error_code ec;
            raise(std::filesystem::exists(file, ec) ? PyExc_OSError : PyExc_FileNotFoundError,
                  "cannot read the input file " + path + ": " + failure);
        }
        raise(PyExc_ValueError, "the input file " + path + " ends before all its values are read (" + failure + ")");
    }
    if (values.input_error)
        raise(PyExc_ValueError, "input error in " + path + ": data line " + std::to_string(values.error_line) +
                                    " does not hold the numbers it should");
    const WellModel model = make_well_model(values.well);
    if (const std::string why = check_input(values, model); !why.empty())
        raise(PyExc_ValueError, "input error in " + path + ": " + why);
    py::array_t<double> times(static_cast<py::ssize_t>(values.times.size()));
    std::copy(values.times.begin(), values.times.end(), times.mutable_data());
    return py::make_tuple(well_object(Well{values.well, model}), times);
}

// ---- evaluations ------------------------------------------------------

// Times at which the time loop can be run: finite and greater than 0.
void check_times(const std::vector<double>& t) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        const std::string item = "times[" + std::to_string(i) + "] = " + real_repr(t[i]);
        if (!std::isfinite(t[i])) raise(PyExc_ValueError, item + " (output time) is not a finite number");
        if (!(t[i] > 0.0)) raise(PyExc_ValueError, item + " (output time) must be greater than 0");
    }
}

struct Heads {
    std::vector<double> ratio;     // H/Ho
    std::vector<double> drawdown;  // HO * H/Ho as the run forms it
    std::vector<double> estimate;  // error estimate of H/Ho (accurate response)
};

// The classic time loop at the times, in their order. The loop holds at
// most kMaxOutputTimes times; longer lists go in runs of that size (every
// time is inverted on its own, so the values do not depend on the split).
Heads classic_heads(const Well& w, const std::vector<double>& t, int threads) {
    Heads h{std::vector<double>(t.size()), std::vector<double>(t.size()), {}};
    WriteCapture records;
    bool root_failure = false;
    {
        py::gil_scoped_release release;
        ScopedWriteCapture capture(&records);
        time_loop::Results r;
        try {
            for (std::size_t start = 0; start < t.size(); start += kMaxOutputTimes) {
                const std::size_t n = std::min<std::size_t>(kMaxOutputTimes, t.size() - start);
                time_loop::compute_results(w.model, std::span(t).subspan(start, n), r, threads);
                // The loop stores its results from the last time to the first.
                for (std::size_t k = 0; k < n; ++k) {
                    h.ratio[start + n - 1 - k] = r.ratio[k];
                    h.drawdown[start + n - 1 - k] = r.drawdown[k];
                }
            }
        } catch (const RootIterationFailure&) {
            root_failure = true;
        }
    }
    warn_log_records(records);
    if (root_failure)
        raise(PyExc_RuntimeError,
              "the model has no value: its root iteration did not converge (Newton-Raphson iterations exceed 100)");
    return h;
}

py::array_t<double> shaped_like(const RealArray& like, const std::vector<double>& v) {
    std::vector<py::ssize_t> shape(like.shape(), like.shape() + like.ndim());
    py::array_t<double> out(shape);
    std::copy(v.begin(), v.end(), out.mutable_data());
    return out;
}

// The accurate response at the times (run/accurate_response: the converged
// series and the grouped de Hoog inversion), as the run's --accurate table
// shows it: evaluated last time first, as the run does, with all the times
// in one call (its inversion groups the times by log cycle). A value whose
// error estimate exceeds the accuracy the mode stands for, or has none, is
// named in a RuntimeWarning, as the run names it on the error stream.
Heads accurate_heads(const Well& w, const std::vector<double>& t, int threads) {
    const std::size_t n = t.size();
    Heads h{std::vector<double>(n), std::vector<double>(n), std::vector<double>(n)};
    if (n == 0) return h;
    const std::vector<double> order(t.rbegin(), t.rend());
    AccurateResponse a;
    bool root_failure = false;
    {
        py::gil_scoped_release release;
        try {
            a = accurate_response(w.model, order, threads);
        } catch (const RootIterationFailure&) {
            root_failure = true;
        }
    }
    if (root_failure)
        raise(PyExc_RuntimeError,
              "the model has no value: its root iteration did not converge (Newton-Raphson iterations exceed 100)");
    std::string inaccurate;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = n - 1 - k;
        const double ratio = accurate_shown(a.h_over_ho[k]);
        h.ratio[i] = ratio;
        h.drawdown[i] = w.model.HO * ratio;
        h.estimate[i] = a.error_estimate[k];
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double e = h.estimate[i];
        if (e <= kAccurateTarget || !std::isfinite(h.ratio[i])) continue;
        // The words and numbers of the run's note.
        inaccurate += "H/Ho at time " + format_real_g9(t[i]) +
                      (std::isfinite(e) ? " has an error estimate of " + e2(e) + ", above " + e2(kAccurateTarget)
                                        : std::string(" has no error estimate: the response could not be resolved there")) +
                      "\n";
    }
    if (!inaccurate.empty() && PyErr_WarnEx(PyExc_RuntimeWarning, inaccurate.c_str(), 1) != 0)
        throw py::error_already_set();
    return h;
}

Heads heads(const Well& w, const RealArray& times, bool accurate, const py::object& threads) {
    const std::vector<double> t = flat_values(times);
    check_times(t);
    return accurate ? accurate_heads(w, t, thread_count(threads)) : classic_heads(w, t, thread_count(threads));
}

py::object head(const Well& w, const RealArray& times, bool accurate, const py::object& threads,
                bool return_error) {
    if (return_error && !accurate) raise(PyExc_ValueError, "return_error=True needs accurate=True");
    const Heads h = heads(w, times, accurate, threads);
    if (return_error) return py::make_tuple(shaped_like(times, h.ratio), shaped_like(times, h.estimate));
    return shaped_like(times, h.ratio);
}

py::array_t<double> drawdown(const Well& w, const RealArray& times, bool accurate, const py::object& threads) {
    return shaped_like(times, heads(w, times, accurate, threads).drawdown);
}

using ComplexArray = py::array_t<std::complex<double>, py::array::c_style | py::array::forcecast>;

py::array_t<std::complex<double>> laplace(const Well& w, const ComplexArray& p) {
    const std::size_t n = static_cast<std::size_t>(p.size());
    const std::complex<double>* in = p.data();
    std::vector<std::complex<double>> f(n);
    WriteCapture records;
    std::optional<std::complex<double>> failed_at;
    {
        py::gil_scoped_release release;
        ScopedWriteCapture capture(&records);
        for (std::size_t i = 0; i < n && !failed_at; ++i) {
            ModelLog log;
            try {
                f[i] = laplace_head(w.model, in[i], &log);
            } catch (const RootIterationFailure&) {
                failed_at = in[i];
            }
            write_model_log(log);
        }
    }
    warn_log_records(records);
    if (failed_at)
        raise(PyExc_RuntimeError, "the model has no value at p = " + real_repr(failed_at->real()) + " + " +
                                      real_repr(failed_at->imag()) +
                                      "j: its root iteration did not converge (Newton-Raphson iterations exceed 100)");
    std::vector<py::ssize_t> shape(p.shape(), p.shape() + p.ndim());
    py::array_t<std::complex<double>> out(shape);
    std::copy(f.begin(), f.end(), out.mutable_data());
    return out;
}

// ---- construction -----------------------------------------------------

Well construct(double bb, double kr, double kz, double hks, double ss, double sy, std::optional<double> u1,
               std::optional<double> u2, std::optional<double> u3, std::optional<double> u4, double ho, double rw,
               double rc, double zpd, double zpl, double ds) {
    // With SY = 0 the top is confined: the unsaturated zone is not coupled
    // (its coefficient is 0 at every p), and its values only need to pass
    // the checks.
    const std::pair<const char*, std::optional<double>> zone[] = {{"u1", u1}, {"u2", u2}, {"u3", u3}, {"u4", u4}};
    for (const auto& [name, v] : zone)
        if (!v && sy != 0.0)
            raise(PyExc_TypeError, std::string("Well(): ") + name +
                                       " is needed when sy is not 0 (the unsaturated zone is then coupled)");
    const WellInput in{bb, kr, kz, hks, ss, sy, u1.value_or(1.0), u2.value_or(1.0), u3.value_or(1.0),
                       u4.value_or(1.0), ho, rw, rc, zpd, zpl, ds};
    Well w = checked_well(in);
    w.zone_defaulted = !u1 || !u2 || !u3 || !u4;
    return w;
}

Well replace(const Well& w, const py::kwargs& changes) {
    WellInput in = w.input;
    for (const auto& [key, value] : changes) {
        const std::string name = py::str(key);
        const auto f = std::find_if(std::begin(kFields), std::end(kFields),
                                    [&](const Field& x) { return name == x.name; });
        if (f == std::end(kFields)) raise(PyExc_TypeError, "replace(): Well has no value '" + name + "'");
        in.*(f->member) = value.cast<double>();
    }
    // A well made without the unsaturated zone's values cannot be given a
    // water table unless they come with it.
    bool zone_given = true;
    for (const char* name : {"u1", "u2", "u3", "u4"}) zone_given = zone_given && changes.contains(name);
    if (w.zone_defaulted && in.sy != 0.0 && !zone_given)
        raise(PyExc_TypeError, "replace(): u1, u2, u3 and u4 are needed with sy not 0 (this well was made without them)");
    Well out = checked_well(in);
    out.zone_defaulted = w.zone_defaulted && !zone_given;
    return out;
}

std::string repr(const Well& w) {
    std::string s = "Well(";
    for (const Field& f : kFields) {
        if (f.member != &WellInput::bb) s += ", ";
        s += std::string(f.name) + "=" + real_repr(w.input.*(f.member));
    }
    return s + ")";
}

py::dict groups(const Well& w) {
    const WellModel& m = w.model;
    py::dict d;
    const std::pair<const char*, double> items[] = {
        {"SL", m.SL},   {"HOB", m.HOB}, {"XKD", m.XKD}, {"CCD", m.CCD}, {"SW", m.SW},
        {"XLD", m.XLD}, {"XDD", m.XDD}, {"UA1", m.UA1}, {"UA2", m.UA2}, {"UL1", m.UL1},
        {"UL2", m.UL2}, {"XKD2", m.XKD2}, {"TC", m.TC},
    };
    for (const auto& [name, v] : items) d[name] = v;
    return d;
}

constexpr const char* kWellDoc = R"(A slug-test well in its aquifer.

The values and their meanings are those of the input file of the
``slugwell`` program, in one consistent set of units (lengths L,
conductivities L/T, specific storage 1/L; times are then in T).

Parameters
----------
bb : float
    Saturated thickness of the aquifer, > 0.
kr, kz : float
    Radial and vertical hydraulic conductivity, > 0.
hks : float, default 0
    Hydraulic conductivity of the skin; 0 or less: no skin.
ss : float
    Specific storage, >= 0.
sy : float, default 0
    Specific yield of the water table, >= 0; 0 makes the top confined.
u1, u2 : float, optional
    Decay rates of the moisture capacity (> 0) and of the conductivity
    (>= 0) of the unsaturated zone with height. Needed when ``sy`` is not 0.
u3, u4 : float, optional
    Thickness of the unsaturated zone, and the thickness at and above which
    it counts as unbounded (both >= 0). Needed when ``sy`` is not 0.
ho : float
    Initial displacement of the water level (the slug), not 0.
rw, rc : float
    Screen radius and casing radius, > 0.
zpd, zpl : float
    Depths of the screen top and bottom below the top of the aquifer.
ds : float, default 0
    Thickness of the skin.

Raises
------
ValueError
    For the first value (in the order of the input file) that the model
    cannot use, with the message of the program's input checks.

Examples
--------
>>> w = slugwell.Well(bb=10.0, kr=2.5e-4, kz=2.5e-5, ss=1e-4, ho=0.5,
...                   rw=0.05, rc=0.05, zpd=0.0, zpl=10.0)
>>> w.head([1.0, 10.0], accurate=False)
array([0.57295541, 0.04820705])
)";

constexpr const char* kHeadDoc = R"(Normalized head H/Ho in the well at the given times.

Parameters
----------
times : array_like of float
    Times since the slug (time unit of the conductivities), each > 0.
accurate : bool, default True
    True: the accurate response (the converged series and the grouped de
    Hoog inversion, an error estimate per time; the values of the command
    line's ``--accurate`` table, bit for bit, for up to its 200 times).
    False: the classic time loop, the values of the command line's table
    and CSV, bit for bit.
threads : int, optional
    Threads of the evaluation; default: SLUGWELL_THREADS, else all cores.
    The values do not depend on it.
return_error : bool, default False
    Also return the error estimate of each value (accurate=True only).

Returns
-------
numpy.ndarray, or (numpy.ndarray, numpy.ndarray)
    H/Ho, of the shape of ``times``; with ``return_error`` also the
    estimated absolute error of each value (inf where none could be made).
    In the classic loop, heads below the inversion's resolution (H/BB
    under 1e-5 in magnitude) are 0, as in the table; the accurate response
    has no such clamp.

Raises
------
ValueError
    A time that is not finite or not greater than 0.
RuntimeError
    The model's root iteration did not converge.

Warns
-----
RuntimeWarning
    accurate=True: the times whose error estimate is above 1e-8 (the
    accuracy the mode stands for) or could not be made. accurate=False: the
    diagnostics that a run writes to log.txt, when there are any.
)";

constexpr const char* kDrawdownDoc = R"(Head displacement H = Ho * H/Ho in the well at the given times.

Parameters and errors as for :meth:`head`; the values are those of the
command line's drawdown column (length unit of ``ho``).
)";

constexpr const char* kLaplaceDoc = R"(The Laplace transform of the model's response.

Parameters
----------
p : array_like of complex
    Values of the transform variable of the dimensionless time t/TC
    (``groups["TC"]`` is the time scale TC).

Returns
-------
numpy.ndarray of complex
    F(p), the transform of H/BB (the head over the aquifer thickness) in
    dimensionless time; H/Ho = BB/Ho times its inverse. Shape of ``p``.

Raises
------
RuntimeError
    The model's root iteration did not converge at a value of ``p``.
)";

constexpr const char* kFromFileDoc = R"(Reads an input file of the ``slugwell`` program.

The file is read by the program's own reader and checked by its checks;
nothing is printed and no file is written.

Parameters
----------
path : str or os.PathLike
    The input file.

Returns
-------
(Well, numpy.ndarray)
    The well and the file's output times.

Raises
------
FileNotFoundError, OSError
    The file cannot be opened.
ValueError
    The file ends too early, a line does not hold numbers, or a value is
    unusable (the message of the program's input checks).
)";

}  // namespace

void raise(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

Well checked_well(const WellInput& in) {
    InputValues values;
    values.well = in;
    Well w{in, make_well_model(in)};
    if (const std::string why = check_input(values, w.model); !why.empty()) raise(PyExc_ValueError, why);
    return w;
}

py::object well_object(const Well& w) { return py::cast(w); }

std::vector<double> flat_values(const RealArray& a) { return std::vector<double>(a.data(), a.data() + a.size()); }

void warn_log_records(const WriteCapture& records) {
    if (records.empty()) return;
    std::string text = "the model's evaluations reported (records of log.txt):\n";
    for (const CapturedWrite& r : records) text += r.text;
    if (PyErr_WarnEx(PyExc_RuntimeWarning, text.c_str(), 1) != 0) throw py::error_already_set();
}

int thread_count(const py::object& threads) {
    if (threads.is_none()) return time_loop::worker_count();
    const long n = threads.cast<long>();
    if (n < 1) raise(PyExc_ValueError, "threads = " + std::to_string(n) + " must be at least 1");
    return static_cast<int>(std::min(n, 256L));
}

void bind_well(py::module_& m) {
    py::class_<Well> c(m, "Well", kWellDoc);
    c.def(py::init(&construct), py::kw_only(), py::arg("bb"), py::arg("kr"), py::arg("kz"), py::arg("hks") = 0.0,
          py::arg("ss"), py::arg("sy") = 0.0, py::arg("u1") = py::none(), py::arg("u2") = py::none(),
          py::arg("u3") = py::none(), py::arg("u4") = py::none(), py::arg("ho"), py::arg("rw"), py::arg("rc"),
          py::arg("zpd"), py::arg("zpl"), py::arg("ds") = 0.0);
    for (const Field& f : kFields) {
        const auto member = f.member;
        c.def_property_readonly(f.name, [member](const Well& w) { return w.input.*member; });
    }
    c.def_static("from_file", &from_file, py::arg("path"), kFromFileDoc);
    c.def("head", &head, py::arg("times"), py::kw_only(), py::arg("accurate") = true,
          py::arg("threads") = py::none(), py::arg("return_error") = false, kHeadDoc);
    c.def("drawdown", &drawdown, py::arg("times"), py::kw_only(), py::arg("accurate") = true,
          py::arg("threads") = py::none(), kDrawdownDoc);
    c.def("laplace", &laplace, py::arg("p"), kLaplaceDoc);
    c.def("replace", &replace,
          "A copy with some values changed, e.g. ``w.replace(kr=1e-4)``; checked like a new Well.");
    c.def_property_readonly("groups", &groups,
                            "The model's dimensionless groups (SL, HOB, XKD, CCD, SW, XLD, XDD, UA1, UA2, UL1, "
                            "UL2, XKD2) and the time scale TC, as the program's echo names them.");
    c.def("__repr__", &repr);
    c.def("__eq__", [](const Well& a, const Well& b) {
        return std::all_of(std::begin(kFields), std::end(kFields),
                           [&](const Field& f) { return a.input.*(f.member) == b.input.*(f.member); });
    });
}

}  // namespace slug::python
