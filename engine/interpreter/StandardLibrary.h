#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tsl/ordered_map.h>

#include "values/ValueUnion.h"

namespace engine {

// The built-in functions every run starts with.
struct StandardLibrary {
    // Entries in a vector, which the lookup by name walks in order.
    using FunctionTable = tsl::ordered_map<std::string, ValueUnion, std::hash<std::string>, std::equal_to<std::string>,
                                           std::allocator<std::pair<std::string, ValueUnion>>,
                                           std::vector<std::pair<std::string, ValueUnion>>>;

    // Name to built-in callable; built once, thread-safely, on first use and
    // read-only afterwards.
    static const FunctionTable& functions();
    // The built-in of that name, or null. Inline, so that the many names of
    // no built-in's length cost a test.
    static const ValueUnion* find(std::string_view name)
    {
        return name.size() < 64 && (nameLengths >> name.size()) & 1 ? findByName(name) : nullptr;
    }

private:
    // Bit n is set when a built-in's name has n bytes.
    static const std::uint64_t nameLengths;
    static const ValueUnion* findByName(std::string_view name);
};

} // namespace engine
