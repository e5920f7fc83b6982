// Interpreting documents: a realistic long one, calls through list_map, and
// the costliest documents, which run until the work budget stops them (these
// set WorkBudget::stepsPerRun: each should take about a second).

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "values/MultiError.h"

namespace {

using namespace engine;

std::vector<Statement> parse(const std::string& source) { return Parser::parse(Lexer::lex(source)); }

// Statements of the kinds people write, cycling through units, strings,
// tables, lists and calls of user functions and built-ins.
std::string realisticDocument(int lines)
{
    std::string source = "function area = (width, height) { width * height }\n"
                         "function total = (accumulator, item) { accumulator + item }\n"
                         "function describeAll = (key, value) { describe(value) }\n";
    for (int line = 0; line < lines; ++line) {
        const auto n = std::to_string(line);
        switch (line % 10) {
        case 0: source += "width" + n + " = " + n + ".25 m\n"; break;
        case 1: source += "height" + n + " = (" + n + " + 3) m / 2\n"; break;
        case 2: source += "a" + n + " = area(width: width" + std::to_string(line - 2) + ", height: height" +
                          std::to_string(line - 1) + ")\n"; break;
        case 3: source += "round(a" + std::to_string(line - 1) + " / 7, to: 2)\n"; break;
        case 4: source += "# a comment about line " + n + "\n"; break;
        case 5: source += "t" + n + " = {price = " + n + " / 3, count = 4, name = \"item " + n + "\"}\n"; break;
        case 6: source += "table_get(key: \"price\", from: t" + std::to_string(line - 1) + ") * 12\n"; break;
        case 7: source += "list_reduce(over: [1, 2, 3, " + n + "], from: 0, using: total)\n"; break;
        case 8: source += "match(if: " + n + " > 500, then: \"large\", else: \"small\") + \" order\"\n"; break;
        case 9: source += "map_values(over: t" + std::to_string(line - 4) + ", using: describeAll, returning: \"lines\")\n"; break;
        }
    }
    return source;
}

void realisticDocument(benchmark::State& state)
{
    const auto statements = parse(realisticDocument(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(Interpreter::interpret(statements, 0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(realisticDocument)->Arg(10'000)->Unit(benchmark::kMillisecond);

void listMapCalls(benchmark::State& state)
{
    const auto statements = parse("function scale = (_ x) { x * 3 m + 1 m }\n"
                                  "list_map(over: [1/3] * " + std::to_string(state.range(0)) + ", using: scale)");
    for (auto _ : state)
        benchmark::DoNotOptimize(Interpreter::interpret(statements, 0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(listMapCalls)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void builtInCalls(benchmark::State& state)
{
    const auto statements = parse("list_map(over: [2/3] * " + std::to_string(state.range(0)) + ", using: describe)");
    for (auto _ : state)
        benchmark::DoNotOptimize(Interpreter::interpret(statements, 0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(builtInCalls)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Runs a document that the budget must stop; fails the benchmark otherwise.
void untilTheBudgetEnds(benchmark::State& state, const std::string& source)
{
    const auto statements = parse(source);
    for (auto _ : state) {
        try {
            Interpreter::interpret(statements, 0);
            state.SkipWithError("the budget did not stop the document");
        } catch (const MultiError<InterpretError>& failure) {
            if (failure.errors.back().message != WorkBudget::evaluationTooLong)
                state.SkipWithError(failure.errors.back().message.c_str());
        }
    }
}

BENCHMARK_CAPTURE(untilTheBudgetEnds, nestedListMap,
                  "function inner = (_ x) { x }\n"
                  "function outer = (_ x) { list_map(over: [1] * 1000000, using: inner) }\n"
                  "list_map(over: [1] * 1000000, using: outer)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, nestedListMapWithUnits,
                  "function inner = (_ x) { x * 2 * kg * m / s + kg * m / s }\n"
                  "function outer = (_ x) { list_map(over: [1] * 1000000, using: inner) }\n"
                  "list_map(over: [1] * 1000000, using: outer)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, builtInCalls,
                  "function outer = (_ x) { list_map(over: [x] * 1000000, using: describe) }\n"
                  "list_map(over: [1] * 1000000, using: outer)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, deepExpressions,
                  "function inner = (_ x) { ((((((((((x + 1) * 2) - 3) / 4) + 5) * 6) - 7) / 8) + 9) * 10) }\n"
                  "function outer = (_ x) { list_map(over: [1] * 1000000, using: inner) }\n"
                  "list_map(over: [1] * 1000000, using: outer)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, failingCalls,
                  "function f = (x) -> * { a = f(x: x)\n b = f(x: x)\n c = f(x: x)\n d = f(x: x)\n e = f(x: x) }\n"
                  "f(x: 1)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, bigLists,
                  "a = [1] * 1000000\nb = [2] * 1000000\nc = [3] * 1000000\nd = [4] * 1000000\ne = [5] * 1000000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, copiedStrings,
                  "s = \"x\" * 1000000\nfunction keep = (accumulator, item) { accumulator }\n"
                  "list_reduce(over: [1] * 1000000, from: s, using: keep)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, growingTable,
                  "function put = (accumulator, item) { table_set(key: [item], of: accumulator, to: item) }\n"
                  "list_reduce(over: [1] * 1000000, from: table_new(), using: put)")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(untilTheBudgetEnds, tableLiterals,
                  "function inner = (_ x) { {a = 1, b = 2, c = 3} }\n"
                  "function outer = (_ x) { list_map(over: [1] * 1000000, using: inner) }\n"
                  "list_map(over: [1] * 1000000, using: outer)")
    ->Unit(benchmark::kMillisecond);

} // namespace
