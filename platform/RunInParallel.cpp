// Work shared out over threads, the same on every platform: each thread takes
// the next call until none is left.
#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/Platform.h"

namespace lorvex::platform {

namespace {

struct ParallelWork {
    std::atomic<std::size_t> next{0};
    std::size_t count;
    const std::function<void(std::size_t)>& work;
};

void takeWork(void* shared) {
    auto& parallel = *static_cast<ParallelWork*>(shared);
    for (std::size_t i; (i = parallel.next++) < parallel.count;) parallel.work(i);
}

}  // namespace

void runInParallel(std::size_t count, const std::function<void(std::size_t)>& work) {
    ParallelWork parallel{{0}, count, work};
    // This thread is one of them.
    const std::size_t threads = std::min(count, processorCount());
    std::vector<Thread> helpers(threads > 1 ? threads - 1 : 0);
    for (Thread& helper : helpers)
        if (!helper.start(takeWork, &parallel)) break;
    takeWork(&parallel);
    for (Thread& helper : helpers) helper.join();
}

}  // namespace lorvex::platform
