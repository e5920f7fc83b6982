#pragma once

#include <span>
#include <string_view>

#include "values/ValueUnion.h"

namespace engine {

// One labelled argument of a call, already evaluated. The label views the
// call's syntax tree or a built-in's own constant, both of which outlive the
// call.
struct Argument {
    std::string_view label;
    ValueUnion value;
};

// A built-in's arguments, keyed by label: a view of the call's arguments in
// the order they were written. Calls carry a handful of arguments, so a
// search in order costs less than building any map; a label given twice
// keeps its later value.
class FunctionArguments {
public:
    explicit FunctionArguments(std::span<const Argument> arguments) : arguments_(arguments) {}

    // The value under `label`, or null.
    const ValueUnion* find(std::string_view label) const
    {
        // From the end, so that the later of two equal labels is found.
        for (auto argument = arguments_.rbegin(); argument != arguments_.rend(); ++argument)
            if (argument->label == label)
                return &argument->value;
        return nullptr;
    }

private:
    std::span<const Argument> arguments_;
};

} // namespace engine
