// Runs one task per item on a pool of threads and hands the results back in
// item order, each as soon as it and every item before it are done, so the
// output of a parallel run reads exactly like that of a sequential one.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace qmcli
{

// The number of threads for `items` items: `requested` if positive, else
// one per core; never more than there are items, never fewer than one.
inline unsigned ThreadCount(unsigned requested, size_t items)
{
    unsigned n = requested > 0 ? requested : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(n, items)));
}

// makeWorker() is called once per thread and gives that thread's private state
// (for example its own engine); work(state, index) returns the result of one
// item; consume(index, result) runs on the calling thread, in index order.
// Workers stay at most aheadPerThread items a thread ahead of the consumer.
template <class Result, class MakeWorker, class Work, class Consume>
void RunInOrder(size_t items, unsigned threads, MakeWorker makeWorker, Work work, Consume consume,
                size_t aheadPerThread = 4)
{
    if (threads <= 1 || items <= 1)
    {
        auto state = makeWorker();
        for (size_t i = 0; i < items; ++i)
            consume(i, work(state, i));
        return;
    }

    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<Result>> results(items);
    std::exception_ptr failure;
    size_t next = 0;
    size_t consumed = 0; // results handed on so far
    // Workers stay at most this many items ahead of the consumer, so finished
    // results waiting for a slow earlier item do not pile up without bound.
    const size_t window = static_cast<size_t>(threads) * aheadPerThread;
    std::condition_variable room;

    auto run = [&] {
        try
        {
            auto state = makeWorker();
            for (;;)
            {
                size_t index;
                {
                    std::unique_lock lock(mutex);
                    room.wait(lock, [&] { return next >= items || failure || next < consumed + window; });
                    if (next >= items || failure)
                        return;
                    index = next++;
                }
                Result result = work(state, index);
                std::lock_guard lock(mutex);
                results[index].emplace(std::move(result));
                ready.notify_all();
            }
        }
        catch (...)
        {
            std::lock_guard lock(mutex);
            if (!failure)
                failure = std::current_exception();
            ready.notify_all();
            room.notify_all();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned t = 0; t < threads; ++t)
    {
        // Threads the system will not start leave the items to those that
        // started, or to the calling thread when none did.
        try
        {
            pool.emplace_back(run);
        }
        catch (const std::system_error&)
        {
            break;
        }
    }
    if (pool.empty())
    {
        auto state = makeWorker();
        for (size_t i = 0; i < items; ++i)
            consume(i, work(state, i));
        return;
    }

    for (size_t i = 0; i < items; ++i)
    {
        std::optional<Result> result;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return results[i].has_value() || failure; });
            if (!results[i])
                break;
            result = std::move(results[i]);
            results[i].reset();
            consumed = i + 1;
            room.notify_all();
        }
        consume(i, std::move(*result));
    }
    for (auto& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace qmcli
