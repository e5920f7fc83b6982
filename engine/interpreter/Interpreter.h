#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "frontend/SyntaxTree.h"
#include "interpreter/Bindings.h"
#include "interpreter/Output.h"
#include "interpreter/WorkBudget.h"
#include "values/FunctionArguments.h"
#include "values/InterpretError.h"
#include "values/ValueUnion.h"

namespace engine {

// Executes statements: one instance per run of a document and one per
// executed function body. Every name is bound once per run; an unbound name is
// one unit of that name.
class Interpreter {
public:
    // Calls nest at most this deep, so that no document can recurse without
    // end; with the parser's bound on each statement's depth this also bounds
    // the interpreter's own recursion.
    static constexpr std::int64_t maxStackDepth = 10;

    // One labelled argument of a call, already evaluated.
    using Argument = engine::Argument;

    // One Output per statement, in statement order. Throws
    // MultiError<InterpretError> with every recorded error when any statement
    // failed; the outputs are then discarded.
    static std::vector<Output> interpret(const std::vector<Statement>& statements, std::int64_t stackDepth);

    // Calls the callable with evaluated arguments at this interpreter's
    // current depth (the depth is not raised). Built-ins use it to apply the
    // functions they are given. A user function's body errors leave as one
    // MultiError<InterpretError>; a built-in's errors as they are thrown.
    // The argument values may be moved from.
    ValueUnion call(const Callable& callable, std::span<Argument> arguments);

    // The budget of the run this interpreter belongs to; built-ins spend from
    // it for the values they build.
    WorkBudget& budget() { return budget_; }

    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

private:
    // `caller` is the interpreter whose call runs this body, or null at the
    // top level; the body sees the caller's callables, never its variables.
    Interpreter(WorkBudget& budget, std::int64_t stackDepth, const Interpreter* caller);

    // Top level: executes one statement, recording its output or its errors.
    void execute(const Statement& statement);
    // Function body: executes every expression, recording errors, and keeps
    // the value of the last one.
    void run(const std::vector<Expression>& body);
    // Runs the work, recording what it throws; never throws.
    template <typename Work>
    void recordingErrors(Work&& work);
    void record(InterpretError error);

    ValueUnion evaluate(const Statement& statement);
    ValueUnion evaluate(const Expression& expression);
    // As evaluate, spending the same, but a bound name or a literal is
    // returned where it lives instead of copied; other values go to `storage`.
    // The reference lasts until this interpreter binds another name.
    const ValueUnion& evaluateInPlace(const Expression& expression, ValueUnion& storage);
    ValueUnion evaluateReference(std::string_view name);
    // The number an unbound name stands for: one of that unit.
    Number unitNumber(std::string_view name);
    ValueUnion evaluateAssignment(const ExpressionKind::Assignment& assignment);
    ValueUnion evaluateUnary(const ExpressionKind::Unary& unary);
    ValueUnion evaluateBinary(const ExpressionKind::Binary& binary);
    ValueUnion evaluateList(const ExpressionKind::List& list);
    ValueUnion evaluateInvocation(const ExpressionKind::Invocation& invocation);
    // The callee's function, which outlives the call: calls take it from a
    // binding or a literal, and bindings are never replaced while they run.
    ValueUnion callFunction(const UserFunction* function, const ExternalFunction* external,
                            std::span<Argument> arguments);
    ValueUnion callUserFunction(const UserFunction& function, std::span<Argument> arguments);
    // The table of the body's returnable values for an `all` or `list` mapping.
    ValueUnion collectResults(const ReturnMapping& mapping) const;

    // What `name` is bound to as this interpreter sees it: its own bindings,
    // then the callables of its callers, then the built-ins; null if unbound.
    const ValueUnion* lookup(std::string_view name) const;
    // Throws "cannot re-bind " + name when the name is bound already.
    void bind(std::string_view name, ValueUnion value);

    WorkBudget& budget_;
    std::int64_t stackDepth_;
    const Interpreter* caller_;
    Bindings bindings_;
    std::vector<InterpretError> errors_;
    // Whether errors_ holds the budget's error already.
    bool budgetErrorRecorded_ = false;
    std::vector<Output> outputs_;
    // The value of the body's last expression; bork for an empty body.
    ValueUnion lastValue_;
    // The units of the first few unbound names the run met, shared by every
    // number built for them: a document names the same few units again and
    // again. Owned by the top level; bodies use their caller's.
    struct UnitNames {
        static constexpr std::size_t limit = 16;
        std::vector<std::pair<std::string_view, Units>> entries;
    };
    UnitNames ownUnitNames_;
    UnitNames& unitNames_;
};

} // namespace engine
