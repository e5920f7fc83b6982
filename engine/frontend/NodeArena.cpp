#include "frontend/NodeArena.h"

#include <cstdint>
#include <mutex>
#include <new>

namespace engine {

namespace {

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
        if (blocks->size == blockSize - sizeof(Block) && shared.count < maxPooledBlocks) {
            blocks->previous = static_cast<Block*>(shared.blocks);
            shared.blocks = blocks;
            ++shared.count;
        } else {
            ::operator delete(blocks, std::align_val_t{blockSize});
        }
        blocks = previous;
    }
}

NodeArena* NodeArena::create() { return new NodeArena(); }

NodeArena::~NodeArena() { recycle(blocks_); }

void NodeArena::close()
{
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
    if (alignment > alignof(std::max_align_t))
        throw std::bad_alloc();
    constexpr std::size_t capacity = blockSize - sizeof(Block);
    Block* block = size <= capacity ? reusedBlock() : nullptr;
    if (!block) {
        // A larger piece gets a block of its own; it starts within the
        // block's first blockSize bytes, so of() finds its header all the same.
        const std::size_t total = size > capacity ? sizeof(Block) + size : blockSize;
        block = static_cast<Block*>(::operator new(total, std::align_val_t{blockSize}));
        block->size = total - sizeof(Block);
    }
    block->previous = blocks_;
    block->arena = this;
    blocks_ = block;
    auto* begin = reinterpret_cast<std::byte*>(block + 1);
    next_ = begin + size;
    end_ = begin + block->size;
    return begin;
}

} // namespace engine
