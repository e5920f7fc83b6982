#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "DocumentGenerator.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "values/MultiError.h"

namespace {

using engine::Token;

// Every line holds errors the parser must recover from.
std::string brokenDocument(std::int64_t lines)
{
    static const char* const forms[] = {"x = 1 + * 2", "f(by: 1, 2", "3 = y ) )", "function = (x) { x }", "[a = 1]"};
    std::string text;
    for (std::int64_t i = 0; i < lines; ++i)
        text += std::string(forms[i % 5]) + "\n";
    return text;
}

// Items are lines. The tokens are shared with the trees, as the bridge does.
void parseTokens(benchmark::State& state, std::vector<Token> lexed, std::int64_t lines)
{
    const auto tokens = std::make_shared<const std::vector<Token>>(std::move(lexed));
    std::size_t errors = 0;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(engine::Parser::parse(tokens));
        } catch (const engine::MultiError<engine::ParseError>& failure) {
            errors = failure.errors.size();
        }
    }
    state.counters["tokens"] = static_cast<double>(tokens->size());
    state.counters["errors"] = static_cast<double>(errors);
    state.SetItemsProcessed(state.iterations() * lines);
    state.SetComplexityN(state.range(0));
}

void BM_ParseTypicalDocument(benchmark::State& state)
{
    parseTokens(state, engine::Lexer::lex(tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0)))),
                state.range(0));
}
BENCHMARK(BM_ParseTypicalDocument)
    ->RangeMultiplier(10)
    ->Range(100, 100'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_ParseBrokenDocument(benchmark::State& state)
{
    parseTokens(state, engine::Lexer::lex(brokenDocument(state.range(0))), state.range(0));
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
    parseTokens(state, engine::Lexer::lex(source), 1);
}
BENCHMARK(BM_ParseDeepNesting)
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
