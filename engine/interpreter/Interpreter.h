#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <tsl/ordered_map.h>

#include "frontend/SyntaxTree.h"
#include "interpreter/Output.h"
#include "interpreter/WorkBudget.h"
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
    struct Argument {
        std::string label;
        ValueUnion value;
    };

    // One Output per statement, in statement order. Throws
    // MultiError<InterpretError> with every recorded error when any statement
    // failed; the outputs are then discarded.
    static std::vector<Output> interpret(const std::vector<Statement>& statements, std::int64_t stackDepth);

    // Calls the callable with evaluated arguments at this interpreter's
    // current depth (the depth is not raised). Built-ins use it to apply the
    // functions they are given. A user function's body errors leave as one
    // MultiError<InterpretError>; a built-in's errors as they are thrown.
    ValueUnion call(const Callable& callable, std::vector<Argument> arguments);

    // The budget of the run this interpreter belongs to; built-ins spend from
    // it for the values they build.
    WorkBudget& budget() { return budget_; }

    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

private:
    // Names in the order they were first bound: the arguments first (in the
    // order the caller wrote them), then the assignments in the order they ran.
    // Entries in a vector rather than the default deque, whose first block
    // alone would cost every function call half a kilobyte.
    using Bindings = tsl::ordered_map<std::string, ValueUnion, std::hash<std::string>, std::equal_to<std::string>,
                                      std::allocator<std::pair<std::string, ValueUnion>>,
                                      std::vector<std::pair<std::string, ValueUnion>>>;

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
    ValueUnion evaluateReference(const std::string& name);
    ValueUnion evaluateAssignment(const ExpressionKind::Assignment& assignment);
    ValueUnion evaluateUnary(const ExpressionKind::Unary& unary);
    ValueUnion evaluateBinary(const ExpressionKind::Binary& binary);
    ValueUnion evaluateList(const ExpressionKind::List& list);
    ValueUnion evaluateInvocation(const ExpressionKind::Invocation& invocation);
    std::vector<Argument> evaluateArguments(const std::vector<Expression>& arguments);
    ValueUnion callUserFunction(const UserFunction& function, std::vector<Argument> arguments);
    // The table of the body's returnable values for an `all` or `list` mapping.
    ValueUnion collectResults(const ReturnMapping& mapping) const;

    // What `name` is bound to as this interpreter sees it: its own bindings,
    // then the callables of its callers, then the built-ins; null if unbound.
    const ValueUnion* lookup(const std::string& name) const;
    // Throws "cannot re-bind " + name when the name is bound already.
    void bind(const std::string& name, ValueUnion value);

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
};

} // namespace engine
