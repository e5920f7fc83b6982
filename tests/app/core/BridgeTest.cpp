#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Bridge.h"

namespace {

using tarvine::Bridge;
using Lines = std::vector<std::string>;

struct DocumentCase {
    const char* name;
    std::string source;
    Lines rendered;
    std::string error;
    std::size_t interpretations; // in two executions: a success is cached, a failure never
    friend void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.name; }
};

class BridgeDocuments : public testing::TestWithParam<DocumentCase> {};

TEST_P(BridgeDocuments, FileResultsUnderTheirLinesAndCacheOnlySuccesses)
{
    Bridge bridge;
    bridge.execute("0");
    for (int run = 0; run < 2; ++run) {
        bridge.execute(GetParam().source);
        EXPECT_EQ(bridge.renderedOutputList(), GetParam().rendered);
        EXPECT_EQ(bridge.errorOutput(), GetParam().error);
    }
    EXPECT_EQ(bridge.interpretationCount(), 1 + GetParam().interpretations);
    EXPECT_EQ(bridge.cacheSize(), GetParam().error.empty() ? 2u : 1u);
}

// A bridge without a cache publishes the same, and interprets every time.
TEST_P(BridgeDocuments, GiveTheSameResultsWithoutACache)
{
    Bridge bridge(Bridge::Caching::off);
    bridge.execute("0");
    for (int run = 0; run < 2; ++run) {
        bridge.execute(GetParam().source);
        EXPECT_EQ(bridge.renderedOutputList(), GetParam().rendered);
        EXPECT_EQ(bridge.errorOutput(), GetParam().error);
    }
    EXPECT_EQ(bridge.interpretationCount(), 1 + 2 * (GetParam().interpretations > 0));
    EXPECT_EQ(bridge.cacheSize(), 0u);
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 0 entries");
}

INSTANTIATE_TEST_SUITE_P(
    Documents, BridgeDocuments,
    testing::Values(
        DocumentCase{"empty", "", {""}, "", 1},
        DocumentCase{"twoOnOneLine", "1; 2", {"1, 2"}, "", 1},
        DocumentCase{"blankLineAndFinalLineFeed", "1\n\n2 kg\n", {"1", "", "2 kg", ""}, "", 1},
        // A list literal is filed under its "[", a string under the line where it ends.
        DocumentCase{"listOverLines", "[1,\n2]\nx", {"list with 2 entries", "", "1 x"}, "", 1},
        DocumentCase{"stringOverLines", "\"a\nb\"", {"", "\"a\nb\""}, "", 1},
        DocumentCase{"lexerErrors", "1 \u20AC\n2 & 3 |", {},
                     "Unexpected character: \u20AC\nUnexpected character: &\nUnexpected character: |", 0},
        DocumentCase{"parserErrors", "x = 1 2\n(", {}, "Expected newline\nexpected primary but found none", 0},
        DocumentCase{"interpreterErrors", "a = 1\na = 2\nb = 1 + \"s\"", {},
                     "cannot re-bind a\nInvalid operation between number and string", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bridge, AHitPublishesNoStatusAndEveryOtherTextMisses)
{
    Bridge bridge;
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 0 entries");
    int cacheInfoChanges = 0;
    bridge.addObserver([&](Bridge::Field field) { cacheInfoChanges += field == Bridge::Field::cacheInfo; });
    // White space and comments make a new key too.
    for (const char* source : {"a = 2\na * 3", "1", "a = 2\na * 3", "a = 2\na * 3 ", "a = 2\na * 3 # six"})
        bridge.execute(source);
    EXPECT_EQ(bridge.interpretationCount(), 4u);
    EXPECT_EQ(cacheInfoChanges, 4);
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 4 entries");
}

TEST(Bridge, TheHundredAndFirstStoreReportsItselfThenEvictsTheOldest)
{
    Bridge bridge;
    for (int i = 0; i < 101; ++i)
        bridge.execute(std::to_string(i));
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 101 entries");
    EXPECT_EQ(bridge.cacheSize(), 100u);
    EXPECT_EQ(bridge.interpretationCount(), 101u);

    bridge.execute("100"); // the newest is still there
    bridge.execute("1");   // and so is the second
    EXPECT_EQ(bridge.interpretationCount(), 101u);
    bridge.execute("0"); // the first was evicted
    EXPECT_EQ(bridge.interpretationCount(), 102u);
    EXPECT_EQ(bridge.renderedOutputList(), Lines{"0"});
}

TEST(Bridge, PublishesResultsBeforeTheErrorText)
{
    Bridge bridge;
    std::vector<Bridge::Field> changes;
    bridge.addObserver([&](Bridge::Field field) { changes.push_back(field); });
    bridge.execute("(");
    bridge.execute("1");
    const std::vector<Bridge::Field> expected{
        Bridge::Field::renderedOutputList, Bridge::Field::errorOutput, // the failure
        Bridge::Field::renderedOutputList, Bridge::Field::errorOutput, Bridge::Field::cacheInfo, // the success
    };
    EXPECT_EQ(changes, expected);
}

} // namespace
