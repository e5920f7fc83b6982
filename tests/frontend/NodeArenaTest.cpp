// The parser places a document's nodes in one arena that lives as long as any
// of them. Under the asan preset these tests also catch use after free and
// leaks of the arena's blocks.

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/NodeArena.h"
#include "frontend/Parser.h"
#include "writer/ASTWriter.h"

namespace engine {
namespace {

std::vector<Statement> parse(const std::string& source) { return Parser::parse(Lexer::lex(source)); }

TEST(NodeArena, HandsOutAlignedMemoryThatDoesNotOverlap)
{
    NodeArena* arena = NodeArena::create();
    struct Piece {
        std::byte* start;
        std::size_t size;
    };
    std::vector<Piece> pieces;
    // Odd sizes misalign the next piece unless the arena aligns it; the large
    // ones do not fit in a block of their own size.
    const std::size_t sizes[] = {1, 24, 7, 300, 16, 3, 100'000, 40, 65'536, 9};
    const std::size_t alignments[] = {1, 8, 16};
    for (int round = 0; round < 400; ++round) {
        const auto size = sizes[static_cast<std::size_t>(round) % std::size(sizes)];
        const auto alignment = alignments[static_cast<std::size_t>(round) % std::size(alignments)];
        auto* start = static_cast<std::byte*>(arena->allocate(size, alignment));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(start) % alignment, 0u) << round;
        std::memset(start, round & 0xFF, size);
        pieces.push_back({start, size});
    }
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        const auto& piece = pieces[index];
        const auto expected = static_cast<std::byte>(index & 0xFF);
        EXPECT_EQ(piece.start[0], expected) << index;
        EXPECT_EQ(piece.start[piece.size - 1], expected) << index;
    }
    // One release per allocation, then the creator's own.
    for (std::size_t index = 0; index < pieces.size(); ++index)
        arena->release();
    arena->release();
}

TEST(NodeArena, ANodeKeptAfterTheRestOfItsTreeIsDroppedStaysWhole)
{
    std::vector<Statement> kept;
    {
        const auto statements = parse("a = 1\nfunction f = (x) { x * 2 m }\n[1, (2 + 3) kg, {b = \"s\"}]\n-b");
        ASSERT_EQ(statements.size(), 4u);
        kept.push_back(statements[2]);
        kept.push_back(statements[1]);
        kept.push_back(statements[3]);
    }
    // A table literal holds a function value, which never compares equal, so
    // that statement is compared by its written form.
    EXPECT_EQ(ASTWriter::write(kept[0]), ASTWriter::write(parse("\n\n[1, (2 + 3) kg, {b = \"s\"}]")[0]));
    EXPECT_EQ(kept[1], parse("\nfunction f = (x) { x * 2 m }")[0]);
    EXPECT_EQ(kept[2], parse("\n\n\n-b")[0]);
}

TEST(NodeArena, TreesMayBeDroppedOnAnotherThread)
{
    auto statements = parse("x = (1 + 2) * 3\ny = [x, x]\n");
    const auto copy = statements;
    std::thread dropper([moved = std::move(statements)]() mutable { moved.clear(); });
    dropper.join();
    EXPECT_EQ(ASTWriter::write(copy[1]), ASTWriter::write(parse("\ny = [x, x]")[0]));
}

// Nodes built outside the parser still get memory of their own.
TEST(NodeArena, FactoriesWithoutAnArenaStillWork)
{
    const Token token{TokenType::identifier, "m", std::nullopt, 0, 1};
    const Expression unit{ExpressionKind::reference("m"), token};
    const Expression product{ExpressionKind::binary(BinaryOperation::multiply, unit, unit), token};
    EXPECT_EQ(product, (Expression{ExpressionKind::binary(BinaryOperation::multiply, unit, unit), token}));
}

} // namespace
} // namespace engine
