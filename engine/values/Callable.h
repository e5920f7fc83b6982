#pragma once

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "values/Hasher.h"

namespace engine {

class FunctionArguments;
class Interpreter;
class ValueUnion;
struct UserFunction;
struct ArgumentMapping;
class ReturnMapping;
struct Expression;

// A built-in function of the language.
struct ExternalFunction {
    // The display signature, e.g. "table_get(key:from)".
    std::string name;
    // Receives the labelled arguments and the interpreter evaluating the call,
    // so that it can call back into user functions. Throws InterpretError.
    std::function<ValueUnion(const FunctionArguments& arguments, Interpreter& interpreter)> body;

    // Names equal; the bodies are not compared.
    bool operator==(const ExternalFunction& other) const { return name == other.name; }
    // The name only.
    void hash(Hasher& hasher) const { hasher.combine(std::string_view(name)); }
};

// A function value: a user-defined function (argument mappings, return
// mapping, body) or a built-in. Both are shared, never copied, which keeps
// every value (and every token that holds a literal) small.
class Callable {
public:
    using Kind = std::variant<std::shared_ptr<const UserFunction>, std::shared_ptr<const ExternalFunction>>;

    explicit Callable(std::shared_ptr<const UserFunction> function) : kind_(std::move(function)) {}
    explicit Callable(ExternalFunction function)
        : kind_(std::make_shared<const ExternalFunction>(std::move(function)))
    {
    }

    static Callable userDefinedFunction(std::vector<ArgumentMapping> argumentMappings,
                                        ReturnMapping returnMapping, std::vector<Expression> body);
    static Callable externalFunction(ExternalFunction function) { return Callable(std::move(function)); }

    const Kind& kind() const { return kind_; }
    // Null unless the callable is of that case. Inline: every call asks.
    const UserFunction* userDefined() const
    {
        const auto* function = std::get_if<std::shared_ptr<const UserFunction>>(&kind_);
        return function ? function->get() : nullptr;
    }
    const ExternalFunction* external() const
    {
        const auto* function = std::get_if<std::shared_ptr<const ExternalFunction>>(&kind_);
        return function ? function->get() : nullptr;
    }

    // Two user-defined functions with equal mappings and bodies, or two
    // built-ins of the same name.
    bool operator==(const Callable& other) const;
    void hash(Hasher& hasher) const;

private:
    Kind kind_;
};

} // namespace engine
