// Numerical inversion of a Laplace transform at one time t.
//
// The damped function e^{-γt} f(t) is expanded in a Fourier series on the
// period 2T, whose coefficients are samples of the transform on the line
// Re p = γ:
//
//   f(t) ≈ (e^{γt}/T) · Re[ F(γ)/2 + Σ_{k≥1} F(γ + ikπ/T) z^k ],  z = e^{iπt/T}.
//
// The truncated power series in z (n + 1 terms) is accelerated by one of
//   - Wynn's epsilon algorithm on its partial sums
//     (P. Wynn, "On a device for computing the e_m(S_n) transformation",
//     Math. Tables Aids Comput. 10 (1956) 91-96), selector 1;
//   - the corresponding continued fraction in z, built by Rutishauser's
//     quotient-difference (QD) algorithm and evaluated with the tail
//     estimate of F. R. de Hoog, J. H. Knight and A. N. Stokes, "An improved
//     method for numerical inversion of Laplace transforms", SIAM J. Sci.
//     Stat. Comput. 3 (1982) 357-366, selector 3;
//   - the same continued fraction without the tail estimate, any other
//     selector.
// The even columns of the epsilon table and the continued fraction are the
// same Padé approximants, so selectors 1 and 2 agree up to rounding.
//
// Neither table is stored whole: one diagonal (n + 1 complex values) is
// updated in place as each new sample arrives.
#include "inversion/lapadc.hpp"

#include <cmath>

#include "special/cplx.hpp"

namespace slug {

namespace {

constexpr double kPi = 3.141592653589793;

// One sample F(p) of either kind of transform.
using PlainTransform = void (*)(cplx& p, cplx& fp);
inline void sample(PlainTransform fs, cplx& p, cplx& fp) { fs(p, fp); }
inline void sample(const TransformRef& fs, cplx& p, cplx& fp) { fp = fs(p); }

// Samples F at γ + i·s for s = 0, ω, 2ω, ... , nω and builds the diagonal
// ε_j^{(k-j)}, j = 0..k, of Wynn's epsilon table of the partial sums
// S_k = Σ_{i≤k} a_i z^i, with ε_{-1} = 0 and ε_0^{(k)} = S_k:
//   ε_{j}^{(m)} = ε_{j-2}^{(m+1)} + 1 / (ε_{j-1}^{(m+1)} - ε_{j-1}^{(m)}).
// On return work[n] = ε_n^{(0)}, the [n/2, n/2] Padé value of the series.
template <class Fs>
void build_epsilon(double gamma, double omega, int n, const cplx& z, const Fs& fs, cplx* work) {
    cplx p(gamma, 0.0);
    cplx fp;
    sample(fs, p, fp);
    const cplx a0 = fp * 0.5;

    double s = omega;
    p = cplx(gamma, s);
    sample(fs, p, fp);
    cplx w = z;
    cplx c = fp * w;
    work[0] = a0 + c;
    work[1] = smith_recip(c);

    for (int k = 2; k <= n; ++k) {
        // Values of slots 0 and 1 from the previous diagonal.
        cplx u = work[0];
        cplx o = work[1];

        // Repeated addition, so that the sampled ordinates are the ones a
        // caller stepping the same way would see.
        s += omega;
        p = cplx(gamma, s);
        sample(fs, p, fp);
        w = w * z;
        c = fp * w;
        work[0] += c;
        work[1] = smith_recip(c);

        for (int j = 2; j <= k; ++j) {
            // Slot k is new in this step; its old content is not read.
            const cplx old_j = j < k ? work[j] : cplx(0.0, 0.0);
            work[j] = u + smith_recip(work[j - 1] - o);
            u = o;
            o = old_j;
        }
    }
}

// Samples F as above and runs the progressive QD algorithm on the
// coefficients a_0 = F(γ)/2, a_k = F(p_k). The diagonal held in work is
// work[2m-1] = q_m^{(k-2m+1)}, work[2m] = e_m^{(k-2m)}, with
//   e_m^{(i)}   = e_{m-1}^{(i+1)} + q_m^{(i+1)} - q_m^{(i)},
//   q_{m+1}^{(i)} = q_m^{(i+1)} · e_m^{(i+1)} / e_m^{(i)},
// starting from e_0 = 0 and q_1^{(i)} = a_{i+1}/a_i. The top entry of each
// new column gives the continued-fraction coefficient
//   d[0] = a_0, d[2m-1] = -q_m^{(0)}, d[2m] = -e_m^{(0)}.
template <class Fs>
void build_qd(double gamma, double omega, int n, const Fs& fs, cplx* d, cplx* work) {
    cplx p(gamma, 0.0);
    cplx fp;
    sample(fs, p, fp);
    const cplx a0 = fp * 0.5;

    double s = omega;
    p = cplx(gamma, s);
    sample(fs, p, fp);
    d[0] = a0;
    work[0] = cplx(0.0, 0.0);
    work[1] = smith_div(fp, a0);
    d[1] = -work[1];
    cplx previous = fp;

    for (int k = 2; k <= n; ++k) {
        cplx u = work[0];
        cplx o = work[1];

        s += omega;
        p = cplx(gamma, s);
        sample(fs, p, fp);
        work[0] = cplx(0.0, 0.0);
        work[1] = smith_div(fp, previous);
        previous = fp;

        for (int j = 2; j <= k; ++j) {
            const cplx old_j = j < k ? work[j] : cplx(0.0, 0.0);
            if (j % 2 == 0) {
                work[j] = u + (work[j - 1] - o);
            } else {
                work[j] = u * smith_div(work[j - 1], o);
            }
            u = o;
            o = old_j;
        }
        d[k] = -work[k];
    }
}

// Evaluates d[0]/(1 + d[1]z/(1 + d[2]z/(1 + ... + d[n]z))) by the forward
// three-term recurrences for numerator and denominator. With the tail
// estimate, the last partial numerator d[n]z is replaced by the
// de Hoog-Knight-Stokes remainder
//   R = -h (1 - sqrt(1 + d[n]z/h²)),  h = (1 + (d[n-1] - d[n])z)/2,
// the fixed point of the tail when the coefficients repeat with period two.
cplx evaluate_fraction(int n, const cplx& z, const cplx* d, bool tail) {
    cplx a_prev2 = d[0];  // A_{m-2}
    cplx a_prev1 = d[0];  // A_{m-1}
    cplx b_prev2(1.0, 0.0);
    cplx b_prev1 = cplx(1.0, 0.0) + d[1] * z;

    for (int m = 2; m <= n; ++m) {
        cplx factor = d[m] * z;
        if (tail && m == n) {
            const cplx h = (cplx(1.0, 0.0) + (d[n - 1] - d[n]) * z) * 0.5;
            const cplx root = principal_sqrt(cplx(1.0, 0.0) + smith_div(factor, h * h));
            factor = -h * (cplx(1.0, 0.0) - root);
        }
        const cplx a = a_prev1 + factor * a_prev2;
        const cplx b = b_prev1 + factor * b_prev2;
        a_prev2 = a_prev1;
        a_prev1 = a;
        b_prev2 = b_prev1;
        b_prev1 = b;
    }
    return smith_div(a_prev1, b_prev1);
}

// The inversion for either kind of transform.
template <class Fs>
void invert(double t, double gamma, double tper, int ninv, double& ft, const Fs& fs, int minv, int inew, cplx* d,
            cplx* work) {
    if (ninv <= 1) return;
    const int n = 2 * (ninv / 2);

    const double omega = kPi / tper;
    const double theta = t * omega;
    const cplx z(std::cos(theta), std::sin(theta));

    double v;
    if (minv == 1) {
        // The epsilon table depends on t through z, so it is always rebuilt.
        build_epsilon(gamma, omega, n, z, fs, work);
        v = work[n].real();
    } else {
        if (inew == 1) build_qd(gamma, omega, n, fs, d, work);
        v = evaluate_fraction(n, z, d, minv == 3).real();
    }
    ft = std::exp(gamma * t) * v / tper;
}

}  // namespace

void lapadc(double t, double gamma, double tper, int ninv, double& ft,
            void (*fs)(std::complex<double>& p, std::complex<double>& fp), int minv, int inew,
            std::complex<double>* d, std::complex<double>* work) {
    invert(t, gamma, tper, ninv, ft, fs, minv, inew, d, work);
}

void lapadc(double t, double gamma, double tper, int ninv, double& ft, TransformRef fs, int minv, int inew,
            std::complex<double>* d, std::complex<double>* work) {
    invert(t, gamma, tper, ninv, ft, fs, minv, inew, d, work);
}

}  // namespace slug
