#include "frontend/NodeArena.h"

#include <cstdint>
#include <new>

namespace engine {

namespace {

// Large enough that a long document needs only a few hundred blocks, small
// enough that a one-line document does not claim much more than it uses.
constexpr std::size_t blockSize = 64 * 1024;

} // namespace

struct NodeArena::Block {
    Block* previous;
    std::size_t size;

    std::byte* begin() { return reinterpret_cast<std::byte*>(this + 1); }
    std::byte* end() { return begin() + size; }
};

NodeArena* NodeArena::create() { return new NodeArena(); }

NodeArena::~NodeArena()
{
    while (blocks_) {
        Block* previous = blocks_->previous;
        ::operator delete(blocks_);
        blocks_ = previous;
    }
}

void NodeArena::release()
{
    if (holds_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

void* NodeArena::allocate(std::size_t size, std::size_t alignment)
{
    void* memory = nullptr;
    if (next_) {
        const auto address = reinterpret_cast<std::uintptr_t>(next_);
        const auto aligned = (address + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
        auto* start = reinterpret_cast<std::byte*>(aligned);
        if (start <= end_ && size <= static_cast<std::size_t>(end_ - start)) {
            next_ = start + size;
            memory = start;
        }
    }
    if (!memory)
        memory = allocateInNewBlock(size, alignment);
    holds_.fetch_add(1, std::memory_order_relaxed);
    return memory;
}

void* NodeArena::allocateInNewBlock(std::size_t size, std::size_t alignment)
{
    // Block headers keep the alignment of the memory after them, which is
    // enough for every node.
    static_assert(sizeof(Block) % alignof(std::max_align_t) == 0);
    if (alignment > alignof(std::max_align_t))
        throw std::bad_alloc();
    const std::size_t capacity = size > blockSize ? size : blockSize;
    auto* block = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
    block->previous = blocks_;
    block->size = capacity;
    blocks_ = block;
    next_ = block->begin() + size;
    end_ = block->end();
    return block->begin();
}

} // namespace engine
