// Forward model of the fit: the program's own run (parameter blocks,
// derived groups, time loop) evaluated at the observation times for a set
// of aquifer values that override those of the input file.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "run/input_reader.hpp"
#include "compat/params.hpp"

namespace slug {

// Parameters the fit can estimate. All are positive, and are estimated as
// their natural logarithms.
enum class FitParam { KR, SS, KZ, KZKR, HKS, SY, U1, U2 };

// Command-line name of a parameter ("kr", "ss", "kz", "kzkr", "hks", "sy",
// "u1", "u2") and the label of the report ("KR", "SS", "KZ", "KZ/KR", ...).
std::string_view fit_param_name(FitParam p);
std::string_view fit_param_label(FitParam p);

// The parameter named by a command-line word ("ua1" and "ua2" are accepted
// for "u1" and "u2"; case is ignored); nothing when the word names none.
std::optional<FitParam> parse_fit_param(std::string_view word);

// The physical values that the fit may change.
struct FitValues {
    double kr = 0.0;
    double ss = 0.0;
    double kz = 0.0;
    double hks = 0.0;
    double sy = 0.0;
    double u1 = 0.0;
    double u2 = 0.0;
};

// Value of parameter p (KZ/KR for FitParam::KZKR).
double get_value(const FitValues& v, FitParam p);

// Everything the input file gave, as the reader and start-up left the
// blocks: the snapshot from which every forward run starts.
struct BaseInput {
    Par2 par2{};
    Par5 par5{};
    Par6 par6{};
    Par7 par7{};
    Par11 par11{};
    Par13 par13{};
    IoUnit iounit{};
    InputRecord rec{};
};

// Takes the snapshot of the blocks and the reader's record.
BaseInput capture_base_input();

// The values of the snapshot.
FitValues base_values(const BaseInput& base);

// The values of a run: those of the snapshot, with the estimated
// parameters params set to x (same order). The anisotropy enters as KZ
// itself or as the ratio KZ/KR, whichever is estimated; when neither is,
// the ratio of the input file is held while KR moves (anisotropy is
// rarely resolved by a slug test and is usually assumed).
FitValues values_from(const BaseInput& base, std::span<const FitParam> params, std::span<const double> x);

// Sets the blocks for one run: the snapshot with the values v, every
// derived group recomputed by the reader's own routines, and the time
// scale TC.
void set_blocks(const BaseInput& base, const FitValues& v);

// Runs the model at the given times (any number: they are handed to the
// time loop in chunks of at most 200, the capacity of the time list) and
// stores H/Ho at each in ratio (same order). Returns false with a message
// when a value is not finite.
bool forward_ratio(const BaseInput& base, const FitValues& v, std::span<const double> times,
                   std::vector<double>& ratio, std::string& error);

}  // namespace slug
