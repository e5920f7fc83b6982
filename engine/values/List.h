#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "values/Hasher.h"

namespace engine {

class Number;
class ValueUnion;

// An ordered sequence of values. The elements live in one immutable shared
// array, so copying a list costs a pointer.
class List {
public:
    // Lists and tables may nest this deep and no deeper, so that every walk
    // over a value (destruction, equality, hashing) stays far from the end of
    // the stack whatever a document builds.
    static constexpr std::uint32_t maxNestingDepth = 1000;
    // No list the language builds holds more elements than this.
    static constexpr std::size_t maxElements = 1'000'000;

    List() = default;
    // Throws InterpretError "Value nested too deeply" past maxNestingDepth.
    explicit List(std::vector<ValueUnion> elements);

    // Throws InterpretError "Result too large" when a list of this many
    // elements would pass maxElements. Call it before building.
    static void checkResultSize(std::size_t elements);

    const std::vector<ValueUnion>& value() const;
    std::size_t size() const;
    // 1 for a list of plain values, 1 more than its deepest list or table.
    std::uint32_t depth() const { return depth_; }

    // Each element repeated in place `count` times.
    static ValueUnion multiply(const List& list, const Number& count);

    bool operator==(const List& other) const;
    // Element count, then each element in order.
    void hash(Hasher& hasher) const;

private:
    std::shared_ptr<const std::vector<ValueUnion>> elements_;
    std::uint32_t depth_ = 1;
};

// The nesting depth a list or table holding `value` would have.
std::uint32_t containerDepth(const ValueUnion& value);

} // namespace engine
