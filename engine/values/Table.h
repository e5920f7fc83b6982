#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <tsl/ordered_map.h>

#include "values/Hasher.h"

namespace engine {

class ValueUnion;

// Two keys are the same key when both are numbers with equal numerator,
// denominator and units, or both are canonically equivalent strings. Keys of
// any other kind never match, so they are stored but never found again.
struct TableKeyEqual {
    bool operator()(const ValueUnion& left, const ValueUnion& right) const;
};
struct TableKeyHash {
    std::size_t operator()(const ValueUnion& key) const;
};

// A map from values to values that iterates in insertion order (replacing the
// value of a key keeps its place), with average O(1) lookups. Immutable and
// shared: `with` returns a changed copy.
class Table {
public:
    // Entries in a vector rather than the default deque: most tables are
    // small, and a deque's first block alone costs half a kilobyte.
    using Storage = tsl::ordered_map<ValueUnion, ValueUnion, TableKeyHash, TableKeyEqual,
                                     std::allocator<std::pair<ValueUnion, ValueUnion>>,
                                     std::vector<std::pair<ValueUnion, ValueUnion>>>;

    Table() = default;
    // Throws InterpretError "Value nested too deeply" when a value nests too
    // deep (see List::maxNestingDepth).
    explicit Table(Storage entries);

    const Storage& value() const;
    std::size_t size() const;
    std::uint32_t depth() const { return depth_; }

    // The value stored under an equal key, or null.
    const ValueUnion* find(const ValueUnion& key) const;
    // A copy with `key` mapped to `value`.
    Table with(const ValueUnion& key, const ValueUnion& value) const;

    // Same number of entries, and every key of this table maps to an equal
    // value in the other.
    bool operator==(const Table& other) const;
    // Order-independent combination of the entries.
    void hash(Hasher& hasher) const;

private:
    std::shared_ptr<const Storage> entries_;
    std::uint32_t depth_ = 1;
};

} // namespace engine
