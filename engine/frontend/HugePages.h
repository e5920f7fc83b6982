#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace engine {

// Asks the system to back the whole 2 MB pages inside [begin, begin + size)
// with huge pages. A long document's token list and tree are tens of
// megabytes written once, front to back; in 4 KB pages a fresh process spends
// as long faulting them in as building them. Only a hint: where the system
// has no such pages, or the range holds none, nothing changes.
inline void adviseHugePages([[maybe_unused]] void* begin, [[maybe_unused]] std::size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    const auto start = (reinterpret_cast<std::uintptr_t>(begin) + hugePage - 1) & ~(hugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(begin) + size) & ~(hugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

} // namespace engine
