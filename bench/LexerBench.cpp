#include <string>

#include <benchmark/benchmark.h>

#include "frontend/Lexer.h"

namespace {

// Lines in the documents below: the size of a long notepad document.
constexpr int documentLines = 10'000;

// A realistic mix: assignments with units, strings, comments, calls,
// function definitions, lists and blank lines.
std::string mixedDocument()
{
    static const char* const lines[] = {
        "# Groceries for the week",
        "price = 12.50 EUR * 3 # three items",
        "distance = 5 km + 300 m",
        "greeting = \"Hello, world\"",
        "function area = (width w, height h) -> (a) { a = w * h }",
        "room = area(3.25 m, height: 4_000 mm)",
        "[1, 2, 3] == [1 2 3]",
        "total = price * 1.2 + 0.05 EUR; share = total / 4",
        "",
        "limits = {low = 10 kg, high = 250 kg}",
        "ratio = (distance % 7 km) / 2 >= 0.333 km",
    };
    std::string document;
    for (int i = 0; i < documentLines; ++i) {
        document += lines[i % std::size(lines)];
        document += '\n';
    }
    return document;
}

// Long strings and comments full of accents, CJK and emoji sequences.
std::string nonAsciiDocument()
{
    const std::string words = "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 \u6f22\u5b57\u304b\u306a "
                              "\U0001F468\u200D\U0001F469\u200D\U0001F467 cafe\u0301 \U0001F1EB\U0001F1F7 ";
    std::string document;
    for (int i = 0; i < documentLines; ++i) {
        if (i % 2 == 0)
            document += "note = \"" + words + words + words + "\"\n";
        else
            document += "x = 1 # " + words + words + words + "\n";
    }
    return document;
}

void lexDocument(benchmark::State& state, const std::string& document)
{
    std::size_t tokens = 0;
    for (auto _ : state) {
        auto result = engine::Lexer::lex(document);
        tokens = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
    state.counters["tokens"] = static_cast<double>(tokens);
    // Time per thousand lines.
    state.counters["per1000Lines"] = benchmark::Counter(static_cast<double>(state.iterations()) * documentLines / 1000.0,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LexMixedDocument(benchmark::State& state) { lexDocument(state, mixedDocument()); }
void BM_LexNonAsciiDocument(benchmark::State& state) { lexDocument(state, nonAsciiDocument()); }

} // namespace

BENCHMARK(BM_LexMixedDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexNonAsciiDocument)->Unit(benchmark::kMillisecond);
