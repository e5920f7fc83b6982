#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "values/ValueUnion.h"

namespace engine {

// A built-in's arguments, keyed by label. Calls carry a handful of
// arguments, so a flat list searched in order costs less than any hash map;
// a label given twice keeps its later value.
class FunctionArguments {
public:
    using Entry = std::pair<std::string, ValueUnion>;
    using const_iterator = std::vector<Entry>::const_iterator;

    void reserve(std::size_t count) { entries_.reserve(count); }
    void insert_or_assign(std::string label, ValueUnion value)
    {
        for (auto& entry : entries_) {
            if (entry.first == label) {
                entry.second = std::move(value);
                return;
            }
        }
        entries_.emplace_back(std::move(label), std::move(value));
    }

    const_iterator find(std::string_view label) const
    {
        for (auto entry = entries_.begin(); entry != entries_.end(); ++entry)
            if (entry->first == label)
                return entry;
        return entries_.end();
    }
    std::size_t size() const { return entries_.size(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }

private:
    std::vector<Entry> entries_;
};

} // namespace engine
