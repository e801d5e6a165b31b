// Program entry of slugwell: the fit subcommand or a run, as the command
// line asks.
#pragma once

namespace slug {

int slugwell_main(int argc, char** argv);

}  // namespace slug
