#include "interpreter/StandardLibrary.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "interpreter/Interpreter.h"
#include "values/FunctionArguments.h"
#include "values/Graphemes.h"
#include "values/InterpretError.h"
#include "values/Maths.h"
#include "writer/ASTWriter.h"

namespace engine {

namespace {

__extension__ using Int128 = __int128;

// 10^18 is the largest power of ten a signed 64-bit integer holds.
constexpr std::int64_t maxRoundingDigits = 18;

const std::string tableSetNeedsKey = "table_set must be provided with a 'key' arg";
const std::string tableSetNeedsOf = "table_set must be provided with a 'of' arg";
const std::string tableSetOfNotTable = "table_set's 'of' arg must be a table";
const std::string tableSetNeedsTo = "table_set must be provided with a 'to' arg";
const std::string tableGetNeedsKey = "table_get must be provided with a 'key' arg";
const std::string tableGetNeedsFrom = "table_get must be provided with a 'from' arg";
const std::string tableGetFromNotTable = "table_get's 'from' arg must be a table";
const std::string magnitudeNotNumber = "magnitude's of must be a number";
const std::string matchNeedsIf = "match must be provided with a 'if' arg";
const std::string matchNeedsThen = "match must be provided with a 'then' arg";
const std::string matchNeedsElse = "match must be provided with a 'else' arg";
const std::string listMapNeedsOver = "list_map must be provided with an 'over' arg";
const std::string listMapOverNotList = "list_map's 'over' must be a List";
const std::string listReduceNeedsFrom = "list_map must be provided with a 'from' arg";
const std::string listMapNeedsUsing = "list_map must be provided with a 'using' arg";
const std::string listMapUsingNotFunction = "list_map's 'using' must be a Function";
const std::string flatmapNeedsOver = "list_flatmap must be provided with an 'over' arg";
const std::string flatmapOverNotList = "list_flatmap's 'over' must be a List";
const std::string flatmapNeedsUsing = "list_flatmap must be provided with a 'using' arg";
const std::string flatmapUsingNotFunction = "list_flatmap's 'using' must be a Function";
const std::string flatmapResultNotList = "list_flatmap's 'using' should return a list";
const std::string mapValuesNeedsOver = "map_values must be provided with an 'over' arg";
const std::string mapValuesOverNotTable = "map_values's 'table' must be a Table";
const std::string mapValuesNeedsUsing = "map_values must be provided with a 'using' arg";
const std::string mapValuesUsingNotFunction = "map_values's 'using' must be a Function";
const std::string mapValuesReturningNotString = "map_value's 'returning' must be a String";
const std::string mapValuesReturningUnknown = "map_value's 'returning' must be either \"table\" or \"lines\"";
const std::string roundNeedsValue = "round must be provided with an '_' arg";
const std::string roundValueNotNumber = "round's '_' must be a Number";
const std::string roundNeedsTo = "round must be provided with an 'to' arg";
const std::string roundToNotNumber = "round's 'to' must be a Number";
const std::string roundToHasUnits = "round's 'to' must be unitless";
const std::string roundToNotInteger = "round's 'to' must be an integer";
const std::string roundToNegative = "round's 'to' must be positive or 0";
const std::string roundTooLarge = "round's result is too large";
const std::string describeNeedsValue = "describe must be provided with an '_' arg";

// The argument under `label`, or null.
const ValueUnion* find(const FunctionArguments& arguments, std::string_view label) { return arguments.find(label); }

const ValueUnion& require(const FunctionArguments& arguments, std::string_view label, const std::string& missing)
{
    const auto* value = find(arguments, label);
    if (!value)
        throw InterpretError(missing);
    return *value;
}

template <typename T>
const T& requireKind(const ValueUnion& value, const std::string& wrongKind)
{
    const auto* payload = value.as<T>();
    if (!payload)
        throw InterpretError(wrongKind);
    return *payload;
}

// A string value, paid for and within the size limits.
ValueUnion text(std::string value, Interpreter& interpreter)
{
    // Every character takes at least one byte, so only a text of more bytes
    // than the character limit needs its characters counted.
    EString::checkResultSize(value.size() > EString::maxCharacters ? Graphemes::count(value) : 0, value.size());
    interpreter.budget().spendOnBytes(value.size());
    return EString(std::move(value));
}

// Calls back with the arguments, which are copies (or moved values) paid
// for here.
template <std::size_t count>
ValueUnion callWith(Interpreter& interpreter, const Callable& function, Interpreter::Argument (&&arguments)[count])
{
    for (const auto& argument : arguments)
        interpreter.budget().spendOnCopy(argument.value);
    return interpreter.call(function, arguments);
}

ValueUnion tableNew(const FunctionArguments&, Interpreter&) { return Table(); }

ValueUnion tableSet(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& key = require(arguments, "key", tableSetNeedsKey);
    const auto& table = requireKind<Table>(require(arguments, "of", tableSetNeedsOf), tableSetOfNotTable);
    const auto& to = require(arguments, "to", tableSetNeedsTo);
    // The new table is a copy of the old one with one more entry.
    const ValueUnion entry[] = {key, to};
    interpreter.budget().spendOnTable(table.value(), entry);
    return table.with(key, to);
}

ValueUnion tableGet(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& key = require(arguments, "key", tableGetNeedsKey);
    const auto& table = requireKind<Table>(require(arguments, "from", tableGetNeedsFrom), tableGetFromNotTable);
    interpreter.budget().spendOnCopy(key);
    if (const auto* found = table.find(key)) {
        interpreter.budget().spendOnCopy(*found);
        return *found;
    }
    std::string message = "missing key '" + ASTWriter::writeValue(key, NumberFormat::rational, true) + "' in table";
    interpreter.budget().spendOnBytes(message.size());
    return ValueUnion::error(std::move(message));
}

ValueUnion magnitude(const FunctionArguments& arguments, Interpreter&)
{
    const auto* of = find(arguments, "of");
    const auto* number = of ? of->as<Number>() : nullptr;
    if (!number)
        throw InterpretError(magnitudeNotNumber);
    const auto reduced = Maths::reduceFraction(number->numerator, number->denominator);
    return Number(reduced.numerator, reduced.denominator);
}

ValueUnion match(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& condition = require(arguments, "if", matchNeedsIf);
    const auto& then = require(arguments, "then", matchNeedsThen);
    const auto& otherwise = require(arguments, "else", matchNeedsElse);
    const auto* string = condition.as<EString>();
    const auto& chosen = string && string->value == "true" ? then : otherwise;
    interpreter.budget().spendOnCopy(chosen);
    return chosen;
}

ValueUnion listMap(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& over = requireKind<List>(require(arguments, "over", listMapNeedsOver), listMapOverNotList);
    const auto& function = requireKind<Callable>(require(arguments, "using", listMapNeedsUsing), listMapUsingNotFunction);
    List::checkResultSize(over.size());
    std::vector<ValueUnion> results;
    results.reserve(over.size());
    for (const auto& element : over.value())
        results.push_back(callWith(interpreter, function, {{"_", element}}));
    interpreter.budget().spendOnList(results);
    return List(std::move(results));
}

ValueUnion listFlatmap(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& over = requireKind<List>(require(arguments, "over", flatmapNeedsOver), flatmapOverNotList);
    const auto& function = requireKind<Callable>(require(arguments, "using", flatmapNeedsUsing), flatmapUsingNotFunction);
    std::vector<ValueUnion> results;
    for (const auto& element : over.value()) {
        const ValueUnion result = callWith(interpreter, function, {{"_", element}});
        const auto* list = result.as<List>();
        if (!list)
            throw InterpretError(flatmapResultNotList);
        List::checkResultSize(results.size() + list->size());
        interpreter.budget().spendOnList(list->value());
        results.insert(results.end(), list->value().begin(), list->value().end());
    }
    return List(std::move(results));
}

ValueUnion listReduce(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& over = requireKind<List>(require(arguments, "over", listMapNeedsOver), listMapOverNotList);
    ValueUnion accumulator = require(arguments, "from", listReduceNeedsFrom);
    const auto& function = requireKind<Callable>(require(arguments, "using", listMapNeedsUsing), listMapUsingNotFunction);
    for (const auto& element : over.value())
        accumulator = callWith(interpreter, function, {{"accumulator", std::move(accumulator)}, {"item", element}});
    return accumulator;
}

ValueUnion mapValues(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& over = requireKind<Table>(require(arguments, "over", mapValuesNeedsOver), mapValuesOverNotTable);
    const auto& function =
        requireKind<Callable>(require(arguments, "using", mapValuesNeedsUsing), mapValuesUsingNotFunction);
    const EString* returning = nullptr;
    if (const auto* given = find(arguments, "returning"))
        returning = &requireKind<EString>(*given, mapValuesReturningNotString);

    std::vector<ValueUnion> results;
    results.reserve(over.size());
    for (const auto& [key, value] : over.value())
        results.push_back(callWith(interpreter, function, {{"key", key}, {"value", value}}));

    if (!returning || returning->value == "table") {
        Table::Storage entries;
        entries.reserve(results.size());
        std::size_t index = 0;
        for (const auto& [key, value] : over.value())
            entries.emplace(key, std::move(results[index++]));
        interpreter.budget().spendOnTable(entries);
        return Table(std::move(entries));
    }
    if (returning->value == "lines") {
        std::string lines;
        for (std::size_t index = 0; index < results.size(); ++index) {
            if (index > 0)
                lines += '\n';
            ASTWriter::appendValue(lines, results[index], NumberFormat::mixed, true);
            // Checked as the text grows, so a huge result is refused early.
            EString::checkResultSize(0, lines.size());
        }
        return text(std::move(lines), interpreter);
    }
    throw InterpretError(mapValuesReturningUnknown);
}

Int128 gcd(Int128 a, Int128 b)
{
    while (b != 0) {
        const Int128 remainder = a % b;
        a = b;
        b = remainder;
    }
    return a;
}

bool fitsInt64(Int128 value)
{
    // The most negative value is excluded, as everywhere in the engine's numbers.
    return value <= std::numeric_limits<std::int64_t>::max() && value >= -std::numeric_limits<std::int64_t>::max();
}

// Exact: n·10^to/d rounded to the nearest integer (halves away from zero),
// over 10^to, reduced. |n|·10^18 < 2^123, so no intermediate overflows.
ValueUnion roundNumber(const FunctionArguments& arguments, Interpreter&)
{
    const auto& value = requireKind<Number>(require(arguments, "_", roundNeedsValue), roundValueNotNumber);
    const auto& to = requireKind<Number>(require(arguments, "to", roundNeedsTo), roundToNotNumber);
    if (to.hasUnits())
        throw InterpretError(roundToHasUnits);
    if (to.denominator != 1)
        throw InterpretError(roundToNotInteger);
    if (to.numerator < 0)
        throw InterpretError(roundToNegative);
    if (to.numerator > maxRoundingDigits || value.denominator <= 0)
        throw InterpretError(roundTooLarge);

    Int128 scale = 1;
    for (std::int64_t digit = 0; digit < to.numerator; ++digit)
        scale *= 10;
    const Int128 scaled = Int128(value.numerator) * scale;
    const Int128 denominator = value.denominator;
    const Int128 magnitude = (2 * (scaled < 0 ? -scaled : scaled) + denominator) / (2 * denominator);
    const Int128 rounded = scaled < 0 ? -magnitude : magnitude;

    const Int128 divisor = gcd(magnitude, scale);
    const Int128 numerator = rounded / divisor;
    const Int128 reducedDenominator = scale / divisor;
    if (!fitsInt64(numerator) || !fitsInt64(reducedDenominator))
        throw InterpretError(roundTooLarge);
    return Number(static_cast<std::int64_t>(numerator), static_cast<std::int64_t>(reducedDenominator));
}

ValueUnion describe(const FunctionArguments& arguments, Interpreter& interpreter)
{
    const auto& value = require(arguments, "_", describeNeedsValue);
    return text(ASTWriter::writeValue(value, NumberFormat::mixed, true), interpreter);
}

using Body = ValueUnion (*)(const FunctionArguments&, Interpreter&);
struct BuiltIn {
    std::string_view key;
    std::string_view name;
    Body body;
};
constexpr BuiltIn builtIns[] = {
    {"table_new", "table_new()", tableNew},
    {"table_set", "table_set(key:of:to)", tableSet},
    {"table_get", "table_get(key:from)", tableGet},
    {"magnitude", "magnitude(of)", magnitude},
    {"match", "match(if:then:else)", match},
    {"list_map", "list_map(over:using)", listMap},
    {"list_flatmap", "list_flatmap(over:using)", listFlatmap},
    {"list_reduce", "list_reduce(over:from:using)", listReduce},
    {"map_values", "map_values(over:using:returning)", mapValues},
    {"round", "round(_:to)", roundNumber},
    {"describe", "describe(_)", describe},
};

// The length of the longest built-in name.
constexpr std::size_t longestName = [] {
    std::size_t longest = 0;
    for (const auto& builtIn : builtIns)
        longest = std::max(longest, builtIn.key.size());
    return longest;
}();

StandardLibrary::FunctionTable build()
{
    StandardLibrary::FunctionTable table;
    for (const auto& builtIn : builtIns)
        table.emplace(std::string(builtIn.key),
                      ValueUnion(Callable::externalFunction(ExternalFunction{std::string(builtIn.name), builtIn.body})));
    return table;
}

} // namespace

const StandardLibrary::FunctionTable& StandardLibrary::functions()
{
    // Built on first use; C++ makes the initialisation of a function-local
    // static thread-safe.
    static const FunctionTable table = build();
    return table;
}

constexpr std::uint64_t StandardLibrary::nameLengths = [] {
    std::uint64_t lengths = 0;
    for (const auto& builtIn : builtIns) {
        static_assert(longestName < 64);
        lengths |= std::uint64_t{1} << builtIn.key.size();
    }
    return lengths;
}();

const ValueUnion* StandardLibrary::findByName(std::string_view name)
{
    // Eleven names, found by their length and then in order, which costs
    // less than hashing the name.
    using Candidates = std::vector<std::pair<std::string_view, const ValueUnion*>>;
    static const auto byLength = [] {
        std::array<Candidates, longestName + 1> table;
        for (const auto& [key, value] : functions().values_container())
            table[key.size()].emplace_back(key, &value);
        return table;
    }();
    if (name.size() >= byLength.size())
        return nullptr;
    for (const auto& [key, value] : byLength[name.size()])
        if (key.front() == name.front() && key == name)
            return value;
    return nullptr;
}

} // namespace engine
