// Table and CSV of `slugwell analyze`.
#include "analyze/analyze_report.hpp"

#include <cmath>
#include <cstdio>

#include "report/results_csv.hpp"

namespace slug {

namespace {

std::string g(double v, int digits = 4) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

std::string padr(std::string s, std::size_t w) {
    if (s.size() < w) s.append(w - s.size(), ' ');
    return s;
}

bool straight(const AnalyzeRow& r) {
    return r.method == AnalyzeMethod::Hvorslev || r.method == AnalyzeMethod::BouwerRice;
}

// The head range of a straight-line row, or the matched interval of a
// model row.
std::string interval(const AnalyzeRow& r) {
    if (straight(r)) {
        std::string s = "H/Ho " + head_range_text(r.range);
        if (r.ok && r.line)
            s += ": " + std::to_string(r.line->used.size()) + " points, t = " + g(r.line->t_first) + " to " +
                 g(r.line->t_last);
        return s;
    }
    std::string s = "t = " + g(r.t_first) + " to " + g(r.t_last) + ": " + std::to_string(r.points) + " points";
    if (r.ok) s += ", RMSE " + g(r.rmse, 3);
    return s;
}

std::string csv_cell(const std::string& text) {
    std::string s = "\"";
    for (char c : text) {
        if (c == '"') s += '"';
        s += c;
    }
    return s + "\"";
}

}  // namespace

std::string analyze_report_text(const AnalyzeContext& ctx, const std::vector<AnalyzeRow>& rows) {
    std::string s = "slugwell analyze\n";
    s += "  input file:  " + ctx.input_path + "\n";
    if (!ctx.title.empty()) s += "  title:       " + ctx.title + "\n";
    s += "  data file:   " + ctx.data_path + " (" + std::to_string(ctx.observations) + " observations, " +
         (ctx.normalized ? "H/Ho" : "head displacement") + ")\n";
    if (!ctx.normalized) s += "  Ho:          " + g(ctx.ho, 6) + "\n";
    if (!ctx.at_zero.empty()) s += "  at t = 0:    " + ctx.at_zero + "\n";
    s += ctx.units.named() ? "  K in " + ctx.units.length + "/" + ctx.units.time + "\n\n"
                           : "  K in the input's units: length / " + ctx.time_unit + "\n\n";

    const std::size_t wm = 25, wk = 12, ws = 12;
    s += padr("method", wm) + padr("K", wk) + padr("Ss", ws) + "head range or matched interval\n";
    for (const AnalyzeRow& r : rows) {
        const std::string k = r.ok ? g(r.k) : "no estimate";
        const std::string ss = r.ok && r.ss ? g(*r.ss, 3) : "-";
        s += padr(r.name, wm) + padr(k, wk) + padr(ss, ws) + interval(r) + "\n";
    }
    s += "\n";
    for (const AnalyzeRow& r : rows) {
        s += r.name + (straight(r) ? ", H/Ho " + head_range_text(r.range) : std::string()) + ":\n";
        if (!r.ok) s += "  NO ESTIMATE: " + r.error + "\n";
        if (r.ok) s += conductivity_lines(ctx.units, "K", r.k, ctx.thickness, "  ");
        for (const std::string& n : r.notes) s += "  - " + n + "\n";
    }
    return s;
}

std::string analyze_csv_text(const std::vector<AnalyzeRow>& rows) {
    std::string s = "method,status,K,Ss,H/Ho lower,H/Ho upper,t first,t last,points,RMSE,notes\n";
    for (const AnalyzeRow& r : rows) {
        const bool line = straight(r);
        const auto opt = [&](bool have, double v) { return have ? csv_number(v) : std::string(); };
        std::string notes = r.ok ? std::string() : r.error;
        for (const std::string& n : r.notes) notes += (notes.empty() ? "" : "; ") + n;
        const bool have_line = line && r.ok && r.line;
        s += csv_cell(r.name) + "," + (r.ok ? "estimate" : "no estimate") + "," + opt(r.ok, r.k) + "," +
             opt(r.ok && r.ss.has_value(), r.ss.value_or(0.0)) + "," + opt(line, r.range.lower) + "," +
             opt(line, r.range.upper) + "," + opt(have_line || !line, have_line ? r.line->t_first : r.t_first) + "," +
             opt(have_line || !line, have_line ? r.line->t_last : r.t_last) + "," +
             (have_line ? std::to_string(r.line->used.size()) : line ? std::string() : std::to_string(r.points)) +
             "," + opt(!line && r.ok, r.rmse) + "," + csv_cell(notes) + "\n";
    }
    return s;
}

}  // namespace slug
