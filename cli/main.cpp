// slugwell: head in a slug-test well over time (see README.md).
#include "cli/slugwell_main.hpp"

int main(int argc, char** argv) { return slug::slugwell_main(argc, argv); }
