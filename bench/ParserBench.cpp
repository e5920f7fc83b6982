#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "values/MultiError.h"

namespace {

using engine::Token;

// A document of `lines` lines cycling through the statement forms a notepad
// holds: assignments with units, calls, lists, tables and function definitions.
std::string typicalDocument(std::int64_t lines)
{
    static const char* const forms[] = {
        "price_{i} = 12.50 EUR * (1 + 19 / 100)",
        "distance_{i}: 42 km + 195 m",
        "total_{i} = list_reduce(from: [1, 2, 3, 4], with: 0, by: sum)",
        "point_{i} = {x = 3 m, y = -4 m}",
        "function f_{i} = (over xs, by) -> (total t) { t = xs * by\n u = t % 7 }",
        "ok_{i} = !(1 < 2) == \"false\" # a comment",
    };
    std::string text;
    for (std::int64_t i = 0; i < lines; ++i) {
        std::string line = forms[i % 6];
        const std::string suffix = std::to_string(i);
        for (std::size_t at = line.find("{i}"); at != std::string::npos; at = line.find("{i}"))
            line.replace(at, 3, suffix);
        text += line + "\n";
    }
    return text;
}

// Every line holds errors the parser must recover from.
std::string brokenDocument(std::int64_t lines)
{
    static const char* const forms[] = {"x = 1 + * 2", "f(by: 1, 2", "3 = y ) )", "function = (x) { x }", "[a = 1]"};
    std::string text;
    for (std::int64_t i = 0; i < lines; ++i)
        text += std::string(forms[i % 5]) + "\n";
    return text;
}

void parseTokens(benchmark::State& state, const std::vector<Token>& tokens)
{
    std::size_t errors = 0;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(engine::Parser::parse(tokens));
        } catch (const engine::MultiError<engine::ParseError>& failure) {
            errors = failure.errors.size();
        }
    }
    state.counters["tokens"] = static_cast<double>(tokens.size());
    state.counters["errors"] = static_cast<double>(errors);
    state.SetComplexityN(state.range(0));
}

void BM_ParseTypicalDocument(benchmark::State& state)
{
    parseTokens(state, engine::Lexer::lex(typicalDocument(state.range(0))));
}
BENCHMARK(BM_ParseTypicalDocument)
    ->RangeMultiplier(10)
    ->Range(100, 10'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_ParseBrokenDocument(benchmark::State& state)
{
    parseTokens(state, engine::Lexer::lex(brokenDocument(state.range(0))));
}
BENCHMARK(BM_ParseBrokenDocument)
    ->RangeMultiplier(10)
    ->Range(100, 10'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// A hundred thousand "(" in a row: every 257th fails and recovery restarts.
void BM_ParseDeepNesting(benchmark::State& state)
{
    const std::string source = std::string(static_cast<std::size_t>(state.range(0)), '(') + "1";
    parseTokens(state, engine::Lexer::lex(source));
}
BENCHMARK(BM_ParseDeepNesting)
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
