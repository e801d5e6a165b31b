// Cost of one zbesj / zbesy call (KODE 2, N 1, as the unsaturated-zone
// coupling makes them) at small, moderate and large |z| for the orders
// 1.5 and 50. The arguments lie on the directions of the coupling,
// 90 to 135 degrees (i 2 sqrt(c p) with p in the first quadrant).
#include <benchmark/benchmark.h>

#include "special/besselsub/zbes.hpp"

namespace {

const double kDirs[4][2] = {{0.0, 1.0}, {-0.26, 0.966}, {-0.5, 0.866}, {-0.707, 0.707}};

void run_j(benchmark::State& state, double r, double fnu) {
    int i = 0;
    for (auto _ : state) {
        double cr, ci;
        int nz, ierr;
        slug::zbesj(r * kDirs[i][0], r * kDirs[i][1], fnu, 2, 1, &cr, &ci, nz, ierr);
        benchmark::DoNotOptimize(cr);
        benchmark::DoNotOptimize(ci);
        i = (i + 1) & 3;
    }
}

void run_y(benchmark::State& state, double r, double fnu) {
    int i = 0;
    for (auto _ : state) {
        double cr, ci, wr, wi;
        int nz, ierr;
        slug::zbesy(r * kDirs[i][0], r * kDirs[i][1], fnu, 2, 1, &cr, &ci, nz, &wr, &wi, ierr);
        benchmark::DoNotOptimize(cr);
        benchmark::DoNotOptimize(ci);
        i = (i + 1) & 3;
    }
}

void BM_ZbesjSmall_1_5(benchmark::State& s) { run_j(s, 0.5, 1.5); }
void BM_ZbesjModerate_1_5(benchmark::State& s) { run_j(s, 10.0, 1.5); }
void BM_ZbesjLarge_1_5(benchmark::State& s) { run_j(s, 500.0, 1.5); }
void BM_ZbesjSmall_50(benchmark::State& s) { run_j(s, 0.5, 50.0); }
void BM_ZbesjModerate_50(benchmark::State& s) { run_j(s, 10.0, 50.0); }
void BM_ZbesjLarge_50(benchmark::State& s) { run_j(s, 500.0, 50.0); }
void BM_ZbesySmall_1_5(benchmark::State& s) { run_y(s, 0.5, 1.5); }
void BM_ZbesyModerate_1_5(benchmark::State& s) { run_y(s, 10.0, 1.5); }
void BM_ZbesyLarge_1_5(benchmark::State& s) { run_y(s, 500.0, 1.5); }
void BM_ZbesySmall_50(benchmark::State& s) { run_y(s, 0.5, 50.0); }
void BM_ZbesyModerate_50(benchmark::State& s) { run_y(s, 10.0, 50.0); }
void BM_ZbesyLarge_50(benchmark::State& s) { run_y(s, 500.0, 50.0); }

}  // namespace

BENCHMARK(BM_ZbesjSmall_1_5);
BENCHMARK(BM_ZbesjModerate_1_5);
BENCHMARK(BM_ZbesjLarge_1_5);
BENCHMARK(BM_ZbesjSmall_50);
BENCHMARK(BM_ZbesjModerate_50);
BENCHMARK(BM_ZbesjLarge_50);
BENCHMARK(BM_ZbesySmall_1_5);
BENCHMARK(BM_ZbesyModerate_1_5);
BENCHMARK(BM_ZbesyLarge_1_5);
BENCHMARK(BM_ZbesySmall_50);
BENCHMARK(BM_ZbesyModerate_50);
BENCHMARK(BM_ZbesyLarge_50);
BENCHMARK_MAIN();
