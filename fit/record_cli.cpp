// Field-record options on a CLI11 command line: each option is declared
// from the reader's own list (name, value name, help), and its value is
// parsed by the reader (set_record_option), so that `fit` and `analyze`
// accept exactly what the reader documents.
#include "fit/record_cli.hpp"

#include <CLI/CLI.hpp>

namespace slug {

void RecordCliOptions::add_to(CLI::App& app) {
    for (const RecordOptionInfo& info : record_option_list()) {
        Entry& e = entries_.emplace_back();
        e.name = info.name;
        e.flag = !info.takes_value;
        if (e.flag) {
            e.option = app.add_flag(info.name, info.help);
        } else {
            e.option = app.add_option(info.name, e.value, info.help)->type_name(info.value_name);
        }
        e.option->group("Field records (see docs/records.md)");
    }
}

std::string RecordCliOptions::apply(RecordOptions& options) const {
    for (const Entry& e : entries_) {
        if (e.option->count() == 0) continue;
        if (const std::string why = set_record_option(options, e.name, e.flag ? "" : e.value); !why.empty())
            return why;
    }
    return check_record_options(options);
}

}  // namespace slug
