// slugwell.analyze: the classical slug-test analyses of "slugwell analyze"
// (Hvorslev 1951 and Bouwer and Rice 1976 from the straight line of
// ln(H/Ho) against time; least-squares fits of K and Ss with the models of
// Cooper, Bredehoeft and Papadopulos 1967, of Hyder et al. 1994 and the
// full model) on observations given as arrays. One call of the engine of
// the command line gives the rows, so their values and the table are the
// command line's. Everything the module knows of that engine is in this file.
#include <pybind11/stl.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "analyze/analyze.hpp"
#include "analyze/analyze_report.hpp"
#include "fit/fit_data.hpp"
#include "python/well.hpp"

namespace slug::python {

namespace {

// The rows of one analysis with what its table needs.
struct PyAnalysis {
    std::vector<AnalyzeRow> rows;
    bool normalized = false;
    double ho = 0.0;
    std::size_t observations = 0;
};

// One row, kept with its analysis.
struct PyAnalyzeRow {
    AnalyzeRow r;
};

const char* method_key(AnalyzeMethod m) {
    switch (m) {
        case AnalyzeMethod::Hvorslev: return "hvorslev";
        case AnalyzeMethod::BouwerRice: return "bouwer_rice";
        case AnalyzeMethod::Cbp: return "cbp";
        case AnalyzeMethod::Kgs: return "kgs";
        case AnalyzeMethod::Full: return "full";
        case AnalyzeMethod::HighK: return "high_k";
    }
    return "";
}

bool straight(const AnalyzeRow& r) {
    return r.method == AnalyzeMethod::Hvorslev || r.method == AnalyzeMethod::BouwerRice;
}

py::object value_or_none(bool have, double v) { return have ? py::object(py::float_(v)) : py::object(py::none()); }

// A head range given as (lower, upper) of H/Ho, 0 < lower < upper <= 1.
HeadRange head_range(const py::object& range) {
    std::pair<double, double> p;
    try {
        p = range.cast<std::pair<double, double>>();
    } catch (const py::cast_error&) {
        raise(PyExc_TypeError, "range must be a pair (lower, upper) of H/Ho");
    }
    const HeadRange hr{p.first, p.second};
    if (!(std::isfinite(hr.lower) && std::isfinite(hr.upper) && hr.lower > 0.0 && hr.lower < hr.upper &&
          hr.upper <= 1.0))
        raise(PyExc_ValueError, "range = (" + py::repr(py::float_(hr.lower)).cast<std::string>() + ", " +
                                    py::repr(py::float_(hr.upper)).cast<std::string>() +
                                    "): expected 0 < lower < upper <= 1 (a range of H/Ho)");
    return hr;
}

PyAnalysis analyze(const Well& well, const RealArray& times, const RealArray& heads, bool normalized,
                   const py::object& range) {
    const Observations obs = observations(times, heads);
    if (obs.time.empty()) raise(PyExc_ValueError, "no observations: times and heads are empty");
    AnalyzeSettings settings;
    settings.normalized = normalized;
    if (!range.is_none()) settings.range = head_range(range);
    PyAnalysis out;
    out.normalized = normalized;
    out.ho = well.input.ho;
    out.observations = obs.time.size();
    WriteCapture records;
    {
        py::gil_scoped_release release;
        ScopedWriteCapture capture(&records);
        out.rows = analyze_record(well.input, obs, settings);
    }
    warn_log_records(records);
    return out;
}

std::string report(const PyAnalysis& a, const std::string& input_path, const std::string& data_path,
                   const std::string& title, const std::string& time_unit) {
    if (time_unit.empty()) raise(PyExc_ValueError, "time_unit: empty name");
    AnalyzeContext ctx;
    ctx.input_path = input_path;
    ctx.data_path = data_path;
    ctx.title = title;
    ctx.normalized = a.normalized;
    ctx.ho = a.ho;
    ctx.time_unit = time_unit;
    ctx.observations = a.observations;
    return analyze_report_text(ctx, a.rows);
}

std::string row_repr(const AnalyzeRow& r) {
    const auto shown = [](double v) { return py::repr(py::float_(v)).cast<std::string>(); };
    std::string s = "AnalyzeRow(" + py::repr(py::str(r.name)).cast<std::string>();
    if (straight(r)) s += ", range=(" + shown(r.range.lower) + ", " + shown(r.range.upper) + ")";
    if (!r.ok) return s + ", no estimate: " + py::repr(py::str(r.error)).cast<std::string>() + ")";
    s += ", k=" + shown(r.k);
    if (r.ss) s += ", ss=" + shown(*r.ss);
    return s + ")";
}

constexpr const char* kAnalyzeDoc = R"(The classical slug-test analyses side by side, as ``slugwell analyze``.

Hvorslev (1951) and Bouwer and Rice (1976) from the straight line of
ln(H/Ho) against time over Butler's (1998) recommended head ranges (and over
``range``); least-squares fits of K and Ss with the model of Cooper,
Bredehoeft and Papadopulos (1967) (confined, full screen), the KGS model
(Hyder et al. 1994: confined, the well's screen and KZ/KR) and the well's
full model, started from the Hvorslev K.

Parameters
----------
well : Well
    The well and aquifer (its KR is the start when Hvorslev gives no K).
times : array_like of float
    Observation times, > 0 and increasing.
heads : array_like of float
    Head displacements (length unit of ``well.ho``), or H/Ho with
    ``normalized=True``.
normalized : bool, default False
    The heads are H/Ho.
range : (float, float), optional
    A head range (lower, upper) of H/Ho, 0 < lower < upper <= 1, for two
    more straight-line rows (``--range``).

Returns
-------
Analysis
    The rows in the order of the command line's table; a method that gave
    no estimate has a row with ``ok`` False and the reason in ``error``.

Raises
------
ValueError
    Unusable observations or range.

Warns
-----
RuntimeWarning
    The diagnostics that a run writes to log.txt, when there are any.
)";

constexpr const char* kAnalysisDoc = R"(The outcome of :func:`analyze`: a sequence of
:class:`AnalyzeRow`, one per method in the order of the command line's table,
with ``report()`` giving that table.
)";

constexpr const char* kRowDoc = R"(One method's estimate, or why it gave none.

``ok`` is True when the method gave an estimate: ``k`` (KR in the well's
units) and, for the type-curve models, ``ss``. Straight-line rows have the
head ``range`` they use; the points, times, ``t0`` and ``r2`` are those of
the line. Model rows have the matched interval, ``rmse``, approximate 95 %
intervals ``k95`` and ``ss95`` and the fitted ``well``. Values a row does
not have are None.
)";

}  // namespace

void bind_analyze(py::module_& m) {
    py::class_<PyAnalyzeRow> row(m, "AnalyzeRow", kRowDoc);
    row.def_property_readonly("method", [](const PyAnalyzeRow& p) { return p.r.name; },
                              "The method's name, as in the table (e.g. 'Hvorslev (1951)').");
    row.def_property_readonly("key", [](const PyAnalyzeRow& p) { return std::string(method_key(p.r.method)); },
                              "hvorslev, bouwer_rice, cbp, kgs or full.");
    row.def_property_readonly("ok", [](const PyAnalyzeRow& p) { return p.r.ok; });
    row.def_property_readonly("error", [](const PyAnalyzeRow& p) { return p.r.ok ? std::string() : p.r.error; });
    row.def_property_readonly("k", [](const PyAnalyzeRow& p) { return value_or_none(p.r.ok, p.r.k); });
    row.def_property_readonly(
        "ss", [](const PyAnalyzeRow& p) { return value_or_none(p.r.ok && p.r.ss.has_value(), p.r.ss.value_or(0.0)); });
    row.def_property_readonly("notes", [](const PyAnalyzeRow& p) { return p.r.notes; });
    row.def_property_readonly("range", [](const PyAnalyzeRow& p) {
        return straight(p.r) ? py::object(py::make_tuple(p.r.range.lower, p.r.range.upper)) : py::object(py::none());
    });
    // The line's observations for a straight-line row with an estimate;
    // the matched observations for a model row.
    const auto have_line = [](const AnalyzeRow& r) { return straight(r) && r.ok && r.line.has_value(); };
    row.def_property_readonly("t_first", [have_line](const PyAnalyzeRow& p) {
        return have_line(p.r) ? py::object(py::float_(p.r.line->t_first)) : value_or_none(!straight(p.r), p.r.t_first);
    });
    row.def_property_readonly("t_last", [have_line](const PyAnalyzeRow& p) {
        return have_line(p.r) ? py::object(py::float_(p.r.line->t_last)) : value_or_none(!straight(p.r), p.r.t_last);
    });
    row.def_property_readonly("points", [have_line](const PyAnalyzeRow& p) {
        if (have_line(p.r)) return py::object(py::int_(p.r.line->used.size()));
        return straight(p.r) ? py::object(py::none()) : py::object(py::int_(p.r.points));
    });
    row.def_property_readonly("t0", [have_line](const PyAnalyzeRow& p) {
        return value_or_none(have_line(p.r), have_line(p.r) ? p.r.line->t0 : 0.0);
    }, "Basic time lag -1/slope of the line (Hvorslev 1951).");
    row.def_property_readonly("r2", [have_line](const PyAnalyzeRow& p) {
        return value_or_none(have_line(p.r), have_line(p.r) ? p.r.line->r2 : 0.0);
    }, "Coefficient of determination of the line.");
    const auto model_ok = [](const AnalyzeRow& r) { return !straight(r) && r.ok; };
    row.def_property_readonly("rmse", [model_ok](const PyAnalyzeRow& p) {
        return value_or_none(model_ok(p.r), p.r.rmse);
    }, "RMSE of the fit, in the unit of the heads.");
    row.def_property_readonly("k95", [model_ok](const PyAnalyzeRow& p) {
        return model_ok(p.r) ? py::object(py::make_tuple(p.r.k95[0], p.r.k95[1])) : py::object(py::none());
    });
    row.def_property_readonly("ss95", [model_ok](const PyAnalyzeRow& p) {
        return model_ok(p.r) ? py::object(py::make_tuple(p.r.ss95[0], p.r.ss95[1])) : py::object(py::none());
    });
    row.def_property_readonly("repeats", [](const PyAnalyzeRow& p) { return p.r.repeats; },
                              "The model is that of the row before for this well; its fit is repeated.");
    row.def_property_readonly("well", [model_ok](const PyAnalyzeRow& p) {
        return model_ok(p.r) ? well_object(Well{p.r.model, make_well_model(p.r.model)}) : py::object(py::none());
    }, "The fitted model as a Well (None for straight-line rows and rows without an estimate).");
    row.def("__repr__", [](const PyAnalyzeRow& p) { return row_repr(p.r); });

    py::class_<PyAnalysis> a(m, "Analysis", kAnalysisDoc);
    a.def("__len__", [](const PyAnalysis& x) { return x.rows.size(); });
    a.def("__getitem__", [](const PyAnalysis& x, py::ssize_t i) {
        const auto n = static_cast<py::ssize_t>(x.rows.size());
        if (i < 0) i += n;
        if (i < 0 || i >= n) throw py::index_error("row index out of range");
        return PyAnalyzeRow{x.rows[static_cast<std::size_t>(i)]};
    });
    const auto rows = [](const PyAnalysis& x) {
        py::list v;
        for (const AnalyzeRow& r : x.rows) v.append(py::cast(PyAnalyzeRow{r}));
        return v;
    };
    a.def_property_readonly("rows", rows, "The rows as a list.");
    a.def("__iter__", [rows](const PyAnalysis& x) { return py::iter(rows(x)); });
    a.def("report", &report, py::kw_only(), py::arg("input_path") = "", py::arg("data_path") = "",
          py::arg("title") = "", py::arg("time_unit") = "time units",
          "The table of ``slugwell analyze`` for these rows (what it prints after its count of observations).");
    a.def("__repr__", [](const PyAnalysis& x) {
        std::string s = "Analysis([";
        for (std::size_t i = 0; i < x.rows.size(); ++i) s += (i ? ", " : "") + row_repr(x.rows[i]);
        return s + "])";
    });

    m.def("analyze", &analyze, py::arg("well"), py::arg("times"), py::arg("heads"), py::arg("normalized") = false,
          py::arg("range") = py::none(), kAnalyzeDoc);
}

}  // namespace slug::python
