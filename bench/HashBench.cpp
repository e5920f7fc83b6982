// Hashing a long document's tokens and statements, as the bridge does for its
// cache key on every keystroke, hit or miss.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "DocumentGenerator.h"
#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "values/Hasher.h"

namespace {

void hashTokens(benchmark::State& state)
{
    const auto tokens = engine::Lexer::lex(tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        engine::Hasher hasher;
        hasher.combine(static_cast<std::uint64_t>(tokens.size()));
        engine::Token::hashForKey(hasher, tokens);
        benchmark::DoNotOptimize(hasher.finalize());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(tokens.size()));
}
BENCHMARK(hashTokens)->Arg(10'000)->Unit(benchmark::kMillisecond);

// As the bridge feeds them: each node's token as its index in the list.
void hashStatements(benchmark::State& state)
{
    const auto tokens = std::make_shared<const std::vector<engine::Token>>(
        engine::Lexer::lex(tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0)))));
    const auto statements = engine::Parser::parse(tokens);
    for (auto _ : state) {
        engine::Hasher hasher;
        hasher.combine(static_cast<std::uint64_t>(statements.size()));
        for (const auto& statement : statements)
            statement.hash(hasher, *tokens);
        benchmark::DoNotOptimize(hasher.finalize());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(statements.size()));
}
BENCHMARK(hashStatements)->Arg(10'000)->Unit(benchmark::kMillisecond);

// Each node's token by its contents.
void hashStatementContents(benchmark::State& state)
{
    const auto statements =
        engine::Parser::parse(engine::Lexer::lex(tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0)))));
    for (auto _ : state) {
        engine::Hasher hasher;
        hasher.combine(static_cast<std::uint64_t>(statements.size()));
        for (const auto& statement : statements)
            statement.hash(hasher);
        benchmark::DoNotOptimize(hasher.finalize());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(statements.size()));
}
BENCHMARK(hashStatementContents)->Arg(10'000)->Unit(benchmark::kMillisecond);

// A document's text alone: the first thing fed, in one large piece.
void hashText(benchmark::State& state)
{
    const auto text = tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        engine::Hasher hasher;
        hasher.combine(std::string_view(text));
        benchmark::DoNotOptimize(hasher.finalize());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(hashText)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
