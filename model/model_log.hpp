// What the model has to say about an evaluation besides its value: the
// Bessel evaluations of the unsaturated zone that reported a condition, and
// the transform values at which no method gave the zone's coefficient.
// The model never writes; the caller that owns the log decides where the
// events go (the program writes them to log.txt, in their order).
#pragma once

#include <complex>
#include <vector>

namespace slug {

struct ModelEvent {
    enum class Kind {
        BesselStatus,    // evaluation k (1..6) returned ierr and nz
        NoBesselMethod,  // no method gave U at pp; U = 1 was used
    };
    Kind kind;
    int k = 0;
    int ierr = 0;
    int nz = 0;
    std::complex<double> pp{};
};

// Events in the order they occurred. Nothing is allocated until the first
// event.
struct ModelLog {
    std::vector<ModelEvent> events;
};

}  // namespace slug
