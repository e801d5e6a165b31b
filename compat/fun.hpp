// The classic entry points of the well response over the parameter blocks
// of compat/params.hpp, for programs that set the blocks and hand `fun` to
// the inverter `lapadc` as a plain function pointer. Each call reads the
// blocks as they are at that moment into a WellModel, field by field, and
// evaluates the model, so that the values are those of laplace_head and
// unsat_coefficient bit for bit.
#pragma once

#include <complex>

#include "model/well_model.hpp"

namespace slug {

// F(p) for one value p of the transform variable (dimensionless time
// t/TC), from the blocks. The unsaturated zone's diagnostics go to log.txt
// (unit 51) as they occur. A root iteration that does not converge writes
// " PROGRAM STOPPED BECAUSE NEWTON-RAPHSON ITERATIONS EXCEED 100" to the
// results unit IOUT and to the error stream and ends the run with status 1
// (or throws fun_detail::RootFailure under a DeferRootFailure guard).
void fun(std::complex<double>& p, std::complex<double>& fp);

// U = -phi'(0)/phi(0) of the unsaturated zone for the scaled transform
// variable pp, from block par13; diagnostics to log.txt.
void unsatzone(const std::complex<double>& pp, std::complex<double>& u);

// The model the blocks describe, copied field by field (no derivation).
WellModel model_from_blocks();

namespace fun_detail {

// A root iteration that did not converge, thrown instead of ending the run
// while a DeferRootFailure guard is alive on the calling thread.
struct RootFailure {};

// For its lifetime, fun on the calling thread throws RootFailure where it
// would otherwise report the failure and end the run.
class DeferRootFailure {
public:
    DeferRootFailure();
    ~DeferRootFailure();
    DeferRootFailure(const DeferRootFailure&) = delete;
    DeferRootFailure& operator=(const DeferRootFailure&) = delete;

private:
    bool previous_;
};

// The failure of the root iteration: the message line in the results file
// IOUT (and on the error stream), then the end of the run with status 1.
[[noreturn]] void report_root_failure();

}  // namespace fun_detail

}  // namespace slug
