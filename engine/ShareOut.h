// Work shared out to threads: the items are taken in turn by up to the given
// number of threads, the calling thread among them, so that the threads end
// together however unequal the items are.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// Calls work(thread, item) for every item in [0, items), thread being the
// index of the thread that takes it (0 for the calling thread), so that each
// thread may keep state of its own. A thread the system will not start leaves
// its share to the others. The first exception a thread throws stops the
// others from taking more items, and is thrown again on the calling thread.
template <class Work>
void ShareOut(size_t items, unsigned threads, Work work)
{
    std::atomic<size_t> next{0};
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto run = [&](unsigned thread) {
        try
        {
            for (size_t item = next++; item < items; item = next++)
                work(thread, item);
        }
        catch (...)
        {
            std::lock_guard lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
            next = items;
        }
    };
    std::vector<std::thread> helpers;
    const unsigned used = static_cast<unsigned>(std::min<size_t>(threads, items));
    for (unsigned thread = 1; thread < used; ++thread)
    {
        try
        {
            helpers.emplace_back(run, thread);
        }
        catch (const std::system_error&)
        {
            break;
        }
    }
    run(0);
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}
