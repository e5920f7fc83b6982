#pragma once

#include <string>

#include <tsl/ordered_map.h>

#include "values/ValueUnion.h"

namespace engine {

// The built-in functions every run starts with.
struct StandardLibrary {
    using FunctionTable = tsl::ordered_map<std::string, ValueUnion>;

    // Name to built-in callable; built once, thread-safely, on first use and
    // read-only afterwards.
    static const FunctionTable& functions();
};

} // namespace engine
