#include "interpreter/WorkBudget.h"

#include "values/InterpretError.h"
#include "values/ValueUnion.h"

namespace engine {

void WorkBudget::fail() { throw InterpretError(evaluationTooLong); }

void WorkBudget::spendOnList(std::span<const ValueUnion> elements)
{
    std::uint64_t bytes = listOverheadBytes;
    for (const auto& element : elements)
        bytes += storedBytes(element);
    spend(1 + bytes / bytesPerStep);
}

void WorkBudget::spendOnTable(const Table::Storage& entries, std::span<const ValueUnion> extra)
{
    std::uint64_t bytes = tableOverheadBytes;
    for (const auto& [key, value] : entries)
        bytes += storedBytes(key) + storedBytes(value) + tableBucketBytes;
    for (const auto& value : extra)
        bytes += storedBytes(value) + tableBucketBytes;
    spend(1 + bytes / bytesPerStep);
}

std::size_t WorkBudget::storedBytes(const ValueUnion& value) { return storedValueBytes + heapBytes(value); }

std::size_t WorkBudget::unitEntryBytes(const Number& number)
{
    std::size_t bytes = 0;
    for (const auto& [name, exponent] : number.units)
        bytes += sizeof(Units::Entry) + name.size();
    return bytes;
}

} // namespace engine
