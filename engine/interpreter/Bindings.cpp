#include "interpreter/Bindings.h"

// Inlined: names are short, and for short input XXH3's call costs more than
// its hashing.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace engine {

std::size_t Bindings::NameHash::operator()(std::string_view name) const
{
    return static_cast<std::size_t>(XXH3_64bits(name.data(), name.size()));
}

const ValueUnion* Bindings::findInMap(std::string_view name) const
{
    auto found = map_->find(name);
    return found == map_->end() ? nullptr : &found->second;
}

void Bindings::makeMap(std::size_t count)
{
    auto map = std::make_unique<Map>();
    map->reserve(count);
    for (auto& [bound, boundValue] : std::span(local(), count_))
        map->emplace(bound, std::move(boundValue));
    std::destroy_n(local(), count_);
    count_ = 0;
    map_ = std::move(map);
}

void Bindings::addToMap(std::string_view name, ValueUnion&& value)
{
    if (!map_)
        makeMap(2 * linearLimit);
    map_->emplace(name, std::move(value));
}

void Bindings::reserve(std::size_t count)
{
    if (count <= linearLimit)
        return;
    if (map_)
        map_->reserve(count);
    else
        makeMap(count);
}

std::span<const Bindings::Entry> Bindings::entries() const
{
    if (map_)
        return map_->values_container();
    return {local(), count_};
}

} // namespace engine
