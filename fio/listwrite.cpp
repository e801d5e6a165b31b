// List-directed (free-format) output: lays the items of one write out as
// text lines in the manner of Fortran 77 list-directed WRITE (ANSI
// X3.9-1978, section 13.6): a blank before each number, reals with nine
// significant digits ("%.9G", always with a decimal point), and no line
// longer than 79 characters unless a single item is longer.
#include "fio/fio.hpp"

#include <cmath>
#include <cstdio>
#include <string>

namespace slug {

namespace {

// Width at which a line is full: an item that would make the line reach it
// starts a new line instead.
constexpr std::size_t kLineWidth = 80;

// The characters of one item, without the blank that a text item gets at
// the start of a line.
std::string item_text(const ListItem& item) {
    switch (item.kind()) {
    case ListItem::Kind::Text:
        return item.text();
    case ListItem::Kind::Int:
        return " " + std::to_string(item.int_value());
    case ListItem::Kind::Real: {
        const double v = item.real_value();
        std::string s = std::signbit(v) ? " -" : "  ";
        s += format_real_g9(std::fabs(v));
        return s;
    }
    }
    return {};
}

template <class Items>
std::string layout(const Items& items) {
    std::string out;
    std::size_t col = 0;  // characters on the current line
    for (const ListItem& item : items) {
        const std::string s = item_text(item);
        if (col > 0 && col + s.size() >= kLineWidth) {
            out += '\n';
            col = 0;
        }
        if (col == 0 && item.kind() == ListItem::Kind::Text) {
            out += ' ';
            ++col;
        }
        out += s;
        col += s.size();
    }
    out += '\n';
    return out;
}

}  // namespace

std::string format_real_g9(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return "Infinity";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9G", std::fabs(v));
    std::string s = buf;
    if (s.find('.') == std::string::npos) {
        const std::size_t e = s.find('E');
        if (e == std::string::npos)
            s += '.';
        else
            s.insert(e, 1, '.');
    }
    return s;
}

std::string format_list(std::initializer_list<ListItem> items) { return layout(items); }

std::string format_list(const std::vector<ListItem>& items) { return layout(items); }

}  // namespace slug
