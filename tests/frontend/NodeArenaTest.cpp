// The parser places a document's nodes in one arena that lives as long as any
// of them. Under the asan preset these tests also catch use after free and
// leaks of the arena's blocks.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/NodeArena.h"
#include "frontend/Parser.h"
#include "values/Callable.h"
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
        // Nodes find their arena from their address alone.
        ASSERT_EQ(&NodeArena::of(start), arena) << round;
        std::memset(start, round & 0xFF, size);
        pieces.push_back({start, size});
    }
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        const auto& piece = pieces[index];
        const auto expected = static_cast<std::byte>(index & 0xFF);
        EXPECT_EQ(piece.start[0], expected) << index;
        EXPECT_EQ(piece.start[piece.size - 1], expected) << index;
    }
    // Holds dropped before the creator closes the arena and after it: the
    // pieces still held stay usable until the last goes.
    const std::size_t half = pieces.size() / 2;
    for (std::size_t index = 0; index < half; ++index)
        arena->release();
    arena->close();
    for (std::size_t index = half; index < pieces.size(); ++index) {
        std::memset(pieces[index].start, 0x5A, pieces[index].size);
        arena->release();
    }
}

// A long tree takes its blocks many at a time, and gives back the ones it
// did not reach when its creator closes it. Every piece stays where it was,
// usable and found by its address, until the last hold goes; the next long
// tree reuses what the first gave up. A piece left in memory that was given
// back faults.
TEST(NodeArena, LongTreesKeepEveryPieceTheyWereGiven)
{
    constexpr std::size_t pieceCount = 150'000;
    constexpr std::size_t pieceSize = 40;
    for (int tree = 0; tree < 2; ++tree) {
        NodeArena* arena = NodeArena::create();
        std::vector<std::byte*> pieces;
        for (std::size_t index = 0; index < pieceCount; ++index) {
            // Now and then one too large for a block, between the runs.
            const std::size_t size = index % 20'000 == 0 ? 70'000 : pieceSize;
            auto* start = static_cast<std::byte*>(arena->allocate(size, 8));
            ASSERT_EQ(&NodeArena::of(start), arena) << index;
            std::memcpy(start, &index, sizeof index);
            pieces.push_back(start);
        }
        arena->close();
        for (std::size_t index = 0; index < pieces.size(); ++index) {
            std::size_t stored = 0;
            std::memcpy(&stored, pieces[index], sizeof stored);
            ASSERT_EQ(stored, index) << tree;
            ASSERT_EQ(&NodeArena::of(pieces[index]), arena) << index;
            std::memset(pieces[index] + sizeof stored, 0x5A, pieceSize - sizeof stored);
        }
        arena->release(pieces.size());
    }
}

TEST(NodeArena, AnArenaWithoutNodesGoesWithItsCreator)
{
    const auto referred = std::make_shared<int>(7);
    NodeArena* arena = NodeArena::create();
    arena->keep(referred);
    EXPECT_EQ(referred.use_count(), 2);
    arena->close();
    EXPECT_EQ(referred.use_count(), 1);
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
    // The tokens the nodes refer to stayed with them, down to the table's.
    EXPECT_EQ(kept[0].token().description(), Lexer::lex("\n\n[")[2].description());
    const auto* list = kept[0].asExpression()->data.as<ExpressionKind::List>();
    ASSERT_TRUE(list && list->elements.size() == 3);
    const auto* table = list->elements[2].data.as<ExpressionKind::Invocation>();
    ASSERT_TRUE(table);
    const auto* callee = table->callee.data.as<ExpressionKind::Value>();
    const UserFunction* body = callee && callee->value().as<Callable>() ? callee->value().as<Callable>()->userDefined()
                                                                      : nullptr;
    ASSERT_TRUE(body && body->body.size() == 1);
    EXPECT_EQ(body->body[0].token->lexeme, "\"s\"");
    EXPECT_EQ(body->body[0].token->sourceLine, 2);
}

// No token holds a table literal's function: its value node boxes it on its
// own. The node, then a copy of the value alone, keep the function and its
// body's tokens after the rest of the tree is gone; the asan preset sees a box
// dropped too soon.
TEST(NodeArena, ATableLiteralsFunctionOutlivesItsTree)
{
    const auto alone = parse("b = \"s\" + \"t\"");
    const auto expected = ASTWriter::writeExpression(*alone[0].asExpression());
    const auto bodyOf = [](const ValueUnion& value) -> const UserFunction* {
        const auto* callable = value.as<Callable>();
        return callable ? callable->userDefined() : nullptr;
    };
    Expression callee;
    {
        const auto statements = parse("{b = \"s\" + \"t\"}");
        ASSERT_EQ(statements.size(), 1u);
        const auto* table = statements[0].asExpression()->data.as<ExpressionKind::Invocation>();
        ASSERT_TRUE(table);
        callee = table->callee;
    }
    const auto* node = callee.data.as<ExpressionKind::Value>();
    ASSERT_TRUE(node);
    const UserFunction* function = bodyOf(node->value());
    ASSERT_TRUE(function && function->body.size() == 1);
    EXPECT_EQ(ASTWriter::writeExpression(function->body[0]), expected);

    const ValueUnion copy = node->value();
    callee = Expression();
    function = bodyOf(copy);
    ASSERT_TRUE(function && function->body.size() == 1);
    EXPECT_EQ(ASTWriter::writeExpression(function->body[0]), expected);
    EXPECT_EQ(function->body[0].token->lexeme, alone[0].token().lexeme);
}

// Whoever passes the tokens may drop them at once: the tree keeps them.
TEST(NodeArena, TheTreeKeepsTheTokensItWasParsedFrom)
{
    auto tokens = std::make_shared<const std::vector<Token>>(Lexer::lex("x = 1\n2 kg"));
    const std::weak_ptr<const std::vector<Token>> watch = tokens;
    auto statements = Parser::parse(std::move(tokens));
    EXPECT_FALSE(watch.expired());
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[1].token().lexeme, "kg");
    EXPECT_EQ(statements[1].token().sourceLine, 1);
    // A node of the tree keeps them as well as the whole tree does.
    const Expression unit = statements[1].asExpression()->data.as<ExpressionKind::Binary>()->right;
    statements.clear();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(unit.token->lexeme, "kg");
    const auto alike = Lexer::lex("\n2 kg");
    EXPECT_EQ(unit, (Expression{ExpressionKind::reference("kg"), &alike.at(2)}));
}

TEST(NodeArena, TreesMayBeDroppedOnAnotherThread)
{
    auto statements = parse("x = (1 + 2) * 3\ny = [x, x]\n");
    const auto copy = statements;
    std::thread dropper([moved = std::move(statements)]() mutable { moved.clear(); });
    dropper.join();
    EXPECT_EQ(ASTWriter::write(copy[1]), ASTWriter::write(parse("\ny = [x, x]")[0]));
}

// Copies of one tree dropped on several threads at once: a count that is
// not atomic frees a node while it is still held, which the asan preset sees.
TEST(NodeArena, CopiesOfATreeMayBeDroppedOnSeveralThreadsAtOnce)
{
    auto statements = parse("a = [1, 2 m, (3 + 4) kg]\nb = -a\n{c = a}\n");
    const auto expected = ASTWriter::write(statements[0]);
    std::vector<std::thread> droppers;
    for (int thread = 0; thread < 4; ++thread)
        droppers.emplace_back([copy = statements]() mutable {
            for (int round = 0; round < 2000; ++round) {
                auto again = copy;
                const Expression inner = again[0].asExpression()->data.as<ExpressionKind::Assignment>()->value;
                again.clear();
            }
            copy.clear();
        });
    const Expression kept = *statements[0].asExpression();
    statements.clear();
    for (auto& dropper : droppers)
        dropper.join();
    EXPECT_EQ(ASTWriter::writeExpression(kept), expected);
}

// Nodes built outside the parser still get memory of their own, and may hold
// nodes of parsed trees, of several arenas at once, and be held by them.
TEST(NodeArena, NodesWithAndWithoutAnArenaMix)
{
    const Token token{TokenType::identifier, "m", std::nullopt, 0, 1};
    const Expression unit{ExpressionKind::reference("m"), &token};
    const Expression product{ExpressionKind::binary(BinaryOperation::multiply, unit, unit), &token};
    EXPECT_EQ(product, (Expression{ExpressionKind::binary(BinaryOperation::multiply, unit, unit), &token}));

    auto first = parse("1 + 2\n");
    auto second = parse("[3, 4]\n");
    std::vector<Expression> elements{*first[0].asExpression(), product, *second[0].asExpression(),
                                     *first[0].asExpression()};
    Expression mixed{ExpressionKind::list(std::move(elements)), &token};
    first.clear();
    second.clear();
    EXPECT_EQ(ASTWriter::writeExpression(mixed), "[((+ 1/1 2/1));((\u00D7 m m));([(3/1);(4/1)]);((+ 1/1 2/1))]");
    // A node shared by two trees outlives the one dropped first.
    Expression other{ExpressionKind::grouping(mixed.data.as<ExpressionKind::List>()->elements[2]), &token};
    mixed = product;
    EXPECT_EQ(ASTWriter::writeExpression(other), "[(3/1);(4/1)]");
    EXPECT_EQ(ASTWriter::writeExpression(mixed), "(\u00D7 m m)");
}

// A list's expressions lie right after its node, and one too long for an
// arena block gets a block of its own. Each stays in its place, and a copy of
// the node outlives the rest of its tree.
TEST(NodeArena, ListsAndCallsOfAnyLengthKeepTheirExpressions)
{
    for (const std::size_t count : {0u, 1u, 3u, 5000u}) {
        std::string list = "[";
        std::string call = "f(";
        for (std::size_t index = 0; index < count; ++index) {
            list += (index > 0 ? ", " : "") + std::to_string(index);
            call += (index > 0 ? ", a" : "a") + std::to_string(index) + ": " + std::to_string(index);
        }
        const Expression parsedList = *parse(list + "]").at(0).asExpression();
        const Expression parsedCall = *parse(call + ")").at(0).asExpression();
        const auto* elements = parsedList.data.as<ExpressionKind::List>();
        const auto* invocation = parsedCall.data.as<ExpressionKind::Invocation>();
        ASSERT_TRUE(elements && invocation) << count;
        ASSERT_EQ(elements->elements.size(), count);
        ASSERT_EQ(invocation->arguments.size(), count);
        EXPECT_EQ(elements->elements.empty(), count == 0);
        for (std::size_t index = 0; index < count; ++index) {
            const auto number = std::to_string(index);
            EXPECT_EQ(ASTWriter::writeExpression(elements->elements[index]), number + "/1") << count;
            EXPECT_EQ(ASTWriter::writeExpression(invocation->arguments[index]), "(a" + number + " = " + number + "/1)")
                << count;
        }
        // Built again by hand from copies of its expressions, each node is
        // equal to the parsed one.
        const std::vector<Expression> elementCopies(elements->elements.begin(), elements->elements.end());
        const std::vector<Expression> argumentCopies(invocation->arguments.begin(), invocation->arguments.end());
        EXPECT_EQ(parsedList, (Expression{ExpressionKind::list(elementCopies), parsedList.token})) << count;
        EXPECT_EQ(parsedCall, (Expression{ExpressionKind::invocation(invocation->callee, argumentCopies),
                                          parsedCall.token}))
            << count;
    }
}

// Assigning a kind drops the node it held and keeps the one it gets, even
// when both are the same.
TEST(NodeArena, AssignedKindsKeepTheirNodes)
{
    const Token token{TokenType::identifier, "x", std::nullopt, 0, 1};
    ExpressionKind kind = ExpressionKind::reference("x");
    const ExpressionKind& same = kind;
    kind = same;
    EXPECT_EQ(kind.as<ExpressionKind::Reference>()->name, "x");
    kind = ExpressionKind::grouping(Expression{kind, &token});
    ASSERT_TRUE(kind.as<ExpressionKind::Grouping>());
    EXPECT_EQ(kind.as<ExpressionKind::Grouping>()->inner.data.as<ExpressionKind::Reference>()->name, "x");
    ExpressionKind taken = std::move(kind);
    EXPECT_EQ(kind.as<ExpressionKind::Grouping>(), nullptr);
    EXPECT_EQ(kind.index(), 0u);
    EXPECT_EQ(taken.index(), ExpressionKind::indexOf<ExpressionKind::Grouping>);
}

} // namespace
} // namespace engine
