// Program entry of slugwell: banner, log file, console dialogue, input,
// results file and scaling, then the time loop.
#pragma once

namespace slug {

int slugwell_main(int argc, char** argv);

}  // namespace slug
