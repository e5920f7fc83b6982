#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Layout.h"
#include "core/Settings.h"

namespace tarvine {
namespace {

TEST(LayoutTest, GutterWidthFollowsTheDigitsOfTheLineCount)
{
    struct Case { std::string source; std::size_t lines; double gutterWidth; };
    const std::vector<Case> cases = {
        {"", 1, 30},
        {"a\n", 2, 30},
        {"x = 1\r\ny = 2", 2, 30},
        {std::string(8, '\n'), 9, 30},
        {std::string(9, '\n'), 10, 40},
        {std::string(99, '\n'), 100, 50},
        {std::string(999, '\n'), 1000, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(Layout::lineCount(c.source), c.lines);
        EXPECT_EQ(Layout::gutterWidth(Layout::lineCount(c.source)), c.gutterWidth);
    }
    EXPECT_EQ(Layout::gutterWidth(9'999), 60);
    EXPECT_EQ(Layout::gutterWidth(10'000), 70);
    EXPECT_EQ(Layout::gutterWidth(18'446'744'073'709'551'615ULL), 220);
}

TEST(LayoutTest, KnownPositions)
{
    // Labels end 5 inside the ruler: x = gutterWidth - (w + 5).
    EXPECT_EQ(Layout::lineNumberLabelX(30, 12), 13);
    EXPECT_EQ(Layout::lineNumberLabelX(40, 24), 11);
    EXPECT_EQ(Layout::rulerResultX(600, 30), 635);
    EXPECT_EQ(Layout::resultsX(800, 100), 695);
    EXPECT_EQ(Layout::resultsX(300, 48.5), 246.5);
    EXPECT_EQ(Layout::resultsY(240, 100), 140);
    EXPECT_EQ(Layout::resultsY(0, 30), -30);
}

TEST(LayoutTest, WidestResultAndTrailingPadding)
{
    struct Case { std::vector<double> widths; double widest, trailing; };
    const std::vector<Case> cases = {{{}, 0, 10}, {{12, 48.5, 36}, 48.5, 58.5}};
    for (const auto& c : cases) {
        EXPECT_EQ(Layout::widestResult(c.widths), c.widest);
        EXPECT_EQ(Layout::editorTrailingPadding(Layout::widestResult(c.widths)), c.trailing);
    }
}

TEST(SettingsTest, KeysAndDefaultsOfAFirstStart)
{
    const Settings defaults;
    struct Expected { std::string key; bool defaultValue; bool Settings::*field; };
    const std::vector<Expected> expected = {
        {"A84AB174-2733-4445-AC2C-08E63B5244F1", false, &Settings::showCacheInfo},
        {"2D134E93-DE61-4BC6-AED2-3476E927586A", true, &Settings::autoExecute},
        {"973F0E6C-8B58-494A-893C-DC938CE4258C", true, &Settings::resultsGutterVersionOne},
        {"BDBE7BA7-37CD-457B-849E-4A51C5DE27D7", true, &Settings::resultsGutterVersionTwo},
    };
    ASSERT_EQ(Settings::keys.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Settings::keys[i].key, expected[i].key);
        EXPECT_EQ(Settings::keys[i].defaultValue, expected[i].defaultValue);
        EXPECT_TRUE(Settings::keys[i].field == expected[i].field);
        EXPECT_EQ(defaults.*expected[i].field, expected[i].defaultValue);
    }
}

} // namespace
} // namespace tarvine
