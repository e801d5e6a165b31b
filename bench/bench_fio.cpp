// Cost of the list-directed layer: one echo line of six items laid out,
// and one value line of six reals read.
#include <benchmark/benchmark.h>

#include <string>

#include "fio/fio.hpp"

namespace {

void BM_FormatEchoLine(benchmark::State& state) {
    const double bb = 20.0, kr = 5.0e-5, kz = 5.0e-6, hks = 2.0e-5, ss = 1.0e-5;
    for (auto _ : state) {
        std::string s = slug::format_list({"BB=", bb, " Kr=", kr, " KZ=", kz, "HKS= ", hks, " SS=", ss});
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_FormatEchoLine);

void BM_ReadSixReals(benchmark::State& state) {
    const std::string line = "  20.0        5.0E-05   5.0E-06   2.0E-05   1.0E-05   0.20\n";
    double v[6] = {};
    for (auto _ : state) {
        slug::StringLineSource src(line);
        auto st = slug::read_list(src, {slug::ReadTarget::real(v[0]), slug::ReadTarget::real(v[1]),
                                        slug::ReadTarget::real(v[2]), slug::ReadTarget::real(v[3]),
                                        slug::ReadTarget::real(v[4]), slug::ReadTarget::real(v[5])});
        benchmark::DoNotOptimize(st);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_ReadSixReals);

}  // namespace

BENCHMARK_MAIN();
