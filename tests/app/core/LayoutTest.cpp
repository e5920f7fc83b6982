#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Layout.h"
#include "core/Settings.h"

namespace tarvine {
namespace {

struct LineCase {
    std::string source;
    std::size_t lines;
    double gutterWidth;
};

// Widths are (digits of the line count + 1) × 10 + 10.
TEST(LayoutTest, GutterWidthFollowsTheDigitsOfTheLineCount)
{
    const std::vector<LineCase> cases = {
        {"", 1, 30},
        {"1 + 2", 1, 30},
        {"a\n", 2, 30},
        {"\n\n", 3, 30},
        {std::string(8, '\n'), 9, 30},
        {std::string(9, '\n'), 10, 40},
        {std::string(98, '\n'), 99, 40},
        {std::string(99, '\n'), 100, 50},
        {std::string(999, '\n'), 1000, 60},
        {"x = 1\r\ny = 2", 2, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.size());
        EXPECT_EQ(Layout::lineCount(c.source), c.lines);
        EXPECT_EQ(Layout::gutterWidth(Layout::lineCount(c.source)), c.gutterWidth);
    }
}

TEST(LayoutTest, GutterWidthOfLargeCounts)
{
    EXPECT_EQ(Layout::gutterWidth(9'999), 60);
    EXPECT_EQ(Layout::gutterWidth(10'000), 70);
    EXPECT_EQ(Layout::gutterWidth(0), 30);
    EXPECT_EQ(Layout::gutterWidth(18'446'744'073'709'551'615ULL), 220);
}

TEST(LayoutTest, LabelsSitFivePixelsInsideTheRuler)
{
    struct Case { double gutter, label, x; };
    const std::vector<Case> cases = {{30, 12, 13}, {40, 24, 11}, {50, 0, 45}, {30, 30, -5}};
    for (const auto& c : cases) {
        EXPECT_EQ(Layout::lineNumberLabelX(c.gutter, c.label), c.x);
        // The label's right edge is 5 inside the ruler's right edge.
        EXPECT_EQ(Layout::lineNumberLabelX(c.gutter, c.label) + c.label, c.gutter - 5);
    }
}

TEST(LayoutTest, RulerResultsStartFiveRightOfTheTextArea)
{
    EXPECT_EQ(Layout::rulerResultX(600, 30), 635);
    EXPECT_EQ(Layout::rulerResultX(0, 40), 45);
}

TEST(LayoutTest, WidestResultAndPaddings)
{
    struct Case { std::vector<double> widths; double widest, trailing; };
    const std::vector<Case> cases = {
        {{}, 0, 10},
        {{0}, 0, 10},
        {{12, 48.5, 36}, 48.5, 58.5},
        {{100}, 100, 110},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Layout::widestResult(c.widths), c.widest);
        EXPECT_EQ(Layout::editorTrailingPadding(Layout::widestResult(c.widths)), c.trailing);
    }
}

TEST(LayoutTest, ResultsColumnEndsFiveFromTheRightEdge)
{
    struct Case { double container, padding, x; };
    const std::vector<Case> cases = {{800, 100, 695}, {800, 0, 795}, {300, 48.5, 246.5}};
    for (const auto& c : cases) {
        EXPECT_EQ(Layout::resultsX(c.container, c.padding), c.x);
        // The results column lies inside the editor's trailing padding.
        EXPECT_GE(Layout::resultsX(c.container, c.padding),
                  c.container - Layout::editorTrailingPadding(c.padding));
    }
}

TEST(LayoutTest, ResultsMoveUpAsTheDocumentScrolls)
{
    EXPECT_EQ(Layout::resultsY(240, 0), 240);
    EXPECT_EQ(Layout::resultsY(240, 100), 140);
    EXPECT_EQ(Layout::resultsY(0, 30), -30);
}

TEST(SettingsTest, KeysAndDefaultsOfAFirstStart)
{
    const Settings defaults;
    EXPECT_FALSE(defaults.showCacheInfo);
    EXPECT_TRUE(defaults.autoExecute);
    EXPECT_TRUE(defaults.resultsGutterVersionOne);
    EXPECT_TRUE(defaults.resultsGutterVersionTwo);

    const std::vector<std::string> expectedKeys = {
        "A84AB174-2733-4445-AC2C-08E63B5244F1",
        "2D134E93-DE61-4BC6-AED2-3476E927586A",
        "973F0E6C-8B58-494A-893C-DC938CE4258C",
        "BDBE7BA7-37CD-457B-849E-4A51C5DE27D7",
    };
    ASSERT_EQ(Settings::keys.size(), expectedKeys.size());
    for (std::size_t i = 0; i < expectedKeys.size(); ++i) {
        EXPECT_EQ(Settings::keys[i].key, expectedKeys[i]);
        // The table's default and the field's initial value agree.
        EXPECT_EQ(Settings::keys[i].defaultValue, defaults.*Settings::keys[i].field);
    }
}

} // namespace
} // namespace tarvine
