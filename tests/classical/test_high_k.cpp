// The high-K analysis of oscillatory records: the lumped columns of
// tests/data/oscillatory_lumped.txt (integrated in time by mpmath at 30
// digits, tests/tools/gen_oscillatory.py) give back their damping
// parameter, effective length and conductivity; records that do not
// oscillate, or an unknown g, give no estimate with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "classical/high_k.hpp"
#include "classical/hvorslev.hpp"
#include "classical_fixtures.hpp"

namespace {

struct LumpedCase {
    std::map<std::string, double> v;  // the case line's key=value pairs
    std::vector<double> time, ratio;
};

std::map<std::string, LumpedCase> lumped_cases() {
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/oscillatory_lumped.txt");
    std::map<std::string, LumpedCase> cases;
    LumpedCase* c = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string word;
        ls >> word;
        if (word == "case") {
            std::string name;
            ls >> name;
            c = &cases[name];
            while (ls >> word) {
                const std::size_t eq = word.find('=');
                if (eq != std::string::npos && word.substr(eq + 1) != "s" && word.substr(eq + 1) != "min")
                    c->v[word.substr(0, eq)] = std::stod(word.substr(eq + 1));
            }
        } else if (word == "value" && c) {
            double t = 0, h = 0;
            ls >> t >> h;
            c->time.push_back(t);
            c->ratio.push_back(h);
        }
    }
    return cases;
}

// A fully screened well of the case's radii: the shape factor
// asinh(Ls/rw) of Hvorslev in place of the case's ln(Re/rw).
slug::WellGeometry well_of(const LumpedCase& c) {
    slug::WellGeometry g = classical_test::base_well();
    g.rc = c.v.at("rc");
    g.rw = c.v.at("rw");
    g.screen_top = 0.0;
    g.screen_bottom = c.v.at("sl");
    g.thickness = c.v.at("sl");
    return g;
}

TEST(HighK, LumpedColumnsGiveBackTheirDampingLengthAndConductivity) {
    const auto cases = lumped_cases();
    struct Row {
        const char* name;
        bool oscillates;
    };
    for (const Row row : {Row{"underdamped_light", true}, Row{"underdamped_friction_ftmin", true},
                          Row{"critical", false}, Row{"overdamped", false}}) {
        SCOPED_TRACE(row.name);
        const LumpedCase& c = cases.at(row.name);
        ASSERT_GT(c.time.size(), 50u);
        const slug::WellGeometry g = well_of(c);
        // The analysis rubs over Lf = Le; the case's friction over its own
        // Lf is the same term with NU scaled by Lf/Le.
        const double nu = c.v.at("nu") * c.v.at("lf") / c.v.at("le");
        const slug::HighKResult r = slug::high_k(c.time, c.ratio, g, c.v.at("g"), nu);
        if (!row.oscillates) {
            EXPECT_FALSE(r.ok);
            EXPECT_NE(r.error.find("does not oscillate"), std::string::npos) << r.error;
            continue;
        }
        ASSERT_TRUE(r.ok) << r.error;
        // The records are exact to 1e-20 and the model is theirs, so the
        // least-squares minimum is the case itself; the fit stops on a step
        // below 1e-9 in ln C_D and ln Le, and 1e-8 leaves room for the
        // rounding of the sums of 100-350 residuals.
        EXPECT_NEAR(r.cd / c.v.at("cd"), 1.0, 1e-8);
        EXPECT_NEAR(r.le / c.v.at("le"), 1.0, 1e-8);
        EXPECT_LT(r.rmse, 1e-12);
        // K scales with the shape factor: the case's C_D was made with
        // ln(Re/rw) = omega0, the analysis uses Hvorslev's asinh(Ls/rw).
        const double shape = slug::hvorslev_shape_log(g.screen_length(), g.rw, 1.0);
        EXPECT_NEAR(r.k / (c.v.at("kr") * shape / c.v.at("omega0")), 1.0, 1e-8);
        EXPECT_GT(r.crossings, 5);
    }
    // A monotone record whose tail scatters below zero (noise of
    // deviation 0.01 Ho, dips to -0.03) is not an oscillation.
    std::vector<double> t, y;
    for (int i = 1; i <= 200; ++i) {
        t.push_back(0.1 * i);
        y.push_back(std::exp(-0.1 * i / 2.0) + 0.01 * std::sqrt(2.0) * std::sin(2.3 * i * i));
    }
    EXPECT_LT(*std::min_element(y.begin(), y.end()), -0.01);
    EXPECT_FALSE(slug::first_minimum(t, y).found);
    // An oscillating record without g gives no estimate.
    const LumpedCase& c = cases.at("underdamped_light");
    const slug::HighKResult none = slug::high_k(c.time, c.ratio, well_of(c), 0.0, 0.0);
    EXPECT_FALSE(none.ok);
    EXPECT_NE(none.error.find("--gravity"), std::string::npos) << none.error;
}

}  // namespace
