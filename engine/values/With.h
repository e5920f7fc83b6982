#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace engine {

// Modify a copy and return it.
template <typename T, typename Modify>
T with(T value, Modify&& modify)
{
    std::forward<Modify>(modify)(value);
    return value;
}

// Apply a function to a value.
template <typename T, typename Fn>
decltype(auto) pipe(T&& value, Fn&& fn)
{
    return std::forward<Fn>(fn)(std::forward<T>(value));
}

template <typename T>
bool equals(const T& left, const T& right)
{
    return left == right;
}

// The element at `index`, or nothing when the index is out of range.
template <typename T>
std::optional<T> get(const std::vector<T>& array, std::int64_t index)
{
    if (index < 0 || static_cast<std::uint64_t>(index) >= array.size())
        return std::nullopt;
    return array[static_cast<std::size_t>(index)];
}

// The value stored under `key`, or nothing. Works for every map with find().
template <typename Map, typename Key>
auto get(const Map& map, const Key& key) -> std::optional<typename Map::mapped_type>
{
    auto found = map.find(key);
    if (found == map.end())
        return std::nullopt;
    return found->second;
}

} // namespace engine
