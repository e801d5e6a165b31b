// Shared fixtures of the classical-analysis tests: the reference values of
// tests/tools/gen_classical.py, synthetic records H/Ho = f exp(-t/T0), and
// a well builder.
#pragma once

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "classical/geometry.hpp"
#include "classical/notes.hpp"

namespace classical_test {

// The fields after the kind word of every line of that kind in
// tests/data/classical_reference.txt.
inline std::vector<std::vector<std::string>> reference_rows(const std::string& kind) {
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/classical_reference.txt");
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string word;
        if (!(ls >> word) || word != kind) continue;
        std::vector<std::string> fields;
        while (ls >> word) fields.push_back(word);
        rows.push_back(fields);
    }
    return rows;
}

struct Record {
    std::vector<double> time;
    std::vector<double> ratio;
};

// H/Ho = factor * exp(-t/t0) at t = 0, dt, ..., (n - 1) dt.
inline Record exponential_record(double t0, double factor = 1.0, double dt = 1.0, int n = 200) {
    Record r;
    for (int i = 0; i < n; ++i) {
        const double t = dt * i;
        r.time.push_back(t);
        r.ratio.push_back(factor * std::exp(-t / t0));
    }
    return r;
}

// A well of screen radius 0.05 and casing radius 0.05 in a 10-unit
// water-table aquifer, screened from 3 to 5 below the water table.
inline slug::WellGeometry base_well() {
    slug::WellGeometry g;
    g.rw = 0.05;
    g.rc = 0.05;
    g.skin = 0.0;
    g.screen_top = 3.0;
    g.screen_bottom = 5.0;
    g.thickness = 10.0;
    g.kz_over_kr = 1.0;
    g.water_table = true;
    return g;
}

// The kinds of a result's notes, in order.
inline std::vector<slug::NoteKind> note_kinds(const std::vector<slug::Note>& notes) {
    std::vector<slug::NoteKind> kinds;
    for (const slug::Note& n : notes) kinds.push_back(n.kind);
    return kinds;
}

}  // namespace classical_test
