// The Python module slugwell: the slug-test model of the slugwell program,
// its time loop and its fit, from Python (numpy arrays in and out).
#include "python/well.hpp"

#ifndef SLUG_VERSION
#define SLUG_VERSION "0.1.0"
#endif

PYBIND11_MODULE(slugwell, m) {
    m.doc() = R"(The slug-test model of slugwell from Python.

Well
    A well in its aquifer (the values of an input file), with ``head``,
    ``drawdown`` and ``laplace``; ``Well.from_file`` reads an input file.
fit
    Estimates aquifer parameters from observed heads, as ``slugwell fit``.
analyze
    The classical slug-test analyses side by side, as ``slugwell analyze``.
)";
    m.attr("__version__") = SLUG_VERSION;
    slug::python::bind_well(m);
    slug::python::bind_fit(m);
    slug::python::bind_analyze(m);
}
