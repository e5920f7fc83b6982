#include "values/Units.h"

#include <algorithm>

namespace engine {

Units::Units(std::initializer_list<Entry> entries)
{
    for (const auto& [name, exponent] : entries)
        set(name, exponent);
}

Units::Units(std::vector<Entry>&& entries)
{
    if (!entries.empty())
        entries_ = std::make_shared<std::vector<Entry>>(std::move(entries));
}

std::vector<Units::Entry>& Units::own(std::size_t capacity)
{
    if (!entries_) {
        entries_ = std::make_shared<std::vector<Entry>>();
    } else if (entries_.use_count() > 1) {
        auto copy = std::make_shared<std::vector<Entry>>();
        copy->reserve(std::max(capacity, entries_->size()));
        copy->assign(entries_->begin(), entries_->end());
        entries_ = std::move(copy);
    }
    // Grown by doubling, so that setting units one by one stays linear.
    if (capacity > entries_->capacity())
        entries_->reserve(std::max(capacity, 2 * entries_->capacity()));
    return *entries_;
}

Units Units::withoutZeroExponents() const
{
    // The names are distinct already, so each entry is copied without a
    // search: a number with thousands of units stays linear here.
    Units result;
    auto& entries = result.own(size());
    for (const auto& entry : *this)
        if (entry.second != 0)
            entries.push_back(entry);
    return result;
}

std::int64_t Units::exponent(std::string_view name) const
{
    for (const auto& [unit, exponent] : entries())
        if (unit == name)
            return exponent;
    return 0;
}

void Units::set(std::string_view name, std::int64_t exponent)
{
    auto& entries = own(size() + 1);
    for (auto& entry : entries) {
        if (entry.first == name) {
            entry.second = exponent;
            return;
        }
    }
    entries.emplace_back(std::string(name), exponent);
}

bool Units::operator==(const Units& other) const
{
    if (size() != other.size())
        return false;
    if (entries_ == other.entries_)
        return true;
    return std::all_of(begin(), end(), [&](const Entry& entry) {
        return std::any_of(other.begin(), other.end(),
                           [&](const Entry& candidate) { return candidate == entry; });
    });
}

void Units::hashEntries(Hasher& hasher) const
{
    std::uint64_t sum = 0;
    for (const auto& unit : entries()) {
        sum += Hasher::single([&](Hasher& entry) {
            entry.combine(std::string_view(unit.first));
            entry.combineSigned(unit.second);
        });
    }
    hasher.combine(static_cast<std::uint64_t>(size()));
    hasher.combine(sum);
}

} // namespace engine
