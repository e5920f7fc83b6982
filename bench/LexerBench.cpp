#include <string>

#include <benchmark/benchmark.h>

#include "DocumentGenerator.h"
#include "frontend/Lexer.h"

namespace {

// Lines of the non-ASCII document: the size of a long notepad document.
constexpr int nonAsciiLines = 10'000;

// Long strings and comments full of accents, CJK and emoji sequences.
std::string nonAsciiDocument()
{
    const std::string words = "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 \u6f22\u5b57\u304b\u306a "
                              "\U0001F468\u200D\U0001F469\u200D\U0001F467 cafe\u0301 \U0001F1EB\U0001F1F7 ";
    std::string document;
    for (int i = 0; i < nonAsciiLines; ++i) {
        if (i % 2 == 0)
            document += "note = \"" + words + words + words + "\"\n";
        else
            document += "x = 1 # " + words + words + words + "\n";
    }
    return document;
}

// Items are lines.
void lexDocument(benchmark::State& state, const std::string& document, std::int64_t lines)
{
    std::size_t tokens = 0;
    for (auto _ : state) {
        auto result = engine::Lexer::lex(document);
        tokens = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["tokens"] = static_cast<double>(tokens);
}

void lexTypicalDocument(benchmark::State& state)
{
    lexDocument(state, tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0))), state.range(0));
}
void lexNonAsciiDocument(benchmark::State& state) { lexDocument(state, nonAsciiDocument(), nonAsciiLines); }

} // namespace

BENCHMARK(lexTypicalDocument)->RangeMultiplier(10)->Range(100, 100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(lexNonAsciiDocument)->Unit(benchmark::kMillisecond);
