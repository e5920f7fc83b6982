// One keystroke's evaluation of a long document through the bridge: on a
// cache miss (lex, parse, hash, interpret, render and file), and on a hit.

#include <string>

#include <benchmark/benchmark.h>

#include "Documents.h"
#include "core/Bridge.h"

namespace {

void keystrokeOnANewText(benchmark::State& state)
{
    const auto document = bench::realisticDocument(static_cast<int>(state.range(0)));
    tarvine::Bridge bridge;
    long edit = 0;
    for (auto _ : state) {
        // A different trailing comment each time, as typing would make it.
        bridge.execute(document + "# " + std::to_string(edit++));
        benchmark::DoNotOptimize(bridge.renderedOutputList().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(keystrokeOnANewText)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

void keystrokeBackToAKnownText(benchmark::State& state)
{
    const auto document = bench::realisticDocument(static_cast<int>(state.range(0)));
    tarvine::Bridge bridge;
    bridge.execute(document);
    for (auto _ : state) {
        bridge.execute(document);
        benchmark::DoNotOptimize(bridge.renderedOutputList().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(keystrokeBackToAKnownText)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
