// Checks of the values read from the input file that the model cannot
// use; run by the start-up after the reader's messages.
#pragma once

#include <string>

#include "model/well_model.hpp"
#include "run/input_reader.hpp"

namespace slug {

// Largest number of terms of the eigenvalue series that the input check
// admits: one evaluation of the Laplace-domain head then takes at most
// about 10 ms (measured in docs/robustness.md), one output time at most
// about half a second.
constexpr int kMaxSeriesTerms = 30000;

// The smallest anisotropy group XKD2 = (KZ/KR)*(RW/BB)^2 whose series
// stays within kMaxSeriesTerms terms.
double min_series_xkd2(const Numerics& n);

// The first value of the input (in file order) that the model cannot use,
// as one line of text naming the value and the reason; empty when every
// value is usable. v holds the values read (and the run's time list), m
// the model made of them (make_well_model), whose groups are checked too.
std::string check_input(const InputValues& v, const WellModel& m);

}  // namespace slug
