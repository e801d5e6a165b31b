// Program entry of slugwell: "slugwell fit ..." goes to the fit, "slugwell
// analyze ..." to the classical analyses; otherwise
// the command line is parsed (help, version and usage errors end here) and
// the run is made.
#include "cli/slugwell_main.hpp"

#include <cstring>

#include "analyze/analyze_main.hpp"
#include "cli/command_line.hpp"
#include "fio/replace_file.hpp"
#include "fit/fit_main.hpp"
#include "run/run_main.hpp"

namespace slug {

int slugwell_main(int argc, char** argv) {
    // An interrupted run removes its unfinished files and leaves the
    // earlier results in place.
    install_interrupt_cleanup();
    // "slugwell fit INPUT DATA ...": the least-squares fit (fit/fit_main).
    if (argc > 1 && std::strcmp(argv[1], "fit") == 0) return fit_main(argc - 1, argv + 1);
    // "slugwell analyze INPUT DATA ...": the classical analyses side by side.
    if (argc > 1 && std::strcmp(argv[1], "analyze") == 0) return analyze_main(argc - 1, argv + 1);
    RunOptions options;
    if (const int status = handle_command_line(argc, argv, options); status >= 0) return status;
    run_main(options);
}

}  // namespace slug
