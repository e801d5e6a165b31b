// slugwell: head in a slug-test well over time (see README.md).
#include "run/startup.hpp"

int main(int argc, char** argv) { return slug::slugwell_main(argc, argv); }
