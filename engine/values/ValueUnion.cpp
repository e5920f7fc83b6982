#include "values/ValueUnion.h"

#include <algorithm>

// Inlined: table keys are short, and for short input XXH3's call costs more
// than its hashing.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "values/InterpretError.h"

namespace engine {

namespace {

const std::string valueNestedTooDeeply = "Value nested too deeply";

std::uint32_t checkedDepth(std::uint32_t depth)
{
    if (depth > List::maxNestingDepth)
        throw InterpretError(valueNestedTooDeeply);
    return depth;
}

} // namespace

bool ValueUnion::operator==(const ValueUnion& other) const
{
    if (const auto* number = as<Number>()) {
        const auto* otherNumber = other.as<Number>();
        return otherNumber && *number == *otherNumber;
    }
    if (const auto* string = as<EString>()) {
        const auto* otherString = other.as<EString>();
        return otherString && *string == *otherString;
    }
    return false;
}

void ValueUnion::hash(Hasher& hasher) const
{
    hasher.combine(static_cast<std::uint64_t>(value_.index()));
    // Literals, the commonest values hashed, without a visit.
    if (const auto* number = as<Number>()) {
        number->hash(hasher);
        return;
    }
    std::visit(
        [&](const auto& payload) {
            using Payload = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<Payload, ErrorValue>)
                hasher.combine(std::string_view(payload.message));
            else if constexpr (!std::is_same_v<Payload, Bork>)
                payload.hash(hasher);
        },
        value_);
}

std::uint32_t containerDepth(const ValueUnion& value)
{
    if (const auto* list = value.as<List>())
        return list->depth();
    if (const auto* table = value.as<Table>())
        return table->depth();
    return 0;
}

// List

List::List(std::vector<ValueUnion> elements)
{
    std::uint32_t deepest = 0;
    for (const auto& element : elements)
        deepest = std::max(deepest, containerDepth(element));
    depth_ = checkedDepth(deepest + 1);
    if (!elements.empty())
        elements_ = std::make_shared<const std::vector<ValueUnion>>(std::move(elements));
}

const std::vector<ValueUnion>& List::value() const
{
    static const std::vector<ValueUnion> empty;
    return elements_ ? *elements_ : empty;
}

std::size_t List::size() const { return elements_ ? elements_->size() : 0; }

bool List::operator==(const List& other) const
{
    if (elements_ == other.elements_)
        return true;
    return value() == other.value();
}

void List::hash(Hasher& hasher) const
{
    const auto& elements = value();
    hasher.combine(static_cast<std::uint64_t>(elements.size()));
    for (const auto& element : elements)
        element.hash(hasher);
}

// Table

bool TableKeyEqual::operator()(const ValueUnion& left, const ValueUnion& right) const
{
    if (const auto* number = left.as<Number>()) {
        const auto* other = right.as<Number>();
        return other && *number == *other && number->units == other->units;
    }
    if (const auto* string = left.as<EString>()) {
        const auto* other = right.as<EString>();
        return other && *string == *other;
    }
    return false;
}

std::size_t TableKeyHash::operator()(const ValueUnion& key) const
{
    // Texts and plain numbers, the commonest keys, hash their bytes in one
    // go. Equal keys still hash alike: they are of one kind, equal texts have
    // one normal form (which may be ASCII although the text is not, as for
    // the Kelvin sign), and equal numbers have units or none alike.
    if (const auto* string = key.as<EString>()) {
        if (string->isAscii())
            return static_cast<std::size_t>(XXH3_64bits(string->value.data(), string->value.size()));
        const std::string normalized = string->normalized();
        return static_cast<std::size_t>(XXH3_64bits(normalized.data(), normalized.size()));
    }
    if (const auto* number = key.as<Number>(); number && number->units.empty()) {
        const std::int64_t parts[] = {number->numerator, number->denominator};
        return static_cast<std::size_t>(XXH3_64bits(parts, sizeof parts));
    }
    return static_cast<std::size_t>(Hasher::single([&](Hasher& hasher) {
        const auto kind = key.kind();
        if (kind == ValueUnion::Kind::number || kind == ValueUnion::Kind::string) {
            key.hash(hasher);
            return;
        }
        // Keys of other kinds are never found again, so a shallow hash will do;
        // a full one would walk every path through lists that share elements,
        // which can be exponentially many.
        hasher.combine(static_cast<std::uint64_t>(kind));
        if (const auto* list = key.as<List>())
            hasher.combine(static_cast<std::uint64_t>(list->size()));
        if (const auto* table = key.as<Table>())
            hasher.combine(static_cast<std::uint64_t>(table->size()));
    }));
}

Table::Table(Storage entries)
{
    std::uint32_t deepest = 0;
    for (const auto& [key, value] : entries)
        deepest = std::max({deepest, containerDepth(key), containerDepth(value)});
    depth_ = checkedDepth(deepest + 1);
    if (!entries.empty())
        entries_ = std::make_shared<const Storage>(std::move(entries));
}

const Table::Storage& Table::value() const
{
    static const Storage empty;
    return entries_ ? *entries_ : empty;
}

std::size_t Table::size() const { return entries_ ? entries_->size() : 0; }

const ValueUnion* Table::find(const ValueUnion& key) const
{
    if (!entries_)
        return nullptr;
    auto found = entries_->find(key);
    return found == entries_->end() ? nullptr : &found->second;
}

Table Table::with(const ValueUnion& key, const ValueUnion& value) const
{
    const auto depth = checkedDepth(std::max({depth_, containerDepth(key) + 1, containerDepth(value) + 1}));
    auto entries = entries_ ? std::make_shared<Storage>(*entries_) : std::make_shared<Storage>();
    entries->insert_or_assign(key, value);
    Table result;
    result.entries_ = std::move(entries);
    result.depth_ = depth;
    return result;
}

bool Table::operator==(const Table& other) const
{
    if (size() != other.size())
        return false;
    for (const auto& [key, value] : value()) {
        const auto* found = other.find(key);
        if (!found || !(*found == value))
            return false;
    }
    return true;
}

void Table::hash(Hasher& hasher) const
{
    std::uint64_t sum = 0;
    for (const auto& pair : value()) {
        sum += Hasher::single([&](Hasher& entry) {
            pair.first.hash(entry);
            pair.second.hash(entry);
        });
    }
    hasher.combine(static_cast<std::uint64_t>(size()));
    hasher.combine(sum);
}

} // namespace engine
