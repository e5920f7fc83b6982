#include "interpreter/Bindings.h"

#include <xxhash.h>

namespace engine {

std::size_t Bindings::NameHash::operator()(std::string_view name) const
{
    return static_cast<std::size_t>(XXH3_64bits(name.data(), name.size()));
}

const ValueUnion* Bindings::find(std::string_view name) const
{
    if (map_) {
        auto found = map_->find(name);
        return found == map_->end() ? nullptr : &found->second;
    }
    for (const auto& entry : entries_)
        if (entry.first == name)
            return &entry.second;
    return nullptr;
}

ValueUnion* Bindings::findMutable(std::string_view name)
{
    return const_cast<ValueUnion*>(std::as_const(*this).find(name));
}

void Bindings::add(std::string_view name, ValueUnion value)
{
    if (!map_ && entries_.size() == linearLimit)
        grow();
    if (map_)
        map_->emplace(name, std::move(value));
    else
        entries_.emplace_back(name, std::move(value));
}

void Bindings::assign(std::string_view name, ValueUnion value)
{
    if (auto* bound = findMutable(name))
        *bound = std::move(value);
    else
        add(name, std::move(value));
}

void Bindings::reserve(std::size_t count)
{
    if (!map_ && count <= linearLimit)
        entries_.reserve(count);
}

std::span<const Bindings::Entry> Bindings::entries() const
{
    if (map_)
        return map_->values_container();
    return entries_;
}

void Bindings::grow()
{
    map_ = std::make_unique<Map>();
    map_->reserve(2 * linearLimit);
    for (auto& [name, value] : entries_)
        map_->emplace(name, std::move(value));
    entries_.clear();
    entries_.shrink_to_fit();
}

} // namespace engine
