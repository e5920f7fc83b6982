// Text a careless user can type: combining marks and emoji around operators
// and in names and strings, NUL bytes, and bytes that are not UTF-8, which
// the app never passes on but the engine must survive. Characters are
// user-perceived characters, so a combining mark joins the character before
// it, quotes and operators included.

#include <string>

#include <gtest/gtest.h>

#include "hostile/HostileDocuments.h"

namespace hostile {
namespace {

using namespace std::string_literals;

struct Row {
    std::string source;
    std::string expected;
};

void expectRows(const std::vector<Row>& rows)
{
    tarvine::Bridge bridge;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        EXPECT_EQ(outcomeOf(bridge, row.source), row.expected);
    }
}

const std::string acute = "\u0301";
const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // one character of five code points
const std::string smile = "\U0001F642";
const std::string replacement = "\uFFFD";

TEST(HostileText, CombiningMarksAndEmoji)
{
    expectRows({
        // Canonically equivalent strings are equal.
        {"\"e" + acute + "\" == \"\u00E9\"", "\"true\""},
        {"\"" + family + "\" * 3", "\"" + family + family + family + "\""},
        {"\"" + smile + "\" + \"" + family + "\"", "\"" + smile + family + "\""},
        // A mark on an operator, a digit or a quote makes another character.
        {"1 +" + acute + " 2", "ERR Unexpected character: +" + acute},
        {"1" + acute + " + 2", "ERR Unexpected character: 1" + acute},
        {"\"a\"" + acute, "ERR Unterminated String"},
        // The opening quote is taken, so the closing one opens a string of its own.
        {"\"" + acute + "\"", "ERR Unexpected character: \"" + acute + "\nUnterminated String"},
        {acute + "1", "ERR Unexpected character: " + acute},
        // Names are ASCII letters, digits and "_".
        {"caf\u00E9 = 1", "ERR Unexpected character: \u00E9"},
        {"x" + smile + " = 1", "ERR Unexpected character: " + smile},
        {smile + " + 1", "ERR Unexpected character: " + smile},
        {"1 " + family + " 2", "ERR Unexpected character: " + family},
        // The size limits count characters (a million) and bytes (16 MiB):
        // a family is one character of 18 bytes, a thumb with a skin tone one
        // of 8, an "a" with ten accents one of 21.
        {"\"" + family + "\" * 950000", "ERR Result too large"},
        {"\"\U0001F44D\U0001F3FD\" * 1000001", "ERR Result too large"},
        {"\"a" + repeat(acute, 10) + "\" * 800000", "ERR Result too large"},
        {"\"a" + repeat(acute, 10) + "\" * 798000 == \"a" + repeat(acute, 10) + "\" * 798000", "\"true\""},
    });
}

TEST(HostileText, NulBytes)
{
    expectRows({
        {"1 + 1\n\0 + 2"s, "ERR Unexpected character: \0"s},
        {"\"a\0b\"\n1 + 1"s, "2"},
        {"\"a\0b\""s, "\"a\0b\""s},
        {"1 + 1 # \0\n2 * 3"s, "6"},
    });
}

// Only tarvine-cli could hand these to the engine, and it refuses them first.
TEST(HostileText, BytesThatAreNotUtf8)
{
    expectRows({
        {"1 + \xC3", "ERR Unexpected character: " + replacement},
        // A lone surrogate half is three stray bytes.
        {"\xED\xA0\x80", "ERR Unexpected character: " + replacement + "\nUnexpected character: " + replacement +
                             "\nUnexpected character: " + replacement},
        {"\xC0\xAF", "ERR Unexpected character: " + replacement + "\nUnexpected character: " + replacement},
        // Inside a string they are kept as they are.
        {"\"caf\xE9\"", "\"caf\xE9\""},
        {"\"\xE9\" == \"\xE9\"", "\"true\""},
        {"\"\xF0\x9F\x98\" * 3", "\"\xF0\x9F\x98\xF0\x9F\x98\xF0\x9F\x98\""},
    });
}

} // namespace
} // namespace hostile
