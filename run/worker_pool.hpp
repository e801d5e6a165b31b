// Runs one worker function on up to `threads` threads: threads - 1 started
// ones and the calling thread, all returning before the call does. A thread
// the system cannot start (a process limit, little address space) is not
// needed: the workers that did start, down to the calling thread alone,
// share the work, so the results are the same. The worker is called as
// worker(calling_thread).
#pragma once

#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace slug {

template <class Worker>
void run_on_threads(int threads, Worker& worker) {
    std::vector<std::jthread> pool;
    try {
        if (threads > 1) pool.reserve(static_cast<std::size_t>(threads - 1));
        for (int k = 1; k < threads; ++k) pool.emplace_back([&worker] { worker(false); });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    worker(true);
}

}  // namespace slug
