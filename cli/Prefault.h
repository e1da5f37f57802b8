// Large buffers about to be written for the first time: the kernel is asked
// for all their pages in one call, which on this kind of machine costs about
// half of what a page fault for each page does when the buffer is first
// written (and a freshly allocated large buffer always faults).
#pragma once

#include <cstddef>
#include <cstdint>

#include <sys/mman.h>

namespace qmcli
{

// Gives memory to the whole pages of [start, start + length) that have none
// yet; their contents do not change. Does nothing where the system cannot,
// and for short ranges, whose pages are mostly there already.
inline void Prefault(const void* start, size_t length)
{
#ifdef MADV_POPULATE_WRITE
    constexpr size_t kPage = 4096;
    constexpr size_t kMinLength = 64 * 1024;
    if (length < kMinLength)
        return;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(start) + kPage - 1) & ~(kPage - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(start) + length) & ~(kPage - 1);
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
    (void)start;
    (void)length;
#endif
}

} // namespace qmcli
