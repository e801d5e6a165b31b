// Shared set-up of the fit tests: small input files whose model is cheap
// (XKD2 = (KZ/KR)(RW/BB)^2 = 0.01 gives the base count of 30 series
// terms), read through the program's own reader, and synthetic
// observations computed by the program at known parameters.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fio/fio.hpp"
#include "fit/fit_data.hpp"
#include "fit/fit_model.hpp"
#include "fit/fit_solve.hpp"
#include "run/input_reader.hpp"

namespace fittest {

namespace fs = std::filesystem;

// The values of one input file.
struct Setting {
    const char* name;
    double bb, kr, kz, hks, ss, sy;
    double u1, u2, u3, u4;
    double ho, rw, rc, zpd, zpl, ds;
};

// Confined (SY = 0: no flow through the top), partial screen, no skin.
inline constexpr Setting kConfined{"confined", 2.0, 1.0e-4, 4.0e-4, 0.0, 2.0e-4, 0.0,
                                   1.0, 1.0, 0.0, 0.0, 0.5, 0.1, 0.05, 0.5, 1.5, 0.0};
// The same with a skin of lower conductivity.
inline constexpr Setting kConfinedSkin{"confined_skin", 2.0, 1.0e-4, 4.0e-4, 2.0e-5, 2.0e-4, 0.0,
                                       1.0, 1.0, 0.0, 0.0, 0.5, 0.1, 0.05, 0.5, 1.5, 0.02};
// Water table (specific yield 0.2) with equal, large decay exponents: a
// water table without an unsaturated zone.
inline constexpr Setting kWaterTable{"water_table", 2.0, 1.0e-4, 4.0e-4, 0.0, 2.0e-4, 0.2,
                                     50.0, 50.0, 1.0, 1.0, 0.5, 0.1, 0.05, 0.2, 1.2, 0.0};
inline constexpr Setting kWaterTableSkin{"water_table_skin", 2.0, 1.0e-4, 4.0e-4, 2.0e-5, 2.0e-4, 0.2,
                                         50.0, 50.0, 1.0, 1.0, 0.5, 0.1, 0.05, 0.2, 1.2, 0.02};

inline std::string input_text(const Setting& s) {
    std::ostringstream o;
    o.precision(17);
    o << "Fit test: " << s.name << "\nskip\nskip\n"
      << s.bb << " " << s.kr << " " << s.kz << " " << s.hks << " " << s.ss << " " << s.sy << "\nskip\nskip\n"
      << s.u1 << " " << s.u2 << " " << s.u3 << " " << s.u4 << "\nskip\nskip\n"
      << s.ho << " " << s.rw << " " << s.rc << " " << s.zpd << " " << s.zpl << " " << s.ds
      << "\nskip\nskip\nskip\n1\n1.0\n";
    return o.str();
}

inline fs::path scratch(const std::string& tag) {
    static int serial = 0;
    const fs::path d = fs::temp_directory_path() /
                       ("slug_fit_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

inline void put_file(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

inline std::string get_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Reads the setting through the program's reader (as a run does) and
// returns what the fit starts from.
inline slug::BaseInput load(const Setting& s) {
    const fs::path dir = scratch(s.name);
    const fs::path file = dir / "input.txt";
    put_file(file, input_text(s));
    const slug::InputValues values = slug::read_input(file.string());
    fs::remove_all(dir);
    return slug::BaseInput{values.well, slug::Numerics{}};
}

// n times spaced evenly in log time from t0 to t1.
inline std::vector<double> log_times(double t0, double t1, int n) {
    std::vector<double> t;
    for (int i = 0; i < n; ++i) t.push_back(t0 * std::pow(t1 / t0, static_cast<double>(i) / (n - 1)));
    return t;
}

// Observations (head displacements, HO*H/Ho) computed by the program at the
// values v; with noise_sd > 0, Gaussian noise of that standard deviation
// (in head units) from a fixed seed.
inline slug::Observations synthetic(const slug::BaseInput& base, const slug::FitValues& v,
                                    const std::vector<double>& times, double noise_sd = 0.0,
                                    unsigned seed = 12345) {
    slug::Observations obs;
    std::vector<double> ratio;
    std::string err;
    if (!slug::forward_ratio(base, v, times, ratio, err)) return obs;
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (std::size_t i = 0; i < times.size(); ++i) {
        obs.time.push_back(times[i]);
        obs.value.push_back(base.well.ho * ratio[i] + (noise_sd > 0.0 ? noise_sd * noise(gen) : 0.0));
        obs.line.push_back(static_cast<int>(i) + 1);
    }
    return obs;
}

}  // namespace fittest
