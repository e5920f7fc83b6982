#pragma once

#include "frontend/SyntaxTree.h"
#include "values/ValueUnion.h"

namespace engine {

// One statement's result.
struct Output {
    // The statement that produced the value; its token gives the source line.
    Statement sourceStatement;
    ValueUnion value;
};

} // namespace engine
