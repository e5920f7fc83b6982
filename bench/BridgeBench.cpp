// One keystroke's evaluation of a typical document through the bridge: on a
// cache miss after a one-line edit (lex, parse, hash, interpret, render and
// file), and on a hit. Items are lines.

#include <cstddef>
#include <string>

#include <benchmark/benchmark.h>

#include "DocumentGenerator.h"
#include "core/Bridge.h"

namespace {

using tarvine::DocumentGenerator;

std::size_t byteOffset(const std::string& text, DocumentGenerator::Position position)
{
    std::size_t offset = 0;
    for (int line = 0; line < position.line; ++line)
        offset = text.find('\n', offset) + 1;
    return offset + static_cast<std::size_t>(position.column);
}

// Fails the benchmark unless every run went as the name says.
void expect(benchmark::State& state, const tarvine::Bridge& bridge, std::size_t interpretations)
{
    if (!bridge.errorOutput().empty())
        state.SkipWithError(bridge.errorOutput().c_str());
    else if (bridge.interpretationCount() != interpretations)
        state.SkipWithError("the cache answered differently than this benchmark is named");
}

void keystrokeOnANewText(benchmark::State& state)
{
    const auto lines = static_cast<int>(state.range(0));
    auto document = DocumentGenerator::typical(lines);
    const auto typingAt = byteOffset(document, *DocumentGenerator::typingPosition(lines));
    tarvine::Bridge bridge;
    bridge.execute(document);
    std::size_t typed = 0;
    long edit = 0;
    for (auto _ : state) {
        // A number no earlier keystroke typed, inside a string in the middle:
        // the text, a value and the results all change.
        state.PauseTiming();
        const auto text = std::to_string(++edit);
        document.replace(typingAt, typed, text);
        typed = text.size();
        state.ResumeTiming();
        bridge.execute(document);
        benchmark::DoNotOptimize(bridge.renderedOutputList().data());
    }
    expect(state, bridge, static_cast<std::size_t>(edit) + 1);
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(keystrokeOnANewText)->RangeMultiplier(10)->Range(100, 100'000)->Unit(benchmark::kMillisecond);

void keystrokeBackToAKnownText(benchmark::State& state)
{
    const auto document = DocumentGenerator::typical(static_cast<int>(state.range(0)));
    tarvine::Bridge bridge;
    bridge.execute(document);
    for (auto _ : state) {
        bridge.execute(document);
        benchmark::DoNotOptimize(bridge.renderedOutputList().data());
    }
    expect(state, bridge, 1);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(keystrokeBackToAKnownText)->RangeMultiplier(10)->Range(100, 100'000)->Unit(benchmark::kMillisecond);

// The document that scripts/compare-peers.sh times against mathjs and qalc,
// in a new bridge each time: no cache, no process start.
void peerDocument(benchmark::State& state)
{
    const auto document = DocumentGenerator::peer(static_cast<int>(state.range(0)), DocumentGenerator::Dialect::tarvine);
    for (auto _ : state) {
        tarvine::Bridge bridge;
        bridge.execute(document);
        benchmark::DoNotOptimize(bridge.renderedOutputList().data());
        if (!bridge.errorOutput().empty()) {
            state.SkipWithError(bridge.errorOutput().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(peerDocument)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
