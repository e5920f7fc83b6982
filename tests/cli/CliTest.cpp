#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliRun.h"

// tarvine-cli as a user runs it. Results and error texts of the language are
// pinned by the golden documents; these pin the command line's own behaviour.
namespace {

using namespace clirun;

class CliRuns : public testing::TestWithParam<CliCase> {};

TEST_P(CliRuns, PrintAndExitAsExpected)
{
    const auto run = runCli(GetParam().arguments, GetParam().input);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, GetParam().out);
    EXPECT_EQ(run.err, GetParam().err);
}

std::string spaces(std::size_t count) { return std::string(count, ' '); }

INSTANTIATE_TEST_SUITE_P(
    Cli, CliRuns,
    testing::Values(
        // Results start two after the longest line (19 characters).
        CliCase{"peopleColumn", {}, "x = 3 kg\nlonger_name = x * 2\n\n# note\n1; 2\n", 0,
                "x = 3 kg" + spaces(13) + "# 3 kg\nlonger_name = x * 2  # 6 kg\n\n# note\n1; 2" + spaces(17)
                    + "# 1, 2\n",
                ""},
        CliCase{"peopleColumnByCharacters", {}, "\"\u00E9\u00E9\"\n\"ab\"\n", 0,
                "\"\u00E9\u00E9\"  # \"\u00E9\u00E9\"\n\"ab\"  # \"ab\"\n", ""},
        CliCase{"jsonEscapes", {"--json"}, "\"back\\slash\"\n\"tab\there\"\n", 0,
                R"({"results": ["\"back\\slash\"", "\"tab\there\"", ""], "error": ""})" "\n", ""},
        CliCase{"jsonError", {"--json", "-"},
                "function f = (key, value) { value }\n"
                "map_values(over: table_new(), using: f, returning: \"csv\")\na = 1\na = 2",
                1,
                R"({"results": [], "error": "map_value's 'returning' must be either \"table\" or \"lines\")"
                R"(\ncannot re-bind a"})" "\n",
                ""},
        CliCase{"lexErrorWithArrow", {}, "a = 1\nb === 2\n", 1, "",
                "<stdin>:2:3: Triple equals is invalid\nb === 2\n  \u2191\n"},
        CliCase{"interpreterErrorIsItsMessage", {}, "round = 1\n", 1, "", "<stdin>: cannot re-bind round\n"},
        CliCase{"ast", {"--ast"}, "1 + 2 * 3\nf(a: 1)\n", 0, "(+ 1/1 (\u00D7 2/1 3/1))\n&f/1\n", ""},
        CliCase{"version", {"--version"}, "", 0, "tarvine-cli 1.0 (PROGRAM:Engine  PROJECT:Tarvine-1)\n", ""},
        CliCase{"unknownOption", {"--fast"}, "", 2, "", "tarvine-cli: unknown option '--fast' (try --help)\n"},
        CliCase{"missingFile", {"/nonexistent/doc.calc"}, "", 2, "",
                "tarvine-cli: cannot read '/nonexistent/doc.calc'\n"},
        CliCase{"twoModes", {"--json", "--ast"}, "", 2, "", "tarvine-cli: --json and --ast cannot be combined\n"},
        CliCase{"twoFiles", {"a.calc", "b.calc"}, "", 2, "",
                "tarvine-cli: more than one input file: 'a.calc' and 'b.calc'\n"}),
    [](const auto& info) { return info.param.name; });

TEST(Cli, CrlfAndAByteOrderMarkChangeNothing)
{
    for (const std::string lf : {"a = 2 m\nb = a * a\n\nb / 4\n", "a = 1\nb === 2\n"}) {
        std::string crlf;
        for (char c : lf)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, {"--json"}}) {
            const auto expected = runCli(arguments, lf);
            for (const auto& input : {crlf, "\xEF\xBB\xBF" + lf}) {
                const auto run = runCli(arguments, input);
                EXPECT_EQ(run.status, expected.status);
                EXPECT_EQ(run.out, expected.out);
                EXPECT_EQ(run.err, expected.err);
            }
        }
    }
}

// Line widths are checked eight bytes at a time: a tab or a wider character
// anywhere in such a block must still move the results column.
TEST(Cli, TheColumnCountsTabsAndWideCharactersAnywhereInALine)
{
    struct Piece {
        std::string text;
        // The comment's width after its first `at` + 2 columns.
        std::size_t (*width)(std::size_t before);
    };
    const std::vector<Piece> pieces = {
        {"\t", [](std::size_t before) { return (before / 8 + 1) * 8 - before; }},
        {"\u65E5", [](std::size_t) { return std::size_t(2); }},
        {"\u00E9", [](std::size_t) { return std::size_t(1); }},
        {"x", [](std::size_t) { return std::size_t(1); }},
    };
    for (std::size_t at = 0; at < 20; ++at) {
        for (const auto& piece : pieces) {
            const std::string comment = "# " + std::string(at, 'a') + piece.text + "bbb";
            const auto column = 2 + at + piece.width(2 + at) + 3;
            const auto run = runCli({}, comment + "\n1\n");
            EXPECT_EQ(run.out, comment + "\n1" + spaces(column - 1) + "  # 1\n") << at << " " << piece.text;
        }
    }
}

TEST(Cli, AFileReadsAsItsTextOnStandardInput)
{
    // Its report is longer than one chunk of output: every line comes out
    // once, in order, with its result.
    std::string text;
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i) {
        lines.push_back("v" + std::to_string(i) + " = " + std::to_string(i) + " kg / 8");
        text += lines.back() + "\n";
    }
    const auto fromFile = runCli({writeFile("long.calc", text)});
    const auto fromInput = runCli({}, text);
    EXPECT_EQ(fromFile.status, 0);
    EXPECT_EQ(fromFile.out, fromInput.out);
    std::istringstream report(fromFile.out);
    std::size_t count = 0;
    for (std::string line; std::getline(report, line); ++count) {
        ASSERT_LT(count, lines.size());
        ASSERT_TRUE(line.starts_with(lines[count] + " ") && line.find("  # ") != std::string::npos) << line;
    }
    EXPECT_EQ(count, lines.size());
    EXPECT_TRUE(fromFile.out.ends_with("# 624.875 kg\n")) << fromFile.out.substr(fromFile.out.size() - 40);

    // An error names the file, and one at the line feed, past the line's
    // end, is shown with blanks and no arrow.
    const auto file = writeFile("parse.calc", "x = (1 + 2\n");
    const auto run = runCli({file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, file + ":1:11: Expected ')' but didn't find it.\nx = (1 + 2\n" + spaces(10) + "\n");
}

TEST(Cli, HelpAndTheLexerTrace)
{
    auto run = runCli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: tarvine-cli [OPTIONS] [FILE]", 0), 0u);
    run = runCli({"--trace-lexer", "--json"}, "1");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\u2500\u2500\u2500"), std::string::npos);
    EXPECT_NE(run.out.find("{\"results\": [\"1\"]"), std::string::npos);
}

} // namespace
