// slugwell.fit: the least-squares fit of "slugwell fit" (fit/fit_solve,
// trust-region Levenberg-Marquardt in the logarithms of the parameters)
// on observations given as arrays, and its result as a Python object. The
// fit's start values are the well's; its checks, verdicts and report are
// those of the command line. Everything the module knows of the fit engine
// is in this file.
#include <pybind11/stl.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "fit/fit_data.hpp"
#include "fit/fit_model.hpp"
#include "fit/fit_report.hpp"
#include "fit/fit_solve.hpp"
#include "python/well.hpp"

namespace slug::python {

namespace {

std::string shown(double v) { return py::repr(py::float_(v)).cast<std::string>(); }

}  // namespace

Observations observations(const RealArray& times, const RealArray& heads) {
    Observations obs;
    obs.time = flat_values(times);
    obs.value = flat_values(heads);
    if (obs.time.size() != obs.value.size())
        raise(PyExc_ValueError, "times and heads differ in length (" + std::to_string(obs.time.size()) + " and " +
                                    std::to_string(obs.value.size()) + ")");
    for (std::size_t i = 0; i < obs.time.size(); ++i) {
        const std::string at = "[" + std::to_string(i) + "] = ";
        if (!std::isfinite(obs.time[i])) raise(PyExc_ValueError, "times" + at + shown(obs.time[i]) + " is not finite");
        if (!std::isfinite(obs.value[i]))
            raise(PyExc_ValueError, "heads" + at + shown(obs.value[i]) + " is not finite");
        if (!(obs.time[i] > 0.0)) raise(PyExc_ValueError, "times" + at + shown(obs.time[i]) + " must be greater than 0");
        if (i > 0 && !(obs.time[i] > obs.time[i - 1]))
            raise(PyExc_ValueError, "times" + at + shown(obs.time[i]) + " does not follow times[" +
                                        std::to_string(i - 1) + "] = " + shown(obs.time[i - 1]) +
                                        ": times must increase");
        obs.line.push_back(static_cast<int>(i) + 1);
    }
    return obs;
}

namespace {

struct PyFitResult {
    FitResult r;
    Observations obs;
    bool normalized = false;
    WellInput start;
};

FitParam param_of(const std::string& word) {
    const auto p = parse_fit_param(word);
    if (!p) raise(PyExc_ValueError, "unknown parameter '" + word + "': one of kr, ss, kz, kzkr, hks, sy, u1, u2");
    return *p;
}

PyFitResult fit(const Well& well, const RealArray& times, const RealArray& heads,
                const std::vector<std::string>& params, bool normalized, const py::object& bounds,
                int max_iterations, bool accurate) {
    PyFitResult out;
    out.obs = observations(times, heads);
    out.normalized = normalized;
    out.start = well.input;
    FitOptions opt;
    opt.params.clear();
    for (const std::string& p : params) opt.params.push_back(param_of(p));
    opt.normalized = normalized;
    opt.max_iterations = max_iterations;
    if (!bounds.is_none()) {
        for (const auto& [key, value] : bounds.cast<py::dict>()) {
            const auto range = value.cast<std::pair<double, double>>();
            opt.bounds.push_back({param_of(py::str(key)), range.first, range.second});
        }
    }
    const BaseInput base{well.input, Numerics{}, WaterColumn{}, !accurate};
    if (const std::string why = check_fit_setup(base, out.obs, opt); !why.empty()) raise(PyExc_ValueError, why);
    WriteCapture records;
    {
        py::gil_scoped_release release;
        ScopedWriteCapture capture(&records);
        out.r = run_fit(base, out.obs, opt);
    }
    warn_log_records(records);
    return out;
}

// name -> f(j) over the estimated parameters, empty when the fit failed.
template <class F>
py::dict per_param(const PyFitResult& f, F value) {
    py::dict d;
    if (!f.r.ok) return d;
    for (std::size_t j = 0; j < f.r.params.size(); ++j) d[py::str(std::string(fit_param_name(f.r.params[j])))] = value(j);
    return d;
}

py::array_t<double> array_of(const std::vector<double>& v) {
    py::array_t<double> a(static_cast<py::ssize_t>(v.size()));
    std::copy(v.begin(), v.end(), a.mutable_data());
    return a;
}

py::object fitted_well(const PyFitResult& f) {
    if (!f.r.ok) return py::none();
    // The values of the forward run at the optimum (fit/fit_model model_for).
    WellInput in = f.start;
    in.kr = f.r.values.kr;
    in.ss = f.r.values.ss;
    in.sy = f.r.values.sy;
    in.kz = f.r.values.kz;
    in.hks = f.r.values.hks;
    in.u1 = f.r.values.u1;
    in.u2 = f.r.values.u2;
    return well_object(Well{in, make_well_model(in)});
}

std::string report(const PyFitResult& f, const std::string& input_path, const std::string& data_path,
                   const std::string& title) {
    FitReportContext ctx;
    ctx.input_path = input_path;
    ctx.data_path = data_path;
    ctx.title = title;
    ctx.normalized = f.normalized;
    ctx.wall_seconds = -1.0;
    return fit_report_text(ctx, f.obs, f.r);
}

std::string repr(const PyFitResult& f) {
    if (!f.r.ok) return "FitResult(converged=False, message=" + py::repr(py::str(f.r.error)).cast<std::string>() + ")";
    std::string s = "FitResult(converged=True";
    for (std::size_t j = 0; j < f.r.params.size(); ++j)
        s += ", " + std::string(fit_param_name(f.r.params[j])) + "=" + shown(f.r.estimate[j]);
    return s + ", rmse=" + shown(f.r.rmse) + ", warnings=" + std::to_string(f.r.warnings.size()) + ")";
}

constexpr const char* kFitDoc = R"(Estimates aquifer parameters from a slug test, as ``slugwell fit`` does.

The model's head is matched to the observations by trust-region
Levenberg-Marquardt in the logarithms of the parameters, from the values of
``well``; the uncertainty is the linearized one at the optimum.

Parameters
----------
well : Well
    The well and aquifer; the estimated values start from its values.
times : array_like of float
    Observation times, > 0 and increasing.
heads : array_like of float
    Head displacements (length unit of ``well.ho``), or H/Ho with
    ``normalized=True``.
params : sequence of str, default ("kr", "ss")
    Parameters to estimate: kr, ss, kz, kzkr (KZ/KR), hks, sy, u1, u2.
    Without kz or kzkr the anisotropy KZ/KR of ``well`` is held.
normalized : bool, default False
    The heads are H/Ho.
bounds : dict of str to (float, float), optional
    Lower and upper bound (0 < lower < upper) of estimated parameters.
max_iterations : int, default 100
    Iteration limit of the solver (``--max-iter``).
accurate : bool, default True
    Forward runs by the accurate response; False fits with the heads of the
    classic table (``--classic``).

Returns
-------
FitResult

Raises
------
ValueError
    Unusable observations, parameters or bounds (the command line's
    messages for the fit's set-up).

Warns
-----
RuntimeWarning
    The diagnostics that a run writes to log.txt, when there are any.
)";

constexpr const char* kResultDoc = R"(The outcome of :func:`fit`.

``converged`` is True only for a fit that reached a minimum; then
``estimates``, ``stderr`` and ``ci95`` (approximate 95 % intervals from the
Jacobian, in log space) hold every estimated parameter, and ``warnings`` the
identifiability and bound verdicts of ``slugwell fit``. Otherwise
``message`` says why, the dictionaries are empty and ``well`` is None.
)";

}  // namespace

void bind_fit(py::module_& m) {
    py::class_<PyFitResult> c(m, "FitResult", kResultDoc);
    c.def_property_readonly("converged", [](const PyFitResult& f) { return f.r.ok; });
    c.def_property_readonly(
        "message", [](const PyFitResult& f) { return f.r.ok ? f.r.stop_reason : f.r.error; },
        "Why the iteration stopped (converged) or why the fit failed.");
    c.def_property_readonly("params", [](const PyFitResult& f) {
        py::list names;
        for (FitParam p : f.r.params) names.append(std::string(fit_param_name(p)));
        return py::tuple(names);
    });
    c.def_property_readonly("estimates", [](const PyFitResult& f) {
        return per_param(f, [&](std::size_t j) { return f.r.estimate[j]; });
    });
    c.def_property_readonly(
        "stderr", [](const PyFitResult& f) { return per_param(f, [&](std::size_t j) { return f.r.se[j]; }); },
        "Standard errors (delta method); nan where the data do not determine them.");
    c.def_property_readonly("ci95", [](const PyFitResult& f) {
        return per_param(f, [&](std::size_t j) { return py::make_tuple(f.r.lower[j], f.r.upper[j]); });
    });
    c.def_property_readonly(
        "correlation",
        [](const PyFitResult& f) {
            const std::size_t n = f.r.ok ? f.r.params.size() : 0;
            py::array_t<double> a({static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(n)});
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t j = 0; j < n; ++j) a.mutable_at(i, j) = f.r.correlation[i][j];
            return a;
        },
        "Correlation matrix of the log parameters, in the order of ``params``.");
    c.def_property_readonly("rmse", [](const PyFitResult& f) { return f.r.ok ? f.r.rmse : std::nan(""); });
    c.def_property_readonly("sigma", [](const PyFitResult& f) { return f.r.ok ? f.r.sigma : std::nan(""); });
    c.def_property_readonly("warnings", [](const PyFitResult& f) { return f.r.warnings; });
    c.def_property_readonly("iterations", [](const PyFitResult& f) { return f.r.iterations; });
    c.def_property_readonly("forward_runs", [](const PyFitResult& f) { return f.r.forward_runs; });
    c.def_property_readonly("fitted", [](const PyFitResult& f) { return array_of(f.r.fitted); },
                            "The model at the observation times, in the units of the heads.");
    c.def_property_readonly("residuals", [](const PyFitResult& f) { return array_of(f.r.residual); });
    c.def_property_readonly("well", &fitted_well, "The well with the fitted values (None when not converged).");
    c.def("report", &report, py::kw_only(), py::arg("input_path") = "", py::arg("data_path") = "",
          py::arg("title") = "", "The report of ``slugwell fit`` (its fit.txt) for this fit, without the wall time.");
    c.def("__repr__", &repr);

    m.def("fit", &fit, py::arg("well"), py::arg("times"), py::arg("heads"),
          py::arg("params") = std::vector<std::string>{"kr", "ss"}, py::arg("normalized") = false,
          py::arg("bounds") = py::none(), py::kw_only(), py::arg("max_iterations") = 100, py::arg("accurate") = true, kFitDoc);
}

}  // namespace slug::python
