#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DocumentGenerator.h"
#include "core/Bridge.h"

namespace {

using tarvine::Bridge;
using tarvine::DocumentGenerator;
using Kind = DocumentGenerator::Kind;
using Dialect = DocumentGenerator::Dialect;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

struct Flavour {
    Kind kind;
    Dialect dialect;
};

const Flavour flavours[] = {{Kind::typical, Dialect::tarvine},
                            {Kind::peer, Dialect::tarvine},
                            {Kind::peer, Dialect::mathjs},
                            {Kind::peer, Dialect::qalc}};

// Every size, including ones that end inside a cycle of line kinds: exactly
// the lines asked, each size the start of the next; in Tarvine's dialect no
// error, and a result on exactly the lines that are neither blank nor a
// comment.
TEST(DocumentGenerator, WritesTheLinesAskedAndTarvineGivesEachStatementAResult)
{
    for (const auto& flavour : flavours) {
        std::string shorter;
        for (int lines : {0, 1, 4, 5, 9, 13, 17, 18, 19, 26, 100, 1'000, 2'000}) {
            SCOPED_TRACE(std::to_string(lines) + " lines");
            const auto text = DocumentGenerator::document(flavour.kind, flavour.dialect, lines);
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lines);
            EXPECT_TRUE(text.empty() || text.back() == '\n');
            EXPECT_EQ(text.substr(0, shorter.size()), shorter);
            EXPECT_EQ(text, DocumentGenerator::document(flavour.kind, flavour.dialect, lines));
            shorter = text;
            if (flavour.dialect != Dialect::tarvine)
                continue;
            Bridge bridge;
            bridge.execute(text);
            ASSERT_EQ(bridge.errorOutput(), "");
            const auto source = linesOf(text);
            const auto& results = bridge.renderedOutputList();
            ASSERT_EQ(results.size(), source.size() + 1);
            for (std::size_t line = 0; line < source.size(); ++line) {
                const bool statement = !source[line].empty() && source[line][0] != '#';
                EXPECT_EQ(!results[line].empty(), statement) << "line " << line + 1 << ": " << source[line];
            }
        }
    }
}

// One cycle of peer lines, worked by hand and printed alike by mathjs and
// qalc: "(1/2) kg" must be half a kilogram, not 1 / (2 kg).
TEST(DocumentGenerator, ThePeerCycleMeansInTarvineWhatItMeansInThePeers)
{
    Bridge bridge;
    bridge.execute(DocumentGenerator::peer(DocumentGenerator::peerCycle, Dialect::tarvine));
    const std::vector<std::string> expected{"0.5 kg",  "0.5 m",    "0.6 s",             "5/12 kgm per s",
                                            "1 23/42", "-311/588", "0.78125 kgm per s", "1 2/3 m per s",
                                            ""};
    EXPECT_EQ(bridge.errorOutput(), "");
    EXPECT_EQ(bridge.renderedOutputList(), expected);
}

TEST(DocumentGenerator, TypingAtTheTypingPositionChangesAStringAndKeepsTheDocumentValid)
{
    for (int lines : {14, 15, 27, 28, 100, 10'000}) {
        const auto position = DocumentGenerator::typingPosition(lines);
        ASSERT_TRUE(position.has_value()) << lines << " lines";
        EXPECT_LT(position->line, lines);
        EXPECT_GE(position->line, lines / 2 - DocumentGenerator::typicalCycle);
        auto source = linesOf(DocumentGenerator::typical(lines));
        const auto original = source[static_cast<std::size_t>(position->line)];
        Bridge bridge;
        bridge.execute(DocumentGenerator::typical(lines));
        const auto before = bridge.renderedOutputList();

        const auto column = static_cast<std::size_t>(position->column);
        ASSERT_LT(column, original.size());
        EXPECT_EQ(original[column], '"') << original;
        EXPECT_NE(original.rfind("name = \"item ", column), std::string::npos) << original;
        source[static_cast<std::size_t>(position->line)].insert(column, "42");
        std::string edited;
        for (const auto& line : source)
            edited += line + '\n';
        bridge.execute(edited);
        EXPECT_EQ(bridge.errorOutput(), "");
        EXPECT_NE(bridge.renderedOutputList(), before);
    }
    for (int lines : {0, 1, 9, 13})
        EXPECT_FALSE(DocumentGenerator::typingPosition(lines).has_value()) << lines << " lines";
}

} // namespace
