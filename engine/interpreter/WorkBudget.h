#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "values/Table.h"
#include "values/ValueUnion.h"

namespace engine {

// The work one run of the interpreter may do, shared by every interpreter of
// that run (the top level and each function body). The language has no loops,
// but lists of a million elements and ten levels of calls can still ask for
// 10^12 steps, and a document can build big values line after line; the
// budget turns both into an error instead of a frozen window or an exhausted
// memory.
//
// A step is about the time of evaluating one small expression. Copying or
// building values costs steps in proportion to the bytes they occupy, so the
// budget also bounds the memory that a run can build: at most
// stepsPerRun × bytesPerStep bytes of values.
class WorkBudget {
public:
    // Measured (bench/InterpreterBench.cpp, untilTheBudgetEnds): the costliest
    // documents (failing calls that fan out, deep arithmetic in nested
    // list_map) spend the whole budget in 0.1 to 0.6 s on the development
    // machine, while a realistic 10,000-line document spends about 1% of it.
    // Fuzz builds run 20 to 40 times slower and pass a smaller budget
    // (ENGINE_STEPS_PER_RUN), so a run that spends all of it still ends well
    // within the fuzzer's timeout and any timeout is work the budget missed.
#ifdef ENGINE_STEPS_PER_RUN
    static constexpr std::uint64_t stepsPerRun = ENGINE_STEPS_PER_RUN;
#else
    static constexpr std::uint64_t stepsPerRun = 50'000'000;
#endif
    // One step pays for this many bytes of values copied or built; with the
    // budget above a run can build at most 400 MB of values (a list of a
    // million numbers takes 80 MB, a fifth of the budget).
    static constexpr std::uint64_t bytesPerStep = 8;

    // Every call of a function: the body's interpreter and its scope, the
    // argument table, cost about as much as this many small expressions.
    static constexpr std::uint64_t callSteps = 4;
    // Comparing or merging this many pairs of unit names (units are compared
    // name by name) costs about one step.
    static constexpr std::uint64_t unitComparisonsPerStep = 16;
    // Catching a thrown error: unwinding costs about as much as this many steps.
    static constexpr std::uint64_t caughtErrorSteps = 150;
    // Recording one error, and passing it up through each caller.
    static constexpr std::uint64_t recordedErrorSteps = 4;
    // What a list or a table occupies besides its elements: the shared
    // storage, and for a table its first hash buckets.
    static constexpr std::size_t listOverheadBytes = 64;
    static constexpr std::size_t tableOverheadBytes = 256;
    // Each entry of a table also has a hash bucket.
    static constexpr std::size_t tableBucketBytes = 16;
    // What a value occupies in a list or a table, besides its own heap bytes.
    // Fixed rather than sizeof(ValueUnion), so that the budget, which was
    // measured with values of this size, does not move when they shrink.
    static constexpr std::size_t storedValueBytes = 80;

    static inline const std::string evaluationTooLong = "Evaluation too long";

    // Throws InterpretError "Evaluation too long" when fewer steps are left;
    // the budget is then spent for good. Inline: it runs for every node.
    void spend(std::uint64_t steps)
    {
        if (!trySpend(steps))
            fail();
    }
    // As spend, but reports failure instead of throwing.
    bool trySpend(std::uint64_t steps)
    {
        if (exhausted_ || steps > remaining_) {
            exhausted_ = true;
            remaining_ = 0;
            return false;
        }
        remaining_ -= steps;
        return true;
    }
    // Whether a spend has failed. Interpreters stop running statements then,
    // so the one error is not repeated for every statement that follows.
    bool exhausted() const { return exhausted_; }

    // Copying a value: one step, plus its own heap bytes (text, units).
    void spendOnCopy(const ValueUnion& value) { spend(1 + heapBytes(value) / bytesPerStep); }
    // Building a list of these elements.
    void spendOnList(std::span<const ValueUnion> elements);
    // Building a table of these entries, and `extra` entries more.
    void spendOnTable(const Table::Storage& entries, std::span<const ValueUnion> extra = {});
    // Building a text of this many bytes.
    void spendOnBytes(std::size_t bytes) { spend(1 + bytes / bytesPerStep); }

    // The bytes a copy of the value allocates: the text of a string or an
    // error value. Numbers (their units), lists, tables and callables share
    // their storage, so copying them allocates nothing.
    // Inline, as it runs for every value read.
    static std::size_t heapBytes(const ValueUnion& value)
    {
        switch (value.kind()) {
        case ValueUnion::Kind::string: return value.as<EString>()->value.size();
        case ValueUnion::Kind::error: return value.as<ErrorValue>()->message.size();
        default: return 0;
        }
    }
    // The bytes of a number's units: what an operation on it may build anew.
    static std::size_t unitBytes(const Number& number) { return number.units.empty() ? 0 : unitEntryBytes(number); }
    // The bytes a value occupies in a list or a table.
    static std::size_t storedBytes(const ValueUnion& value);

private:
    [[noreturn]] static void fail();
    static std::size_t unitEntryBytes(const Number& number);

    std::uint64_t remaining_ = stepsPerRun;
    bool exhausted_ = false;
};

} // namespace engine
