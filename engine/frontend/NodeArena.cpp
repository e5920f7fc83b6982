#include "frontend/NodeArena.h"

#include <cstdint>
#include <mutex>
#include <new>

namespace engine {

namespace {

// Large enough that a long document needs only a few hundred blocks, small
// enough that a one-line document does not claim much more than it uses.
constexpr std::size_t blockSize = 64 * 1024;

// The pool keeps at most this many blocks (16 MB), enough for the tree of a
// document of some fifteen thousand lines; more are freed.
constexpr std::size_t maxPooledBlocks = 256;

} // namespace

struct NodeArena::Block {
    Block* previous;
    std::size_t size;

    std::byte* begin() { return reinterpret_cast<std::byte*>(this + 1); }
    std::byte* end() { return begin() + size; }
};

namespace {

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
        if (blocks->size == blockSize && shared.count < maxPooledBlocks) {
            blocks->previous = static_cast<Block*>(shared.blocks);
            shared.blocks = blocks;
            ++shared.count;
        } else {
            ::operator delete(blocks);
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

void NodeArena::release()
{
    if (holds_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

void* NodeArena::allocateInNewBlock(std::size_t size, std::size_t alignment)
{
    // Block headers keep the alignment of the memory after them, which is
    // enough for every node.
    static_assert(sizeof(Block) % alignof(std::max_align_t) == 0);
    if (alignment > alignof(std::max_align_t))
        throw std::bad_alloc();
    Block* block = size <= blockSize ? reusedBlock() : nullptr;
    if (!block) {
        const std::size_t capacity = size > blockSize ? size : blockSize;
        block = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
        block->size = capacity;
    }
    block->previous = blocks_;
    blocks_ = block;
    next_ = block->begin() + size;
    end_ = block->end();
    return block->begin();
}

} // namespace engine
