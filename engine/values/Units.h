#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "values/Hasher.h"

namespace engine {

// The units of a number: unit name to exponent. Entries keep the order in
// which their names first appeared, so "kgm" never turns into "mkg" between
// keystrokes; equality and hashing ignore that order, as for any map.
//
// Numbers are copied at every name lookup and argument, and most copies are
// never changed, so copies share their entries and the first change makes
// its own; no units at all take no memory.
class Units {
public:
    using Entry = std::pair<std::string, std::int64_t>;
    using const_iterator = std::vector<Entry>::const_iterator;

    Units() = default;
    Units(std::initializer_list<Entry> entries);
    // Takes the entries as they are; their names must be distinct.
    explicit Units(std::vector<Entry>&& entries);

    // 0 when the unit is absent.
    std::int64_t exponent(std::string_view name) const;
    // Replaces the exponent in place, or appends a new entry at the end.
    void set(std::string_view name, std::int64_t exponent);
    // The same units without those whose exponent is 0, in the same order.
    Units withoutZeroExponents() const;
    // Room for this many units without reallocating.
    void reserve(std::size_t count) { own(count); }

    bool empty() const { return size() == 0; }
    std::size_t size() const { return entries_ ? entries_->size() : 0; }
    const_iterator begin() const { return entries().begin(); }
    const_iterator end() const { return entries().end(); }

    // The same names with the same exponents, in any order.
    bool operator==(const Units& other) const;
    // The count, then an order-independent combination of each unit's name
    // and exponent (0 for none, as for a plain number).
    void hash(Hasher& hasher) const
    {
        if (empty()) {
            hasher.combine(std::uint64_t{0});
            hasher.combine(std::uint64_t{0});
            return;
        }
        hashEntries(hasher);
    }

private:
    void hashEntries(Hasher& hasher) const;
    const std::vector<Entry>& entries() const { return entries_ ? *entries_ : none; }
    // Entries of this object's own, with room for `capacity`, ready to change.
    std::vector<Entry>& own(std::size_t capacity);

    // Null when there are none.
    std::shared_ptr<std::vector<Entry>> entries_;
    static inline const std::vector<Entry> none;
};

} // namespace engine
