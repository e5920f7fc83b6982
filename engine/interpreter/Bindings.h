#pragma once

#include <cstddef>
#include <memory>
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
// A function body binds a handful of names, which a flat list inside the
// object finds faster than any hash, and without allocating; a document binds
// thousands, so past a few the names move into a hash map.
class Bindings {
public:
    using Entry = std::pair<std::string_view, ValueUnion>;

    // Up to this many names are kept in order inside the object.
    static constexpr std::size_t linearLimit = 8;

    Bindings() = default;
    ~Bindings() { std::destroy_n(local(), count_); }
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;

    // Null when the name is unbound.
    const ValueUnion* find(std::string_view name) const
    {
        if (map_)
            return findInMap(name);
        for (const auto& entry : std::span(local(), count_))
            if (entry.first == name)
                return &entry.second;
        return nullptr;
    }
    // Binds a name that is not bound yet, after all others.
    void add(std::string_view name, ValueUnion&& value)
    {
        if (!map_ && count_ < linearLimit) {
            ::new (static_cast<void*>(local() + count_)) Entry(name, std::move(value));
            ++count_;
            return;
        }
        addToMap(name, std::move(value));
    }
    // Replaces the value of a bound name in its place, or adds the name.
    void assign(std::string_view name, ValueUnion&& value)
    {
        if (const auto* bound = find(name))
            *const_cast<ValueUnion*>(bound) = std::move(value);
        else
            add(name, std::move(value));
    }

    // Room for this many names; only worth it for more than the flat list holds.
    void reserve(std::size_t count);

    std::size_t size() const { return map_ ? map_->size() : count_; }
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

    const ValueUnion* findInMap(std::string_view name) const;
    // Moves the local entries into the map first, if they are still local.
    void addToMap(std::string_view name, ValueUnion&& value);
    // Moves the local entries into a map with room for `count` names.
    void makeMap(std::size_t count);

    Entry* local() { return reinterpret_cast<Entry*>(storage_); }
    const Entry* local() const { return reinterpret_cast<const Entry*>(storage_); }

    // The first count_ slots hold entries while map_ is null; none once it is set.
    alignas(Entry) std::byte storage_[linearLimit * sizeof(Entry)];
    std::size_t count_ = 0;
    std::unique_ptr<Map> map_;
};

} // namespace engine
