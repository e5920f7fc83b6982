#pragma once

#include <cstdint>
#include <vector>

#include "frontend/SyntaxTree.h"
#include "interpreter/Output.h"

namespace engine {

class Interpreter {
public:
    // One Output per statement, in statement order. Throws
    // MultiError<InterpretError> with every recorded error when any statement
    // failed; the outputs are then discarded.
    static std::vector<Output> interpret(const std::vector<Statement>& statements, std::int64_t stackDepth);
};

} // namespace engine
