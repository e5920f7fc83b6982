#include "values/Callable.h"

#include "frontend/SyntaxTree.h"

namespace engine {

Callable Callable::userDefinedFunction(std::vector<ArgumentMapping> argumentMappings, ReturnMapping returnMapping,
                                       std::vector<Expression> body)
{
    return Callable(std::make_shared<const UserFunction>(
        UserFunction{std::move(argumentMappings), std::move(returnMapping), std::move(body)}));
}

bool Callable::operator==(const Callable& other) const
{
    if (const auto* function = userDefined()) {
        const auto* otherFunction = other.userDefined();
        return otherFunction && (function == otherFunction || *function == *otherFunction);
    }
    const auto* otherExternal = other.external();
    return otherExternal && *external() == *otherExternal;
}

void Callable::hash(Hasher& hasher) const
{
    hasher.combine(static_cast<std::uint64_t>(kind_.index()));
    if (const auto* function = userDefined())
        function->hash(hasher);
    else
        external()->hash(hasher);
}

} // namespace engine
