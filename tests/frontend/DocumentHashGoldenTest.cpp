// The evaluation cache keys on what token and statement hashing feed, and in
// which order. These keys were recorded from the first, unoptimised hashing
// code; any later change to how hashing runs must reproduce them exactly.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "values/Hasher.h"
#include "values/ValueUnion.h"

namespace engine {
namespace {

// What the bridge hashes: the text, the token count and tokens, then the
// statement count and statements.
std::uint64_t documentKey(std::string_view source)
{
    Hasher hasher;
    hasher.combine(source);
    const auto tokens = Lexer::lex(source);
    hasher.combine(static_cast<std::uint64_t>(tokens.size()));
    for (const auto& token : tokens)
        token.hash(hasher);
    const auto statements = Parser::parse(tokens);
    hasher.combine(static_cast<std::uint64_t>(statements.size()));
    for (const auto& statement : statements)
        statement.hash(hasher);
    return hasher.finalize();
}

// Long enough that every buffer a hasher might keep fills many times over.
std::string longDocument()
{
    std::string source = "function area = (width, height) { width * height }\n";
    for (int line = 0; line < 400; ++line) {
        const auto n = std::to_string(line);
        source += "w" + n + " = " + n + ".25 m; h" + n + " = (" + n + " + 3) m / 2\n";
        source += "t" + n + " = {price = " + n + " / 3, name = \"item " + n + "\"}\n";
        source += "area(width: w" + n + ", height: h" + n + ") > 2 m == \"x\"\n";
    }
    return source;
}

struct Golden {
    const char* name;
    std::string source;
    std::uint64_t key;
};

class DocumentHashGolden : public ::testing::TestWithParam<Golden> {};

TEST_P(DocumentHashGolden, KeyIsUnchanged) { EXPECT_EQ(documentKey(GetParam().source), GetParam().key); }

INSTANTIATE_TEST_SUITE_P(
    Documents, DocumentHashGolden,
    ::testing::Values(
        Golden{"empty", "", 13356530920110707227ull},
        Golden{"arithmetic", "1 + 2 * 3 - 4 / 5 % 6\n-(7) + !\"true\"\n1_000.50 km / 3 h",
               9047815127396172183ull},
        Golden{"comparisons", "1 < 2; 2 <= 3; 3 > 2; 3 >= 3; 1 == 1; 1 != 2\n", 8253690398412742147ull},
        Golden{"functions",
               "function f = (by b, x) -> (out y, x) { y = x * b; x }\n"
               "function g = (a) -> * { c = a }\n"
               "function h = () -> (*) { 1 }\n"
               "f(2, by: 3)\ng(a: [1, [2, \"s\"]])\n",
               15080219537750932773ull},
        Golden{"tables", "t = {a = 1, b = \"two\", c = [3 m, 4 s]}\ntable_get(key: \"a\", from: t)\n",
               15102495455242853007ull},
        Golden{"unicode", "s = \"caf\u00e9\" # \u00e9t\u00e9 \U0001F600\r\n\"cafe\u0301\" + s\r\nx = 2 # \u00b5\n",
               10483971159700523159ull},
        Golden{"multiLineString", "a = \"one\ntwo\" + \"\"\n(1 + 2) m * 3 kg\n", 10404314926213197194ull},
        Golden{"long", longDocument(), 679187506949652867ull}),
    [](const auto& info) { return std::string(info.param.name); });

// Values hash through Hasher::single for the entries of units and tables.
TEST(ValueHashGolden, KeysAreUnchanged)
{
    const auto hashOf = [](const ValueUnion& value) {
        return Hasher::single([&](Hasher& hasher) { value.hash(hasher); });
    };
    Table::Storage entries;
    entries.emplace(ValueUnion(EString("b")), ValueUnion(Number(2, 3, {{"kg", 1}, {"m", -2}})));
    entries.emplace(ValueUnion(Number(1, 1)), ValueUnion(List({ValueUnion(EString("e\u0301")), ValueUnion()})));
    const struct {
        ValueUnion value;
        std::uint64_t key;
    } goldens[]{
        {Number(5, 1, {{"m", 1}}), 14132648064242826795ull},
        {Number(-7, 2, {{"s", -1}, {"kg", 1}, {"m", 2}}), 10253465127760985955ull},
        {EString("\u00e9"), 1858545458984084412ull},
        {EString(std::string(300, 'x')), 2337811829167585066ull},
        {Table(std::move(entries)), 11636481969317043744ull},
        {ValueUnion::error("oops"), 7513413067440631961ull},
    };
    for (const auto& golden : goldens)
        EXPECT_EQ(hashOf(golden.value), golden.key);
}

} // namespace
} // namespace engine
