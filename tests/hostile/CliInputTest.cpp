// Bytes as tarvine-cli reads them from a file: text that is not UTF-8 is
// refused with the place of its first bad byte; NUL bytes, combining marks
// and emoji are text like any other. Errors point at their place without
// echoing a line too long to read.

#include <string>

#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "hostile/HostileDocuments.h"

namespace hostile {
namespace {

using namespace clirun;

using namespace std::string_literals;

class HostileCli : public testing::TestWithParam<CliCase> {};

TEST_P(HostileCli, ExitsWithItsStatusAndMessage)
{
    const auto run = runCli(GetParam().arguments, GetParam().input);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, GetParam().out);
    EXPECT_TRUE(sameText(run.err, GetParam().err));
}

std::string notUtf8(int line, int column)
{
    return "tarvine-cli: the input is not valid UTF-8 at line " + std::to_string(line) + ", column " +
           std::to_string(column) + "\n";
}

const std::string arrow = "\u2191";

INSTANTIATE_TEST_SUITE_P(
    Bytes, HostileCli,
    testing::Values(
        CliCase{"strayContinuationByte", {}, "1 + 1\n\x80 + 2\n", 2, "", notUtf8(2, 1)},
        CliCase{"overlongSlash", {}, "a = \xC0\xAF", 2, "", notUtf8(1, 5)},
        CliCase{"truncatedAtTheEnd", {}, "1 + 1\n2\n\xF0\x9F\x98", 2, "", notUtf8(3, 1)},
        // Columns count characters: a family of five code points is one.
        CliCase{"columnAfterEmoji", {},
                "\"\U0001F468\u200D\U0001F469\u200D\U0001F467\u00E9\" + \xFF", 2, "", notUtf8(1, 8)},
        // A Latin-1 comment is refused like any other text.
        CliCase{"latin1Comment", {}, "1 + 1 # caf\xE9\n", 2, "", notUtf8(1, 12)},
        CliCase{"afterAByteOrderMark", {}, "\xEF\xBB\xBF" "1 \x80", 2, "", notUtf8(1, 3)},

        // A NUL is a character: unexpected outside strings and comments.
        CliCase{"nulOutside", {}, "1 + 1\n\0 + 2\n"s, 1, "",
                "<stdin>:2:1: Unexpected character: \0\n\0 + 2\n"s + arrow + "\n"},
        CliCase{"nulInAString", {}, "\"a\0b\"\n1 + 1\n"s, 0, "\"a\0b\"  # \"a\0b\"\n1 + 1  # 2\n"s, ""},
        CliCase{"nulInAComment", {}, "2 * 3 # \0\n1 + 1\n"s, 0, "2 * 3 # \0  # 6\n1 + 1      # 2\n"s, ""},

        CliCase{"combiningMarkOnAnOperator", {}, "1 +\u0301 2\n", 1, "",
                "<stdin>:1:3: Unexpected character: +\u0301\n1 +\u0301 2\n  " + arrow + "\n"},
        // A mark on a closing quote makes another character: the string runs on.
        CliCase{"combiningMarkOnAClosingQuote", {}, "\"a\"\u0301", 1, "",
                "<stdin>:1:3: Unterminated String\n\"a\"\u0301\n  " + arrow + "\n"},
        // With nothing before it, a mark is a character of its own.
        CliCase{"combiningMarkFirst", {}, "\u03011", 1, "",
                "<stdin>:1:1: Unexpected character: \u0301\n\u03011\n" + arrow + "\n"},
        CliCase{"emojiAfterAString", {}, "\"\U0001F468\u200D\U0001F469\u200D\U0001F467\" \U0001F642\n", 1, "",
                "<stdin>:1:5: Unexpected character: \U0001F642\n\"\U0001F468\u200D\U0001F469\u200D\U0001F467\" "
                "\U0001F642\n    " +
                    arrow + "\n"},

        // A line too long to echo: each error gives only its place.
        CliCase{"longLineOfErrors", {}, repeat(".", 2000), 1, "", [] {
                    std::string err;
                    for (std::size_t column = 1; column <= engine::maxErrors + 1; ++column)
                        err += "<stdin>:1:" + std::to_string(column) + ": " +
                               (column <= engine::maxErrors ? std::string("Unexpected character: .")
                                                            : std::string(engine::tooManyErrors)) +
                               "\n";
                    return err;
                }()},
        CliCase{"longLineWithOneError", {}, repeat(" ", 1000) + "1 + )", 1, "",
                "<stdin>:1:1005: " + std::string(noPrimary) + "\n"},
        CliCase{"longestLineStillEchoed", {}, repeat(" ", 995) + "1 + )", 1, "",
                "<stdin>:1:1000: " + std::string(noPrimary) + "\n" + repeat(" ", 995) + "1 + )\n" +
                    repeat(" ", 999) + arrow + "\n"}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace hostile
