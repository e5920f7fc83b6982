#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "DocumentGenerator.h"
#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "writer/ASTWriter.h"

namespace {

using engine::ASTWriter;
using engine::Number;
using engine::NumberFormat;
using engine::ValueUnion;

// The results a typical document shows: integers, decimals, thirds, units.
const std::vector<ValueUnion>& typicalValues()
{
    static const std::vector<ValueUnion> values = {
        Number(42, 1),
        Number(7, 4),
        Number(-22, 7),
        Number(49, 5, {{"m", 1}, {"s", -2}}),
        Number(1'234'567, 100, {{"kg", 1}}),
        Number(1, 3),
        engine::EString("total"),
    };
    return values;
}

void writeTypicalValues(benchmark::State& state)
{
    const auto& values = typicalValues();
    for (auto _ : state) {
        for (const auto& value : values)
            benchmark::DoNotOptimize(ASTWriter::writeValue(value, NumberFormat::mixed, false));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(writeTypicalValues);

// The largest prime below 2^63 as a denominator: mixed text must not try
// divisors up to it (nor up to its square root, three billion).
void writeMixedLargePrimeDenominator(benchmark::State& state)
{
    const ValueUnion value = Number(9'223'372'036'854'775'807, 9'223'372'036'854'775'783);
    for (auto _ : state)
        benchmark::DoNotOptimize(ASTWriter::writeValue(value, NumberFormat::mixed, false));
}
BENCHMARK(writeMixedLargePrimeDenominator);

// Full factorisation of hard 63-bit inputs: a prime and a product of two
// 31-bit primes.
void primeFactorsOfLargePrime(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ASTWriter::primeFactors(9'223'372'036'854'775'783));
}
BENCHMARK(primeFactorsOfLargePrime);

void primeFactorsOfSemiprime(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ASTWriter::primeFactors(4'611'685'975'477'714'963)); // 2147483629 × 2147483647
}
BENCHMARK(primeFactorsOfSemiprime);

} // namespace

namespace {

// The rendering stage of a typical document: the text of every result, as
// the bridge writes them beside their lines. Items are lines.
void renderTypicalDocument(benchmark::State& state)
{
    const auto outputs = engine::Interpreter::interpret(
        engine::Parser::parse(engine::Lexer::lex(tarvine::DocumentGenerator::typical(static_cast<int>(state.range(0))))),
        0);
    for (auto _ : state) {
        for (const auto& output : outputs)
            benchmark::DoNotOptimize(ASTWriter::writeValue(output.value, NumberFormat::mixed, false));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["results"] = static_cast<double>(outputs.size());
}
BENCHMARK(renderTypicalDocument)->RangeMultiplier(10)->Range(100, 100'000)->Unit(benchmark::kMillisecond);

} // namespace
