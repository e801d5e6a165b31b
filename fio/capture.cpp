// Per-thread capture of unit writes (see capture.hpp): a thread-local
// pointer to the sink; the replay goes through the ordinary record writer.
#include "fio/capture.hpp"

#include "fio/fio.hpp"

namespace slug {

namespace {
thread_local WriteCapture* t_sink = nullptr;
}  // namespace

WriteCapture* set_write_capture(WriteCapture* sink) {
    WriteCapture* previous = t_sink;
    t_sink = sink;
    return previous;
}

bool capture_write(int unit, std::string_view text, std::string_view format) {
    if (t_sink == nullptr) return false;
    t_sink->push_back(CapturedWrite{unit, std::string(text), std::string(format)});
    return true;
}

void replay_writes(const WriteCapture& writes) {
    for (const CapturedWrite& w : writes) {
        // Every write ends with its line end, which write_record adds back:
        // the same characters as one record of the same format.
        std::string_view text = w.text;
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        write_record(w.unit, text, w.format);
    }
}

}  // namespace slug
