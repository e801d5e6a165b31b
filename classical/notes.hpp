// Validity notes of the classical straight-line slug-test analyses
// (Hvorslev 1951; Bouwer and Rice 1976): what a result rests on and where
// the well, the aquifer or the record leave the method's assumptions. Each
// note has a kind, for a program to test, and a sentence for the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace slug {

enum class NoteKind {
    line_intercept,         // the line is far from H/Ho = 1 at t = 0
    line_scatter,           // the observations scatter about the line (low r^2)
    oscillation,            // the record swings below zero (underdamped response)
    user_range,             // a head range other than the recommended one
    skin_radius,            // the skin's outer radius is taken as the well radius
    anisotropy,             // KZ/KR is used (Hvorslev) or not used (Bouwer and Rice)
    screen_at_boundary,     // the screen reaches the top or base of the aquifer
    confined,               // Bouwer and Rice applied below a confined top
    screen_at_water_table,  // the screen reaches the water table
    curves_range,           // Le/rw beyond the range of the fitted A, B, C curves
    log_term_capped,        // ln((D - Lw)/rw) limited to 6
    full_penetration,       // the fully penetrating form of Bouwer (1989) was used
};

struct Note {
    NoteKind kind;
    std::string text;
};

// True when notes holds a note of the given kind.
inline bool has_note(const std::vector<Note>& notes, NoteKind kind) {
    for (const Note& n : notes)
        if (n.kind == kind) return true;
    return false;
}

// A number as the notes and errors show it: `digits` significant digits,
// fixed or exponent notation, whichever is shorter (printf %g).
inline std::string note_number(double v, int digits = 4) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

}  // namespace slug
