// The field-record options (--columns, --skip, --clock, --t0, --static,
// --thin, ...) on the command lines of `fit` and `analyze`, parsed with
// CLI11 and handed to the record reader's own parser of each value.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "records/records.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace slug {

class RecordCliOptions {
public:
    // Adds every option of record_option_list() to app, in the group
    // "Field records". The object must outlive app's parse.
    void add_to(CLI::App& app);

    // After the parse: the options given, set through set_record_option
    // and checked together (check_record_options). Returns "" or the
    // reason the command line is refused.
    std::string apply(RecordOptions& options) const;

private:
    struct Entry {
        std::string name;
        CLI::Option* option = nullptr;
        std::string value;
        bool flag = false;
    };
    std::deque<Entry> entries_;  // stable addresses for CLI11's bindings
};

}  // namespace slug
