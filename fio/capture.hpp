// Capture of the writes of one thread. A program that evaluates the
// classic entry point fun on several threads (fun writes the unsaturated
// zone's diagnostic records to log.txt as they occur) can keep each
// thread's writes per task and write them afterwards in the order of a
// serial run, so that the files do not depend on the scheduling. (slugwell
// itself keeps the model's events as values, model/model_log.hpp.)
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace slug {

// One write as it would have reached a unit: the characters (every line
// ended by '\n') and the edit format that the fatal report would quote.
struct CapturedWrite {
    int unit;
    std::string text;
    std::string format;
};
using WriteCapture = std::vector<CapturedWrite>;

// While a sink is set for the calling thread, its writes to every unit
// (console and files) are appended to the sink instead of being written.
// Returns the sink set before; nullptr ends the capture. Other threads are
// not affected.
WriteCapture* set_write_capture(WriteCapture* sink);

// Called by the unit layer for each write: true when the write was taken
// by the calling thread's sink (and must not be written now).
bool capture_write(int unit, std::string_view text, std::string_view format);

// Writes the captured writes, in their order, to their units, exactly as
// the original writes would have (same characters, records and format).
void replay_writes(const WriteCapture& writes);

// Sets a sink for the lifetime of the guard and restores the previous one.
class ScopedWriteCapture {
public:
    explicit ScopedWriteCapture(WriteCapture* sink) : previous_(set_write_capture(sink)) {}
    ~ScopedWriteCapture() { set_write_capture(previous_); }
    ScopedWriteCapture(const ScopedWriteCapture&) = delete;
    ScopedWriteCapture& operator=(const ScopedWriteCapture&) = delete;

private:
    WriteCapture* previous_;
};

}  // namespace slug
