#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Bridge.h"

namespace {

using tarvine::Bridge;
using Lines = std::vector<std::string>;

struct FilingCase {
    const char* name;
    std::string source;
    Lines expected;
};

class BridgeFiling : public testing::TestWithParam<FilingCase> {};

TEST_P(BridgeFiling, FilesEachResultUnderItsStatementsLine)
{
    Bridge bridge;
    bridge.execute(GetParam().source);
    EXPECT_EQ(bridge.errorOutput(), "");
    EXPECT_EQ(bridge.renderedOutputList(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, BridgeFiling,
    testing::Values(FilingCase{"empty", "", {""}},
                    FilingCase{"twoOnOneLine", "1; 2", {"1, 2"}},
                    FilingCase{"blankLineAndFinalLineFeed", "1\n\n2 kg\n", {"1", "", "2 kg", ""}},
                    FilingCase{"crlfLikeLf", "1\r\n2\r\n", {"1", "2", ""}},
                    FilingCase{"commentLine", "# note\n3 / 4", {"", "0.75"}},
                    // A list literal is filed under its "[", a string under the line where it ends.
                    FilingCase{"listOverLines", "[1,\n2]\nx", {"list with 2 entries", "", "1 x"}},
                    FilingCase{"stringOverLines", "\"a\nb\"", {"", "\"a\nb\""}},
                    FilingCase{"functionUnderItsName", "function f = (x) { x * 2 }\nf(x: 3)", {"func(x)", "6"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bridge, StartsEmptyWithTheStatusForNoEntries)
{
    Bridge bridge;
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 0 entries");
    EXPECT_TRUE(bridge.renderedOutputList().empty());
    EXPECT_EQ(bridge.errorOutput(), "");
}

TEST(Bridge, SameTextTwiceIsACacheHitThatInterpretsNothing)
{
    Bridge bridge;
    int cacheInfoChanges = 0;
    bridge.addObserver([&](Bridge::Field field) { cacheInfoChanges += field == Bridge::Field::cacheInfo; });

    bridge.execute("a = 2\na * 3");
    EXPECT_EQ(bridge.interpretationCount(), 1u);
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 1 entries");
    EXPECT_EQ(cacheInfoChanges, 1);

    bridge.execute("1");
    bridge.execute("a = 2\na * 3");
    EXPECT_EQ(bridge.interpretationCount(), 2u);
    EXPECT_EQ(bridge.renderedOutputList(), (Lines{"2", "6"}));
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 2 entries");
    EXPECT_EQ(cacheInfoChanges, 2);
}

TEST(Bridge, WhiteSpaceAndCommentsMakeANewKey)
{
    Bridge bridge;
    bridge.execute("1 + 2");
    bridge.execute("1 + 2 ");
    bridge.execute("1 + 2 # three");
    EXPECT_EQ(bridge.interpretationCount(), 3u);
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
    EXPECT_EQ(bridge.interpretationCount(), 101u);
    bridge.execute("1"); // and so is the second
    EXPECT_EQ(bridge.interpretationCount(), 101u);
    bridge.execute("0"); // the first was evicted
    EXPECT_EQ(bridge.interpretationCount(), 102u);
    EXPECT_EQ(bridge.renderedOutputList(), Lines{"0"});
    EXPECT_EQ(bridge.cacheSize(), 100u);
}

TEST(Bridge, FailuresAreNeverCached)
{
    Bridge bridge;
    for (int i = 0; i < 2; ++i) {
        bridge.execute("x = 1 + \"s\"");
        EXPECT_EQ(bridge.errorOutput(), "Invalid operation between number and string");
        EXPECT_TRUE(bridge.renderedOutputList().empty());
    }
    EXPECT_EQ(bridge.interpretationCount(), 2u);
    EXPECT_EQ(bridge.cacheSize(), 0u);
    EXPECT_EQ(bridge.cacheInfo(), "Cache Size: 0 entries");
}

struct ErrorCase {
    const char* name;
    std::string source;
    std::string expected;
};

class BridgeErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(BridgeErrors, ShowsEveryMessageOnItsOwnLine)
{
    Bridge bridge;
    bridge.execute("1");
    bridge.execute(GetParam().source);
    EXPECT_EQ(bridge.errorOutput(), GetParam().expected);
    EXPECT_TRUE(bridge.renderedOutputList().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, BridgeErrors,
    testing::Values(
        ErrorCase{"lexer", "1 \u20AC\n2 & 3 |",
                  "Unexpected character: \u20AC\nUnexpected character: &\nUnexpected character: |"},
        ErrorCase{"parser", "x = 1 2\n(", "Expected newline\nexpected primary but found none"},
        ErrorCase{"interpreter", "a = 1\na = 2\nb = 3\nb = 4", "cannot re-bind a\ncannot re-bind b"},
        ErrorCase{"functionBody", "function f = (x) { a = 1 + \"s\"\n b = !3 }\nf(x: 1)",
                  "Invalid operation between number and string\nInvalid operation: '!' with a number"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bridge, PublishesResultsBeforeTheErrorText)
{
    Bridge bridge;
    std::vector<Bridge::Field> changes;
    bridge.addObserver([&](Bridge::Field field) { changes.push_back(field); });
    bridge.execute("(");
    bridge.execute("1");
    EXPECT_EQ(bridge.errorOutput(), "");
    const std::vector<Bridge::Field> expected{
        Bridge::Field::renderedOutputList, Bridge::Field::errorOutput, // the failure
        Bridge::Field::renderedOutputList, Bridge::Field::errorOutput, Bridge::Field::cacheInfo, // the success
    };
    EXPECT_EQ(changes, expected);
}

} // namespace
