#include "values/Units.h"

#include <algorithm>

namespace engine {

Units::Units(std::initializer_list<Entry> entries)
{
    for (const auto& [name, exponent] : entries)
        set(name, exponent);
}

std::int64_t Units::exponent(std::string_view name) const
{
    for (const auto& [unit, exponent] : entries_)
        if (unit == name)
            return exponent;
    return 0;
}

void Units::set(std::string_view name, std::int64_t exponent)
{
    for (auto& entry : entries_) {
        if (entry.first == name) {
            entry.second = exponent;
            return;
        }
    }
    entries_.emplace_back(std::string(name), exponent);
}

bool Units::operator==(const Units& other) const
{
    if (entries_.size() != other.entries_.size())
        return false;
    return std::all_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return std::any_of(other.entries_.begin(), other.entries_.end(),
                           [&](const Entry& candidate) { return candidate == entry; });
    });
}

void Units::hashEntries(Hasher& hasher) const
{
    std::uint64_t sum = 0;
    for (const auto& unit : entries_) {
        sum += Hasher::single([&](Hasher& entry) {
            entry.combine(std::string_view(unit.first));
            entry.combineSigned(unit.second);
        });
    }
    hasher.combine(static_cast<std::uint64_t>(entries_.size()));
    hasher.combine(sum);
}

} // namespace engine
