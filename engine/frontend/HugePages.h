#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace engine {

// The size of a huge page on the systems that have them.
inline constexpr std::size_t hugePageSize = std::size_t{2} << 20;

// Asks the system to back the whole 2 MB pages inside [begin, begin + size)
// with huge pages. A long document's token list and tree are tens of
// megabytes written once, front to back; in 4 KB pages a fresh process spends
// as long faulting them in as building them. Only a hint: where the system
// has no such pages, or the range holds none, nothing changes.
inline void adviseHugePages([[maybe_unused]] void* begin, [[maybe_unused]] std::size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = hugePageSize;
    const auto start = (reinterpret_cast<std::uintptr_t>(begin) + hugePage - 1) & ~(hugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(begin) + size) & ~(hugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

// Gives back the pages of [begin + used, begin + size) that hold nothing. A
// huge page is backed whole once touched, so the one a list ends in would
// otherwise keep up to 2 MB its list never reaches. They come back as fresh
// zero pages if the list grows into them. A short tail is not worth the call.
inline void releaseUnusedPages([[maybe_unused]] void* begin, [[maybe_unused]] std::size_t used,
                               [[maybe_unused]] std::size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (size - used < hugePageSize / 4)
        return;
    static const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = (reinterpret_cast<std::uintptr_t>(begin) + used + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(begin) + size) & ~(page - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
#endif
}

} // namespace engine
