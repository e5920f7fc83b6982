// A lexeme keeps up to 14 bytes inline and longer texts in a heap block of
// its own; both forms must read, copy, move and compare as the text they hold.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/Lexeme.h"

namespace engine {
namespace {

using namespace std::string_literals;

// Texts around the inline limit, and bytes a C string would cut short.
const std::vector<std::string> texts = {
    "",
    "a",
    "a\0"s,
    "\0"s,
    "fourteen_bytes",
    "fifteen_bytes__",
    "\0fifteen_bytes\xff"s,
    "a text well past the inline buffer of a lexeme",
};

TEST(Lexeme, HoldsItsTextInEitherForm)
{
    for (const auto& text : texts) {
        const Lexeme lexeme(text);
        EXPECT_EQ(lexeme.view(), text) << text;
        EXPECT_EQ(lexeme.size(), text.size()) << text;
        EXPECT_EQ(lexeme.empty(), text.empty()) << text;
        EXPECT_EQ(lexeme.isInline(), text.size() <= Lexeme::inlineCapacity) << text;
        EXPECT_EQ(std::string(lexeme), text) << text;
    }
}

TEST(Lexeme, CopiesAndMovesKeepTheText)
{
    for (const auto& text : texts) {
        const Lexeme original(text);
        Lexeme copy(original);
        EXPECT_EQ(copy.view(), text) << text;
        EXPECT_EQ(original.view(), text) << text;
        // A long text's copy has a block of its own.
        if (!original.isInline()) {
            EXPECT_NE(copy.data(), original.data()) << text;
        }

        Lexeme moved(std::move(copy));
        EXPECT_EQ(moved.view(), text) << text;
        EXPECT_TRUE(copy.empty()) << text;

        // Assignment over each form, from each form.
        for (const auto& before : texts) {
            Lexeme copied(before);
            copied = original;
            EXPECT_EQ(copied.view(), text) << before << " <- " << text;
            Lexeme source(text);
            Lexeme target(before);
            target = std::move(source);
            EXPECT_EQ(target.view(), text) << before << " <- " << text;
            EXPECT_TRUE(source.empty()) << before << " <- " << text;
        }

        Lexeme self(text);
        auto& alias = self;
        self = std::as_const(alias);
        EXPECT_EQ(self.view(), text) << text;
        self = std::move(alias);
        EXPECT_EQ(self.view(), text) << text;
    }
}

TEST(Lexeme, ComparesAsItsText)
{
    for (const auto& left : texts) {
        for (const auto& right : texts) {
            const bool same = left == right;
            const Lexeme lexeme(left);
            EXPECT_EQ(lexeme == Lexeme(right), same) << left << " vs " << right;
            EXPECT_EQ(lexeme != Lexeme(right), !same) << left << " vs " << right;
            EXPECT_EQ(lexeme == right, same) << left << " vs " << right;
            EXPECT_EQ(lexeme == std::string_view(right), same) << left << " vs " << right;
            EXPECT_EQ(right == lexeme, same) << left << " vs " << right;
        }
    }
    // Lexemes that differ only in their last byte, at and past the limit.
    EXPECT_NE(Lexeme("fourteen_bytes"), Lexeme("fourteen_bytez"));
    EXPECT_NE(Lexeme("fifteen_bytes__"), Lexeme("fifteen_bytes_z"));
    EXPECT_TRUE(Lexeme("kg") == "kg");
    EXPECT_TRUE(Lexeme("kg") != "k");
    EXPECT_TRUE("kg" == Lexeme("kg"));
}

// The lexer fills a lexeme from the middle of its text, leaving the bytes
// that follow the token in the buffer; they must count for nothing.
TEST(Lexeme, FilledFromALongerTextHoldsOnlyItsOwnBytes)
{
    const std::string source = "width = 12.5 m + other_name";
    for (std::size_t size = 0; size <= Lexeme::inlineCapacity; ++size) {
        const auto text = std::string_view(source).substr(0, size);
        Lexeme filled;
        filled.fillShort(source.data(), size);
        EXPECT_EQ(filled.view(), text) << size;
        EXPECT_EQ(filled, Lexeme(text)) << size;
        EXPECT_EQ(Lexeme(filled), Lexeme(text)) << size;
        Lexeme other;
        other.fillShort("width = 12.5 z + something", size);
        // The texts differ first at the unit, 14th byte.
        EXPECT_EQ(filled == other, size <= source.find('m')) << size;
    }
}

TEST(Lexeme, JoinsStrings)
{
    const Lexeme name("f");
    const std::string prefix = "name ";
    EXPECT_EQ(prefix + name, "name f");
    EXPECT_EQ(std::string("(") + name, "(f");
    EXPECT_EQ(name + " 3", "f 3");
    std::string text = "x";
    text += name;
    EXPECT_EQ(text, "xf");
}

} // namespace
} // namespace engine
