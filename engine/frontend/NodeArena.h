#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace engine {

// Memory for the syntax tree nodes of one parse. A long document's tree is
// tens of thousands of small nodes that are built together and dropped
// together, so they are carved one after another from large blocks, and the
// blocks are freed at once when the last node is gone. That spares the
// general allocator most of its work, and keeps a tree's nodes close
// together for the walks over it.
//
// Whoever creates an arena holds it until release(); every node allocated
// from it holds it too, until it is deallocated. Nodes may be dropped on any
// thread, so the holds are counted atomically. What the nodes refer to but do
// not own (the parse's tokens) the arena keeps for them, for as long as it
// lives.
//
// Blocks are aligned to their size, so a node finds its arena from its own
// address and need not store a pointer to it.
class NodeArena {
public:
    NodeArena(const NodeArena&) = delete;
    NodeArena& operator=(const NodeArena&) = delete;

    // A new arena, held by the caller until close().
    static NodeArena* create();
    // The creator's last call: it allocates no more and drops its hold.
    void close();
    // Drops holds of nodes; the last hold frees the arena and all its blocks.
    void release(std::size_t holds = 1);

    // The arena that handed out `memory`, given the start of what allocate()
    // returned.
    static NodeArena& of(const void* memory)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(memory);
        return *reinterpret_cast<const Block*>(address & ~(std::uintptr_t{blockSize} - 1))->arena;
    }

    // Memory for one node, adding a hold. Only the creator allocates, and
    // only until it closes the arena.
    // Inline, since the parser asks for every node.
    void* allocate(std::size_t size, std::size_t alignment)
    {
        ++allocations_;
        if (next_) {
            const auto address = reinterpret_cast<std::uintptr_t>(next_);
            const auto aligned = (address + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
            auto* start = reinterpret_cast<std::byte*>(aligned);
            if (start <= end_ && size <= static_cast<std::size_t>(end_ - start)) {
                next_ = start + size;
                return start;
            }
        }
        return allocateInNewBlock(size, alignment);
    }
    // Keeps `referred` alive until the arena goes; for the creator, before it
    // hands out any node.
    void keep(std::shared_ptr<const void> referred) { referred_ = std::move(referred); }

private:
    // Large enough that a long document needs only a few hundred blocks, small
    // enough that a one-line document does not claim much more than it uses.
    static constexpr std::size_t blockSize = 64 * 1024;

    // The header at the start of each block; the memory handed out follows it.
    struct alignas(std::max_align_t) Block {
        Block* previous;
        // Of the memory after the header.
        std::size_t size;
        NodeArena* arena;
    };
    // What a block of blockSize holds after its header.
    static constexpr std::size_t blockCapacity = blockSize - sizeof(Block);

    NodeArena() = default;
    ~NodeArena();
    void* allocateInNewBlock(std::size_t size, std::size_t alignment);
    // Blocks outlive their arena in a pool shared by all arenas, up to a
    // limit: every keystroke parses the whole document anew, and memory given
    // back to the system would have to be faulted in and cleared each time.
    static Block* reusedBlock();
    // A block for the next piece: the next of the last run, a pooled one, or
    // a new one.
    Block* takeBlock();
    // Memory of `size` bytes, a multiple of blockSize, aligned to `alignment`
    // (itself a multiple of blockSize); and its return.
    static void* allocateBlock(std::size_t size, std::size_t alignment = blockSize);
    static void freeBlock(Block* block);
    static void freeMemory(void* memory, std::size_t size);
    static void recycle(Block* blocks);

    // An arena maps its blocks this many at a time, as one huge page, once
    // it holds singleBlocks of them and so is building a long document's tree.
    static constexpr std::size_t blocksPerRun = 32;
    static constexpr std::size_t singleBlocks = 8;

    // Holds are counted down from a bias while the creator allocates, so that
    // handing out memory needs no atomic operation; close() trades the bias
    // for the count of allocations. No parse makes half as many nodes.
    static constexpr std::size_t creatorBias = std::size_t{1} << (sizeof(std::size_t) * 8 - 2);
    std::atomic<std::size_t> holds_{creatorBias};
    // Only the creator touches it.
    std::size_t allocations_ = 0;
    // The block being filled; it links to the ones filled before it.
    Block* blocks_ = nullptr;
    std::size_t blockCount_ = 0;
    // The blocks of the last run not used yet.
    std::byte* runNext_ = nullptr;
    std::byte* runEnd_ = nullptr;
    std::byte* next_ = nullptr;
    std::byte* end_ = nullptr;
    std::shared_ptr<const void> referred_;
};

} // namespace engine
