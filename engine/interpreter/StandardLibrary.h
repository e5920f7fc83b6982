#pragma once

#include <string>
#include <string_view>

#include <tsl/ordered_map.h>

#include "values/ValueUnion.h"

namespace engine {

// The built-in functions every run starts with.
struct StandardLibrary {
    using FunctionTable = tsl::ordered_map<std::string, ValueUnion>;

    // Name to built-in callable; built once, thread-safely, on first use and
    // read-only afterwards.
    static const FunctionTable& functions();
    // The built-in of that name, or null.
    static const ValueUnion* find(std::string_view name);
};

} // namespace engine
