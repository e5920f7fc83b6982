// Interpreting documents: the typical one at every size (items are lines), calls through list_map, and
// the costliest documents, which run until the work budget stops them (these
// set WorkBudget::stepsPerRun: each should take about a second).

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "DocumentGenerator.h"
#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "values/MultiError.h"

namespace {

using namespace engine;

std::vector<Statement> parse(const std::string& source) { return Parser::parse(Lexer::lex(source)); }

void typicalDocument(benchmark::State& state)
{
    const auto statements = parse(tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(Interpreter::interpret(statements, 0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(typicalDocument)->RangeMultiplier(10)->Range(100, 100'000)->Unit(benchmark::kMillisecond);

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
