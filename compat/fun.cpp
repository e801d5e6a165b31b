// The classic entry points fun and unsatzone over the parameter blocks: a
// thin adapter that copies the blocks into a WellModel and evaluates the
// model (model/laplace_head, model/unsat_coefficient), then does what the
// classic routines did with the model's events: the unsaturated zone's
// diagnostics go to log.txt at once, and a root iteration that does not
// converge ends the run with its message, or is thrown as RootFailure
// under a DeferRootFailure guard.
#include "compat/fun.hpp"

#include "compat/params.hpp"
#include "fio/fio.hpp"
#include "model/laplace_head.hpp"
#include "model/unsat_coefficient.hpp"
#include "report/model_log.hpp"

namespace slug {

namespace {

// Set on a thread while a DeferRootFailure guard is alive there.
thread_local bool t_defer_failure = false;

}  // namespace

namespace fun_detail {

DeferRootFailure::DeferRootFailure() : previous_(t_defer_failure) { t_defer_failure = true; }
DeferRootFailure::~DeferRootFailure() { t_defer_failure = previous_; }

void report_root_failure() {
    write_root_failure_message(iounit.IOUT);
    stop_run(1);
}

}  // namespace fun_detail

WellModel model_from_blocks() {
    WellModel m;
    m.BB = par5.BB;
    m.KR = par5.KR;
    m.SS = par5.SS;
    m.SY = par5.SY;
    m.RW = par5.RW;
    m.HO = par5.HO;
    m.RC = par5.RC;
    m.SL = par5.SL;
    m.HOB = par5.HOB;
    m.XKD = par5.XKD;
    m.CCD = par6.CCD;
    m.SW = par6.SW;
    m.XLD = par11.XLD;
    m.XDD = par11.XDD;
    m.UA1 = par13.UA1;
    m.UA2 = par13.UA2;
    m.UL1 = par13.UL1;
    m.UL2 = par13.UL2;
    m.XKD2 = par13.XKD2;
    m.TC = par14.TC;
    m.numerics.NTERM = par2.NTERM;
    m.numerics.NINV = par2.NINV;
    m.numerics.MINV = par2.MINV;
    m.numerics.EPS = par7.EPS;
    m.numerics.TOLINV = par7.TOLINV;
    return m;
}

void fun(std::complex<double>& p, std::complex<double>& fp) {
    const WellModel m = model_from_blocks();
    ModelLog log;
    try {
        fp = laplace_head(m, p, &log);
    } catch (const RootIterationFailure&) {
        // The zone's records come before the failure, as they were written.
        write_model_log(log);
        if (t_defer_failure) throw fun_detail::RootFailure{};
        fun_detail::report_root_failure();
    }
    write_model_log(log);
}

void unsatzone(const std::complex<double>& pp, std::complex<double>& u) {
    const WellModel m = model_from_blocks();
    ModelLog log;
    u = unsat_coefficient(m, pp, &log);
    write_model_log(log);
}

}  // namespace slug
