// The DATA file of `fit` and `analyze`: a field record read by the record
// reader (records/) into the observations that the fit and the classical
// analyses take.
#include <utility>

#include "fit/fit_data.hpp"

namespace slug {

DataFile read_data_file(const std::string& path, const RecordOptions& options) {
    Record rec = read_record_file(path, options);
    DataFile d;
    d.notes = std::move(rec.notes);
    d.errors = std::move(rec.errors);
    if (!d.ok()) return d;
    d.obs.time = std::move(rec.time);
    d.obs.value = std::move(rec.value);
    d.obs.line = std::move(rec.line);
    d.at_zero = rec.at_zero;
    return d;
}

std::string at_zero_text(const DataFile& data, double ho, bool normalized) {
    if (!data.at_zero) return {};
    const char* what = normalized ? "H/Ho = 1" : "Ho = ";
    return std::string(what) + (normalized ? "" : fit_value_text(ho, 6) + " (input file)") +
           "; the reading at t = 0 (line " + std::to_string(data.at_zero->line) + ") is " +
           fit_value_text(data.at_zero->value, 6);
}

}  // namespace slug
