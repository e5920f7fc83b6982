#pragma once

// Documents a hostile or careless user can type, and what each must end in:
// shared by the tests that run them through the bridge and through
// tarvine-cli.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Repeat.h"
#include "core/Bridge.h"
#include "values/MultiError.h"

namespace hostile {

using engine::test::repeat;

// What a user sees of a run: the text of the last line that has a result, or
// "ERR " and the published errors, one per line.
inline std::string outcomeOf(tarvine::Bridge& bridge, std::string_view source)
{
    bridge.execute(source);
    if (!bridge.errorOutput().empty())
        return "ERR " + bridge.errorOutput();
    const auto& lines = bridge.renderedOutputList();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (!line->empty())
            return *line;
    return {};
}

// The expected outcome of a run that fails with these messages, each
// repeated its count of times, in order.
inline std::string errors(std::initializer_list<std::pair<std::string_view, std::size_t>> messages)
{
    std::string text = "ERR ";
    bool first = true;
    for (const auto& [message, count] : messages) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!first)
                text += '\n';
            text += message;
            first = false;
        }
    }
    return text;
}

// A lexer or parser that stopped: as many errors as it keeps, then the notice.
inline std::string stoppedAfter(std::string_view message)
{
    return errors({{message, engine::maxErrors}, {engine::tooManyErrors, 1}});
}

// Equal texts, or where they part and a little of each from there: a failing
// row must not print megabytes.
inline testing::AssertionResult sameText(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return testing::AssertionSuccess();
    const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
    constexpr std::size_t shown = 120;
    return testing::AssertionFailure() << "texts of " << actual.size() << " and " << expected.size()
                                       << " bytes part at byte " << at << ":\n  actual:   "
                                       << testing::PrintToString(actual.substr(at, shown))
                                       << "\n  expected: " << testing::PrintToString(expected.substr(at, shown));
}

// A hostile document: generated, as most are too big to write out, with the
// outcome a user must see.
struct Document {
    std::string name;
    std::function<std::string()> source;
    std::function<std::string()> expected;
    // The peak memory of tarvine-cli running it, in the release build: a
    // third or more above what it was measured at, so a regression shows.
    std::size_t peakMegabytes;
    friend void PrintTo(const Document& document, std::ostream* stream) { *stream << document.name; }
};

inline std::function<std::string()> is(std::string text)
{
    return [text = std::move(text)] { return text; };
}

constexpr std::string_view tooDeep = "Expression nested too deeply";
constexpr std::string_view noPrimary = "expected primary but found none";

// The errors of 100,000 levels of brackets, closed: see the documents below.
inline std::string closedTooLate()
{
    return errors({{tooDeep, 389},
                   {"Expected newline", 1},
                   {noPrimary, engine::maxErrors - 390},
                   {engine::tooManyErrors, 1}});
}

// `levels` opening characters, the innermost operand, and closing ones if any.
inline std::string nested(std::string_view open, std::string_view inner, std::string_view close, std::size_t levels)
{
    return repeat(open, levels) + std::string(inner) + repeat(close, levels);
}

// "v0 = 0 kg * 3 / 7" and so on: 190,000 lines, 5,097,780 bytes.
inline std::string typicalLines()
{
    std::string source;
    for (int line = 0; line < 190'000; ++line) {
        const auto n = std::to_string(line);
        source += "v" + n + " = " + n + " kg * 3 / 7\n";
    }
    return source;
}

// "a0 = 0", then "a1 = a0 + 1" and so on, each line naming the one before.
inline std::string countingLines(int lines)
{
    std::string source = "a0 = 0\n";
    for (int line = 1; line < lines; ++line)
        source += "a" + std::to_string(line) + " = a" + std::to_string(line - 1) + " + 1\n";
    return source;
}

inline const std::vector<Document>& documents()
{
    constexpr std::size_t fiveMegabytes = 5'000'000;
    static const std::vector<Document> table = {
        // Size.
        {"fiveMegabytesOfTypicalLines", typicalLines, is("81428 1/7 kg"), 640}, // 189999 × 3 = 7 × 81428 + 1
        {"hundredThousandLinesEachNamingTheLast", [] { return countingLines(100'000); }, is("99999"), 192},
        // Every result is filed under the one line.
        {"hundredThousandStatementsOnOneLine", [] { return repeat("1;", 100'000); },
         [] { return repeat("1, ", 100'000 - 1) + "1"; }, 64},
        // A literal may pass the size limit of strings; nothing can be built from it.
        {"fiveMegabyteStringLiteral", [] { return "s = \"" + repeat("x", fiveMegabytes) + "\"\ns + \"!\""; },
         is("ERR Result too large"), 80},
        {"fiveMegabyteStringsCompared",
         [] { return "\"" + repeat("x", fiveMegabytes) + "\" == \"" + repeat("x", fiveMegabytes) + "\""; },
         is("\"true\""), 96},

        // Garbage: the lexer and the parser stop after maxErrors errors.
        {"fiveMegabytesOfFullStops", [] { return repeat(".", fiveMegabytes); },
         [] { return stoppedAfter("Unexpected character: ."); }, 32},
        {"fiveMegabytesOfEuroSigns", [] { return repeat("\u20AC", fiveMegabytes / 3 + 1); },
         [] { return stoppedAfter("Unexpected character: \u20AC"); }, 32},
        {"fiveMegabytesOfClosingParentheses", [] { return repeat(")", fiveMegabytes); },
         [] { return stoppedAfter(noPrimary); }, 1280},
        {"hundredThousandUnfinishedLines", [] { return repeat("1 +\n", 100'000); },
         [] { return stoppedAfter(noPrimary); }, 96},
        // The interpreter reports every failing line; the work budget bounds them.
        {"hundredThousandFailingLines", [] { return repeat("1 + \"a\"\n", 100'000); },
         [] { return errors({{"Invalid operation between number and string", 100'000}}); }, 160},

        // Depth: the parser fails at the 257th level, skips that token and
        // starts again, so 100,000 levels fail 389 times; the last 27 levels
        // close, and each closing character left over is an error of its own
        // until the parser stops.
        {"hundredThousandParentheses", [] { return nested("(", "1", ")", 100'000); }, closedTooLate, 48},
        {"hundredThousandBrackets", [] { return nested("[", "1", "]", 100'000); }, closedTooLate, 48},
        {"hundredThousandBraces", [] { return nested("{", "x", "}", 100'000); }, closedTooLate, 48},
        {"hundredThousandMinuses", [] { return nested("-", "1", "", 100'000); },
         [] { return errors({{tooDeep, 389}}); }, 32},
        {"hundredThousandBangs", [] { return nested("!", "x", "", 100'000); },
         [] { return errors({{tooDeep, 389}}); }, 32},
        {"listNestedAMillionDeep",
         [] {
             return "function wrap = (accumulator, item) { [accumulator] }\n"
                    "list_reduce(over: [1] * 1000000, from: 0, using: wrap)";
         },
         is("ERR Value nested too deeply"), 72},

        // Results past the size limits are refused before they are built.
        {"billionCharacterString", [] { return std::string("\"a\" * 1000000000"); }, is("ERR Result too large"), 16},
        {"billionElementList", [] { return std::string("[1] * 1000000000"); }, is("ERR Result too large"), 16},
        // The work budget pays for every byte of values, so a run builds at
        // most 400 MB of them: 390 strings of a megabyte fit, 500 do not.
        {"biggestValuesARunMayBuild", [] { return repeat("\"x\" * 1000000\n", 390); },
         [] { return "\"" + repeat("x", 1'000'000) + "\""; }, 1200},
        {"valuesPastTheBudget", [] { return repeat("\"x\" * 1000000\n", 500); }, is("ERR Evaluation too long"), 540},
    };
    return table;
}

} // namespace hostile
