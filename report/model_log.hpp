// What the program writes about the model's evaluations: the events of a
// ModelLog as records of log.txt, and the message of a root iteration that
// did not converge.
#pragma once

#include "model/model_log.hpp"

namespace slug {

// Writes the events in their order to the log unit (51), one list-directed
// record each: " IERRk= i  NZk= n" for a Bessel evaluation k that reported
// a condition, "UNSATZONE: NO BESSEL METHOD GAVE U AT P= re im ; U = 1 USED"
// where no method gave the zone's coefficient.
void write_model_log(const ModelLog& log);

// " PROGRAM STOPPED BECAUSE NEWTON-RAPHSON ITERATIONS EXCEED 100" as a
// record of the results unit (dropped when it is not open) and as a line
// on the error stream, with the console flushed first.
void write_root_failure_message(int results_unit);

}  // namespace slug
