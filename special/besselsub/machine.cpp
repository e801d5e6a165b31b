// Machine-constant tables (IEEE 754 double and single formats), the
// derived limits of the Bessel package, and its error-message writer.
// Table layout after P. A. Fox, A. D. Hall and N. L. Schryer, "Algorithm
// 528: Framework for a portable library", ACM Trans. Math. Software 4
// (1978) 177-188.
#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fio/fio.hpp"

namespace slug {

int i1mach(int i) {
    static constexpr int table[16] = {4,  7,   7,    0,  32,   4,    2,  31,
                                      2147483647, 2, 24, -126, 127, 53, -1022, 1023};
    if (i < 1 || i > 16) {
        std::fprintf(stderr, " I1MACH - I OUT OF BOUNDS %d\n", i);
        std::fflush(stderr);
        stop_run(1);
    }
    return table[i - 1];
}

double d1mach(int i) {
    static constexpr double table[5] = {2.2250738585072014e-308, 1.7976931348623157e308,
                                        1.1102230246251565e-16, 2.220446049250313e-16,
                                        0.3010299956639812};
    if (i < 1 || i > 5) {
        xerror("D1MACH -- I OUT OF BOUNDS", 25, 1, 2);
        return 0.0;
    }
    return table[i - 1];
}

float r1mach(int i) {
    static constexpr float table[5] = {1.1754943508222875e-38f, 3.4028234663852886e38f,
                                       5.960464477539063e-08f, 1.1920928955078125e-07f,
                                       0.3010299801826477f};
    if (i < 1 || i > 5) {
        xerror("R1MACH -- I OUT OF BOUNDS", 25, 1, 2);
        return 0.0f;
    }
    return table[i - 1];
}

void xerror(const char* messg, int nmessg, int /*nerr*/, int /*level*/) {
    // Format "(/)" gives two empty records; the message follows in pieces
    // of at most 70 characters, one list-directed record each.
    std::string msg(messg, static_cast<std::size_t>(std::max(nmessg, 0)));
    std::string out = "\n\n";
    for (std::size_t k = 0; k < msg.size(); k += 70) out += format_list({std::string_view(msg).substr(k, 70)});
    out += "\n\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
}

namespace amos {

Limits limits() {
    Limits l{};
    l.tol = std::max(d1mach(4), 1.0e-18);
    const int k = std::min(std::abs(i1mach(15)), std::abs(i1mach(16)));
    const double r1m5 = d1mach(5);
    l.elim = 2.303 * (k * r1m5 - 3.0);
    const double aa = r1m5 * (i1mach(14) - 1);
    l.alim = l.elim + std::max(-2.303 * aa, -41.45);
    l.dig = std::min(aa, 18.0);
    l.rl = 1.2 * l.dig + 3.0;
    l.fnul = 10.0 + 6.0 * (l.dig - 3.0);
    l.aa = std::min(0.5 / l.tol, 0.5 * i1mach(9));
    l.aa_sqrt = std::sqrt(l.aa);
    return l;
}

bool entry_checks(double zr, double zi, double fnu, int kode, int n, bool zero_is_error, Limits& lim, int& nz,
                  int& ierr) {
    ierr = 0;
    nz = 0;
    // A NaN argument or order is an input error too: it would otherwise
    // pass every range test and come back as a value with IERR 0.
    if (std::isnan(zr) || std::isnan(zi) || std::isnan(fnu) || (zero_is_error && zr == 0.0 && zi == 0.0) ||
        fnu < 0.0 || kode < 1 || kode > 2 || n < 1) {
        ierr = 1;
        return false;
    }
    lim = limits();
    const double az = zabs(cplx(zr, zi));
    const double fn = fnu + (n - 1);
    if (az > lim.aa || fn > lim.aa) {
        ierr = 4;
        return false;
    }
    if (az > lim.aa_sqrt || fn > lim.aa_sqrt) ierr = 3;
    return true;
}

}  // namespace amos
}  // namespace slug
