#include "interpreter/Interpreter.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <typeinfo>

#include "interpreter/StandardLibrary.h"
#include "values/FunctionArguments.h"
#include "values/MultiError.h"

namespace engine {

namespace {

const std::string cannotRebind = "cannot re-bind ";
const std::string callablesInBinary = "Binary operations not allowed on callables";
const std::string numberAndString = "Invalid operation between number and string";
const std::string stringAndString = "Invalid operation between string and string";
const std::string stringAndNumber = "Invalid operation between string and number";
const std::string negateString = "Invalid operation: '-' with a string";
const std::string notNumber = "Invalid operation: '!' with a number";
const std::string unhandledError = "unhandled interpret error";
const std::string stackTooDeep = "cannot exceed a stack depth of " + std::to_string(Interpreter::maxStackDepth);
const std::string nonCallable = "cannot invoke a non-callable";
const std::string missingReturnNames = "You specified input name(s) that don't exist.";
const std::string errorSeparator = " ; ";

std::string unexpectedLabel(std::string_view label)
{
    std::string message = "unexpected assignment of '";
    message += label;
    message += "' while invoking function";
    return message;
}

// The evaluated arguments of one call. Calls pass a handful, which live in
// the frame of the call; more go to the heap.
class ArgumentList {
public:
    explicit ArgumentList(std::size_t count)
    {
        if (count > localCount)
            heap_.reserve(count);
    }
    ~ArgumentList() { std::destroy_n(local(), localSize_); }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    // Adds the argument that `evaluate` returns, built in place.
    template <typename Evaluate>
    void add(std::string_view label, Evaluate&& evaluate)
    {
        if (heap_.capacity() == 0) {
            ::new (static_cast<void*>(local() + localSize_)) Argument{label, evaluate()};
            ++localSize_;
        } else {
            heap_.push_back(Argument{label, evaluate()});
        }
    }
    std::span<Argument> view() { return heap_.capacity() == 0 ? std::span(local(), localSize_) : std::span(heap_); }

private:
    static constexpr std::size_t localCount = 4;
    Argument* local() { return reinterpret_cast<Argument*>(storage_); }

    alignas(Argument) std::byte storage_[localCount * sizeof(Argument)];
    std::size_t localSize_ = 0;
    std::vector<Argument> heap_;
};

// Whether evaluating the expression can bind no name: then a value another
// operand borrowed from the bindings stays where it is.
bool bindsNothing(const Expression& expression)
{
    return expression.data.as<ExpressionKind::Reference>() || expression.data.as<ExpressionKind::Value>();
}

// Raises the depth for one invocation and lowers it on every way out.
class DepthGuard {
public:
    explicit DepthGuard(std::int64_t& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    std::int64_t& depth_;
};

// The readable name of an exception's dynamic type.
std::string typeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                          &std::free);
    return status == 0 && demangled ? demangled.get() : type.name();
}

ValueUnion applyNumbers(BinaryOperation operation, const Number& left, const Number& right, WorkBudget& budget)
{
    // Unit maps are compared and merged name by name.
    budget.spend((left.units.size() + 1) * (right.units.size() + 1) / WorkBudget::unitComparisonsPerStep
                 + (WorkBudget::unitBytes(left) + WorkBudget::unitBytes(right)) / WorkBudget::bytesPerStep);
    switch (operation) {
    case BinaryOperation::add: return Number::add(left, right);
    case BinaryOperation::subtract: return Number::subtract(left, right);
    case BinaryOperation::multiply: return Number::multiply(left, right);
    case BinaryOperation::divide: return Number::divide(left, right);
    case BinaryOperation::modulo: return Number::modulo(left, right);
    case BinaryOperation::greater: return Number::greater(left, right);
    case BinaryOperation::greaterEqual: return Number::greaterEqual(left, right);
    case BinaryOperation::lesser: return Number::lesser(left, right);
    case BinaryOperation::lesserEqual: return Number::lesserEqual(left, right);
    case BinaryOperation::equality: return Number::equality(left, right);
    case BinaryOperation::inequality: return Number::inequality(left, right);
    }
    return ValueUnion::bork();
}

// The repetition count of `count`, when it is one that can build a result.
std::optional<std::uint64_t> repetitions(const Number& count)
{
    if (count.denominator != 1 || !count.units.empty() || count.numerator < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(count.numerator);
}

ValueUnion repeatString(const EString& string, const Number& count, WorkBudget& budget)
{
    // Pay before building; a result past the size limits is refused by
    // EString::multiply itself, without being built.
    const auto times = repetitions(count);
    const std::uint64_t size = string.value.size();
    if (times && (size == 0 || *times <= EString::maxBytes / size))
        budget.spendOnBytes(size * *times);
    return EString::multiply(string, count);
}

ValueUnion repeatList(const List& list, const Number& count, WorkBudget& budget)
{
    const auto times = repetitions(count);
    const std::uint64_t size = list.size();
    if (times && (size == 0 || *times <= List::maxElements / size)) {
        std::uint64_t bytes = 0;
        for (const auto& element : list.value())
            bytes += WorkBudget::storedBytes(element);
        budget.spend(1 + (WorkBudget::listOverheadBytes + bytes * *times) / WorkBudget::bytesPerStep);
    }
    return List::multiply(list, count);
}

ValueUnion combineErrors(const ErrorValue& left, const ErrorValue& right, WorkBudget& budget)
{
    const std::size_t bytes = left.message.size() + errorSeparator.size() + right.message.size();
    // Bytes bound the characters from above, so this never lets too long a text through.
    EString::checkResultSize(bytes, bytes);
    budget.spendOnBytes(bytes);
    return ValueUnion::error(left.message + errorSeparator + right.message);
}

// The binary operator on two evaluated operands, by their kinds. Kept out of
// line, so that the recursion through evaluateBinary stays small on the stack.
[[gnu::noinline]] ValueUnion applyBinary(BinaryOperation operation, const ValueUnion& left, const ValueUnion& right,
                       WorkBudget& budget)
{
    using Kind = ValueUnion::Kind;
    const auto* leftError = left.as<ErrorValue>();
    const auto* rightError = right.as<ErrorValue>();
    if (leftError && rightError)
        return combineErrors(*leftError, *rightError, budget);
    if (leftError)
        return left;
    if (rightError)
        return right;
    if (left.kind() == Kind::bork)
        return ValueUnion::bork();

    if (const auto* number = right.as<Number>()) {
        switch (left.kind()) {
        case Kind::number: return applyNumbers(operation, *left.as<Number>(), *number, budget);
        case Kind::string:
            if (operation != BinaryOperation::multiply)
                throw InterpretError(stringAndNumber);
            return repeatString(*left.as<EString>(), *number, budget);
        case Kind::callable: throw InterpretError(callablesInBinary);
        case Kind::list:
            if (operation != BinaryOperation::multiply)
                return ValueUnion::bork();
            return repeatList(*left.as<List>(), *number, budget);
        default: return ValueUnion::bork();
        }
    }

    if (const auto* string = right.as<EString>()) {
        switch (left.kind()) {
        case Kind::number: throw InterpretError(numberAndString);
        case Kind::string: {
            const auto& leftString = *left.as<EString>();
            switch (operation) {
            case BinaryOperation::add:
                budget.spendOnBytes(leftString.value.size() + string->value.size());
                return EString::add(leftString, *string);
            case BinaryOperation::equality:
                budget.spendOnBytes(leftString.value.size() + string->value.size());
                return EString::equality(leftString, *string);
            case BinaryOperation::inequality:
                budget.spendOnBytes(leftString.value.size() + string->value.size());
                return EString::inequality(leftString, *string);
            default: throw InterpretError(stringAndString);
            }
        }
        case Kind::callable: throw InterpretError(callablesInBinary);
        default: return ValueUnion::bork();
        }
    }

    if (right.kind() == Kind::bork)
        return ValueUnion::bork();
    if (left.kind() == Kind::callable || right.kind() == Kind::callable)
        throw InterpretError(callablesInBinary);
    return ValueUnion::bork();
}

[[gnu::noinline]] ValueUnion applyUnary(UnaryOperation operation, const ValueUnion& operand, WorkBudget& budget)
{
    switch (operand.kind()) {
    case ValueUnion::Kind::number:
        if (operation == UnaryOperation::not_)
            throw InterpretError(notNumber);
        budget.spendOnCopy(operand);
        return operand.as<Number>()->negate();
    case ValueUnion::Kind::string:
        if (operation == UnaryOperation::negate)
            throw InterpretError(negateString);
        return operand.as<EString>()->not_();
    case ValueUnion::Kind::error: return operand;
    default: return ValueUnion::bork();
    }
}

} // namespace

Interpreter::Interpreter(WorkBudget& budget, std::int64_t stackDepth, const Interpreter* caller)
    : budget_(budget), stackDepth_(stackDepth), caller_(caller),
      unitNames_(caller ? caller->unitNames_ : ownUnitNames_)
{
}

std::vector<Output> Interpreter::interpret(const std::vector<Statement>& statements, std::int64_t stackDepth)
{
    WorkBudget budget;
    Interpreter interpreter(budget, stackDepth, nullptr);
    interpreter.outputs_.reserve(statements.size());
    // Room for the names the statements bind themselves, so that the
    // bindings do not grow line by line.
    interpreter.bindings_.reserve(static_cast<std::size_t>(
        std::count_if(statements.begin(), statements.end(), [](const Statement& statement) {
            const auto* expression = statement.asExpression();
            return !expression || expression->data.as<ExpressionKind::Assignment>();
        })));
    for (const auto& statement : statements) {
        if (budget.exhausted())
            break;
        interpreter.execute(statement);
    }
    if (!interpreter.errors_.empty())
        throw MultiError<InterpretError>(std::move(interpreter.errors_));
    return std::move(interpreter.outputs_);
}

void Interpreter::execute(const Statement& statement)
{
    recordingErrors([&] {
        ValueUnion value = evaluate(statement);
        outputs_.push_back(Output{statement, std::move(value)});
    });
}

void Interpreter::run(const std::vector<Expression>& body)
{
    for (const auto& expression : body) {
        if (budget_.exhausted())
            break;
        recordingErrors([&] { lastValue_ = evaluate(expression); });
    }
}

// Catches each kind where it is thrown: rethrowing to sort them out would
// double the cost of unwinding, which dominates documents full of failing calls.
template <typename Work>
void Interpreter::recordingErrors(Work&& work)
{
    try {
        work();
    } catch (InterpretError& error) {
        budget_.trySpend(WorkBudget::caughtErrorSteps);
        record(std::move(error));
    } catch (MultiError<InterpretError>& multiple) {
        budget_.trySpend(WorkBudget::caughtErrorSteps);
        for (auto& error : multiple.errors)
            record(std::move(error));
    } catch (const std::exception& error) {
        std::cout << typeName(typeid(error)) << ": " << error.what() << std::endl;
        record(InterpretError(unhandledError));
    } catch (...) {
        std::cout << "unknown exception" << std::endl;
        record(InterpretError(unhandledError));
    }
    // Recording may have spent the budget's last steps: say so, once, last.
    if (budget_.exhausted() && !budgetErrorRecorded_) {
        errors_.push_back(InterpretError(WorkBudget::evaluationTooLong));
        budgetErrorRecorded_ = true;
    }
}

void Interpreter::record(InterpretError error)
{
    // Once the budget is spent, errors pass on free of charge (they were paid
    // for where they arose), and the budget's own error is kept only once.
    budget_.trySpend(WorkBudget::recordedErrorSteps + error.message.size() / WorkBudget::bytesPerStep);
    const bool budgetError = error.message == WorkBudget::evaluationTooLong;
    if (budgetError && budgetErrorRecorded_)
        return;
    errors_.push_back(std::move(error));
    budgetErrorRecorded_ = budgetErrorRecorded_ || budgetError;
}

ValueUnion Interpreter::evaluate(const Statement& statement)
{
    if (const auto* expression = statement.asExpression())
        return evaluate(*expression);
    const auto& definition = *statement.asFunction();
    ValueUnion function{Callable(definition.function)};
    bind(definition.name.lexeme, function);
    return function;
}

ValueUnion Interpreter::evaluate(const Expression& expression)
{
    budget_.spend(1);
    using Kind = ExpressionKind;
    const Kind& kind = expression.data;
    switch (kind.index()) {
    case Kind::indexOf<Kind::Binary>:
        if (const auto* binary = kind.as<Kind::Binary>())
            return evaluateBinary(*binary);
        return ValueUnion::bork(); // only a moved-from expression has no node
    case Kind::indexOf<Kind::Reference>:
        return evaluateReference(kind.as<Kind::Reference>()->name);
    case Kind::indexOf<Kind::Value>: {
        const auto& value = kind.as<Kind::Value>()->value();
        budget_.spendOnCopy(value);
        return value;
    }
    case Kind::indexOf<Kind::Invocation>:
        return evaluateInvocation(*kind.as<Kind::Invocation>());
    case Kind::indexOf<Kind::Unary>:
        return evaluateUnary(*kind.as<Kind::Unary>());
    case Kind::indexOf<Kind::Grouping>:
        return evaluate(kind.as<Kind::Grouping>()->inner);
    case Kind::indexOf<Kind::Assignment>:
        return evaluateAssignment(*kind.as<Kind::Assignment>());
    default:
        return evaluateList(*kind.as<Kind::List>());
    }
}

const ValueUnion& Interpreter::evaluateInPlace(const Expression& expression, ValueUnion& storage)
{
    if (const auto* reference = expression.data.as<ExpressionKind::Reference>()) {
        budget_.spend(1);
        if (const auto* bound = lookup(reference->name)) {
            budget_.spendOnCopy(*bound);
            return *bound;
        }
        storage = unitNumber(reference->name);
        return storage;
    }
    if (const auto* literal = expression.data.as<ExpressionKind::Value>()) {
        budget_.spend(1);
        budget_.spendOnCopy(literal->value());
        return literal->value();
    }
    storage = evaluate(expression);
    return storage;
}

ValueUnion Interpreter::evaluateReference(std::string_view name)
{
    if (const auto* bound = lookup(name)) {
        budget_.spendOnCopy(*bound);
        return *bound;
    }
    return unitNumber(name);
}

Number Interpreter::unitNumber(std::string_view name)
{
    auto& entries = unitNames_.entries;
    for (const auto& [unit, units] : entries)
        if (unit == name)
            return Number(1, 1, units);
    Units units;
    units.reserve(1);
    units.set(name, 1);
    if (entries.size() < UnitNames::limit)
        entries.emplace_back(name, units);
    return Number(1, 1, std::move(units));
}

ValueUnion Interpreter::evaluateAssignment(const ExpressionKind::Assignment& assignment)
{
    // Tested before the value is evaluated, so the value's errors are not reported.
    if (lookup(assignment.name))
        throw InterpretError(cannotRebind + assignment.name);
    const std::size_t bound = bindings_.size();
    ValueUnion value = evaluate(assignment.value);
    // Tested again when the value itself bound names, as in x = (x = 1); the
    // callers' bindings cannot change while this body runs.
    if (bindings_.size() != bound && lookup(assignment.name))
        throw InterpretError(cannotRebind + assignment.name);
    bindings_.add(assignment.name, ValueUnion(value));
    return value;
}

ValueUnion Interpreter::evaluateUnary(const ExpressionKind::Unary& unary)
{
    return applyUnary(unary.operation, evaluate(unary.operand), budget_);
}

ValueUnion Interpreter::evaluateBinary(const ExpressionKind::Binary& binary)
{
    // Operands are read where they are bound, unless the right one could bind
    // a name and so move the left one.
    ValueUnion leftStorage;
    ValueUnion rightStorage;
    const ValueUnion& left =
        bindsNothing(binary.right) ? evaluateInPlace(binary.left, leftStorage) : (leftStorage = evaluate(binary.left));
    const ValueUnion& right = evaluateInPlace(binary.right, rightStorage);
    return applyBinary(binary.operation, left, right, budget_);
}

ValueUnion Interpreter::evaluateList(const ExpressionKind::List& list)
{
    List::checkResultSize(list.elements.size());
    std::vector<ValueUnion> values;
    values.reserve(list.elements.size());
    for (const auto& element : list.elements)
        values.push_back(evaluate(element));
    budget_.spendOnList(values);
    return List(std::move(values));
}

ValueUnion Interpreter::evaluateInvocation(const ExpressionKind::Invocation& invocation)
{
    // Tested before raising the depth, which then cannot overflow whatever
    // depth the run started at.
    if (stackDepth_ >= maxStackDepth)
        throw InterpretError(stackTooDeep);
    DepthGuard depth(stackDepth_);
    ValueUnion calleeStorage;
    const auto* callable = evaluateInPlace(invocation.callee, calleeStorage).as<Callable>();
    if (!callable)
        throw InterpretError(nonCallable);
    // The arguments may bind names and so move the callee's value, but not
    // its function.
    const UserFunction* function = callable->userDefined();
    const ExternalFunction* external = callable->external();

    ArgumentList arguments(invocation.arguments.size());
    for (const auto& argument : invocation.arguments) {
        // Only carries the label: nothing is bound in this interpreter.
        if (const auto* labelled = argument.data.as<ExpressionKind::Assignment>())
            arguments.add(labelled->name, [&] { return evaluate(labelled->value); });
        else
            arguments.add("", [] { return ValueUnion::bork(); });
    }
    return callFunction(function, external, arguments.view());
}

ValueUnion Interpreter::call(const Callable& callable, std::span<Argument> arguments)
{
    return callFunction(callable.userDefined(), callable.external(), arguments);
}

ValueUnion Interpreter::callFunction(const UserFunction* function, const ExternalFunction* external,
                                     std::span<Argument> arguments)
{
    budget_.spend(WorkBudget::callSteps + arguments.size());
    if (function)
        return callUserFunction(*function, arguments);
    if (!external || !external->body)
        throw InterpretError(nonCallable);
    return external->body(FunctionArguments(arguments), *this);
}

ValueUnion Interpreter::callUserFunction(const UserFunction& function, std::span<Argument> arguments)
{
    Interpreter body(budget_, stackDepth_, this);
    for (auto& [label, value] : arguments) {
        const ArgumentMapping* mapping = nullptr;
        for (const auto& candidate : function.argumentMappings) {
            if (candidate.outerName == label) {
                mapping = &candidate;
                break;
            }
        }
        if (!mapping)
            throw InterpretError(unexpectedLabel(label));
        // Replaces a built-in or caller function of that name, and an earlier
        // value of a repeated label.
        body.bindings_.assign(mapping->innerName, std::move(value));
    }
    body.run(function.body);
    if (!body.errors_.empty())
        throw MultiError<InterpretError>(std::move(body.errors_));
    if (function.returnMapping.kind() == ReturnMapping::Kind::singleValue)
        return std::move(body.lastValue_);
    return body.collectResults(function.returnMapping);
}

ValueUnion Interpreter::collectResults(const ReturnMapping& mapping) const
{
    const bool named = mapping.kind() == ReturnMapping::Kind::list;
    const auto& mappings = mapping.mappings();
    Table::Storage results;
    results.reserve(bindings_.size());
    // For each result key, the index of the mapping that gave its value: of
    // two mappings with the same outer name, the one written later wins.
    // Without names every key is a distinct bound name, so none is needed.
    std::vector<std::size_t> resultMapping;
    if (named)
        resultMapping.reserve(bindings_.size());
    std::size_t kept = 0;
    for (const auto& [name, value] : bindings_.entries()) {
        const auto kind = value.kind();
        if (kind == ValueUnion::Kind::callable || kind == ValueUnion::Kind::error || kind == ValueUnion::Kind::bork)
            continue;
        std::size_t index = 0;
        if (named) {
            while (index < mappings.size() && mappings[index].innerName != name)
                ++index;
            if (index == mappings.size())
                continue;
        }
        ++kept;
        auto [entry, added] =
            results.try_emplace(ValueUnion(EString(named ? mappings[index].outerName : std::string(name))), value);
        if (added) {
            if (named)
                resultMapping.push_back(index);
        } else {
            auto& winner = resultMapping[static_cast<std::size_t>(entry - results.begin())];
            if (index > winner) {
                entry.value() = value;
                winner = index;
            }
        }
    }
    if (named && kept != mappings.size())
        throw InterpretError(missingReturnNames);
    budget_.spendOnTable(results);
    return Table(std::move(results));
}

const ValueUnion* Interpreter::lookup(std::string_view name) const
{
    for (const Interpreter* scope = this; scope; scope = scope->caller_) {
        const auto* found = scope->bindings_.find(name);
        if (!found)
            continue;
        // A caller passes down only its callables; its variable of this name
        // leaves the body with the built-in of the name, if any.
        if (scope == this || found->kind() == ValueUnion::Kind::callable)
            return found;
        break;
    }
    return StandardLibrary::find(name);
}

void Interpreter::bind(std::string_view name, ValueUnion value)
{
    if (lookup(name))
        throw InterpretError(cannotRebind + std::string(name));
    bindings_.add(name, std::move(value));
}

} // namespace engine
