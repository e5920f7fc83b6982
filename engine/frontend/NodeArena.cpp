#include "frontend/NodeArena.h"

#include "frontend/HugePages.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace engine {

namespace {

// Only mapped memory can be given back a block at a time.
#if defined(__linux__)
constexpr bool mapsRuns = true;
#else
constexpr bool mapsRuns = false;
#endif

// The pool keeps at most this many blocks (16 MB), enough for the tree of a
// document of some forty thousand lines; more are freed.
constexpr std::size_t maxPooledBlocks = 256;

struct Pool {
    std::mutex mutex;
    // A chain of NodeArena::Block, a type private to the arena.
    void* blocks = nullptr;
    std::size_t count = 0;
};

// Never destroyed, so that arenas released during static destruction still
// find it.
Pool& pool()
{
    static Pool* const instance = new Pool;
    return *instance;
}

} // namespace

// Blocks are mapped straight from the system rather than taken from the
// heap: an allocation aligned to its own size leaves up to a block of slack
// in front of it, which the heap then fragments around (some 4 MB of a
// 100,000-line document's peak). A fresh mapping usually lands right below
// the last one, and so aligned and merged with it; otherwise a block's worth
// more is mapped and its unaligned ends cut away.
void* NodeArena::allocateBlock(std::size_t size, std::size_t alignment)
{
#if defined(__linux__)
    constexpr int protection = PROT_READ | PROT_WRITE;
    constexpr int flags = MAP_PRIVATE | MAP_ANONYMOUS;
    void* memory = mmap(nullptr, size, protection, flags, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    if (reinterpret_cast<std::uintptr_t>(memory) % alignment == 0)
        return memory;
    munmap(memory, size);
    const std::size_t padded = size + alignment;
    auto* raw = static_cast<std::byte*>(mmap(nullptr, padded, protection, flags, -1, 0));
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(raw);
    const std::size_t head = (alignment - address % alignment) % alignment;
    if (head > 0)
        munmap(raw, head);
    munmap(raw + head + size, alignment - head);
    return raw + head;
#else
    return ::operator new(size, std::align_val_t{alignment});
#endif
}

void NodeArena::freeBlock(Block* block) { freeMemory(block, sizeof(Block) + block->size); }

void NodeArena::freeMemory(void* memory, std::size_t size)
{
#if defined(__linux__)
    munmap(memory, size);
#else
    ::operator delete(memory, size, std::align_val_t{blockSize});
#endif
}


NodeArena::Block* NodeArena::reusedBlock()
{
    auto& shared = pool();
    const std::lock_guard lock(shared.mutex);
    auto* block = static_cast<Block*>(shared.blocks);
    if (block) {
        shared.blocks = block->previous;
        --shared.count;
    }
    return block;
}

void NodeArena::recycle(Block* blocks)
{
    auto& shared = pool();
    const std::lock_guard lock(shared.mutex);
    while (blocks) {
        Block* previous = blocks->previous;
        if (blocks->size == blockCapacity && shared.count < maxPooledBlocks) {
            blocks->previous = static_cast<Block*>(shared.blocks);
            shared.blocks = blocks;
            ++shared.count;
        } else {
            freeBlock(blocks);
        }
        blocks = previous;
    }
}

// A long document's tree is tens of megabytes written once. In 4 KB pages a
// fresh process spends about as long faulting them in as building the tree,
// so once an arena holds singleBlocks blocks, it maps the next ones a run at
// a time, aligned to a huge page, and asks for one.
NodeArena::Block* NodeArena::takeBlock()
{
    Block* block = nullptr;
    if (runNext_ != runEnd_) {
        block = reinterpret_cast<Block*>(std::exchange(runNext_, runNext_ + blockSize));
    } else if (Block* pooled = reusedBlock()) {
        return pooled; // pooled blocks are all of blockCapacity
    } else if (!mapsRuns || blockCount_ < singleBlocks) {
        block = static_cast<Block*>(allocateBlock(blockSize));
    } else {
        constexpr std::size_t runSize = blocksPerRun * blockSize;
        static_assert(runSize == hugePageSize);
        auto* run = static_cast<std::byte*>(allocateBlock(runSize, runSize));
        adviseHugePages(run, runSize);
        runNext_ = run + blockSize;
        runEnd_ = run + runSize;
        block = reinterpret_cast<Block*>(run);
    }
    block->size = blockCapacity;
    return block;
}

NodeArena* NodeArena::create() { return new NodeArena(); }

NodeArena::~NodeArena() { recycle(blocks_); }

void NodeArena::close()
{
    // The rest of the last run goes back to the system: a run is one huge
    // page, backed whole, and the tree is complete.
    if (runNext_ != runEnd_)
        freeMemory(runNext_, static_cast<std::size_t>(runEnd_ - runNext_));
    runNext_ = runEnd_ = nullptr;
    if (holds_.fetch_sub(creatorBias - allocations_, std::memory_order_acq_rel) == creatorBias - allocations_)
        delete this;
}

void NodeArena::release(std::size_t holds)
{
    if (holds_.fetch_sub(holds, std::memory_order_acq_rel) == holds)
        delete this;
}

void* NodeArena::allocateInNewBlock(std::size_t size, std::size_t alignment)
{
    // Block headers keep the alignment of the memory after them, which is
    // enough for every node.
    static_assert(sizeof(Block) % alignof(std::max_align_t) == 0);
    if (alignment > alignof(std::max_align_t) || size > SIZE_MAX / 2)
        throw std::bad_alloc();
    Block* block = nullptr;
    if (size <= blockCapacity) {
        block = takeBlock();
    } else {
        // A larger piece gets a block of its own, of whole blocks; it starts
        // within the first blockSize bytes, so of() finds its header all the
        // same.
        const std::size_t total = (sizeof(Block) + size + blockSize - 1) / blockSize * blockSize;
        block = static_cast<Block*>(allocateBlock(total));
        block->size = total - sizeof(Block);
    }
    ++blockCount_;
    block->previous = blocks_;
    block->arena = this;
    blocks_ = block;
    auto* begin = reinterpret_cast<std::byte*>(block + 1);
    next_ = begin + size;
    // Nothing follows a large piece: past the block's first blockSize bytes,
    // of() would not find the header.
    end_ = size > blockCapacity ? next_ : begin + block->size;
    return begin;
}

} // namespace engine
