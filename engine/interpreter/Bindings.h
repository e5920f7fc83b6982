#pragma once

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include <tsl/ordered_map.h>

#include "values/ValueUnion.h"

namespace engine {

// The names one interpreter has bound, in the order they were first bound.
// Names are views into the syntax tree, which outlives every run.
//
// A function body binds a handful of names, which a flat list finds faster
// than any hash (and which the caller can place in its own stack memory); a
// document binds thousands, so past a few the names move into a hash map.
class Bindings {
public:
    using Entry = std::pair<std::string_view, ValueUnion>;

    // Up to this many names are searched in order.
    static constexpr std::size_t linearLimit = 8;

    // The flat list takes its memory from `memory`.
    explicit Bindings(std::pmr::memory_resource* memory = std::pmr::get_default_resource()) : entries_(memory) {}
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;

    // Null when the name is unbound.
    const ValueUnion* find(std::string_view name) const;
    // Binds a name that is not bound yet, after all others.
    void add(std::string_view name, ValueUnion value);
    // Replaces the value of a bound name in its place, or adds the name.
    void assign(std::string_view name, ValueUnion value);
    // Room for this many names, when they fit the flat list.
    void reserve(std::size_t count);

    std::size_t size() const { return map_ ? map_->size() : entries_.size(); }
    // Every binding in first-binding order.
    std::span<const Entry> entries() const;

private:
    struct NameHash {
        std::size_t operator()(std::string_view name) const;
    };
    // Entries in a vector rather than the default deque, whose first block
    // alone costs half a kilobyte.
    using Map = tsl::ordered_map<std::string_view, ValueUnion, NameHash, std::equal_to<std::string_view>,
                                 std::allocator<Entry>, std::vector<Entry>>;

    ValueUnion* findMutable(std::string_view name);
    // Moves the flat list into the map.
    void grow();

    std::pmr::vector<Entry> entries_;
    // Holds every binding instead of entries_ once there are more than linearLimit.
    std::unique_ptr<Map> map_;
};

} // namespace engine
