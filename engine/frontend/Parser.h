#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "frontend/NodeArena.h"
#include "frontend/ParseError.h"
#include "frontend/SyntaxTree.h"
#include "frontend/Token.h"

namespace engine {

// Recursive descent over the tokens of a whole document. It keeps going after
// an error to collect as many as it can, then throws them all.
class Parser {
public:
    // Every syntax tree walk (interpreter, writers, equality, hashing,
    // destruction) recurses once per level, so a statement's tree may be at
    // most this many levels deep, counting every node that holds another
    // (groupings, unary operators, list and table literals, calls, arguments,
    // assignments, and each operator of a left-associative chain). Ordinary
    // documents never come near it, and a deeper one gets an error instead of
    // exhausting the stack.
    static constexpr int maxExpressionDepth = 256;

    // Called with each statement as soon as it is parsed, and the index just
    // past the last token read so far, so that a caller can go over both
    // while they are still in the cache.
    using StatementObserver = std::function<void(const Statement& statement, std::size_t tokensRead)>;
    // The statements of the document, telling the observer, if any, about
    // each on the way. Throws MultiError<ParseError> with every error found,
    // in order, up to maxErrors and the one that stops it (MultiError.h);
    // never returns a partial list. The tokens should end with an eof token;
    // when they do not, their end is taken as one. Nodes refer to the tokens
    // and keep the list alive for as long as any of them lives; null counts
    // as no tokens.
    static std::vector<Statement> parse(std::shared_ptr<const std::vector<Token>> tokens,
                                        const StatementObserver& observer = {});
    // The same for tokens that the statements take over (or a copy of them).
    static std::vector<Statement> parse(std::vector<Token> tokens, const StatementObserver& observer = {});

private:
    // An expression and the height of its tree: 0 for a literal or a name,
    // otherwise one more than its tallest child.
    struct Node {
        Expression expression;
        int height = 0;
    };
    enum class ElementMode { table, list };
    // One operator of a binary precedence level.
    struct Operator {
        TokenType token;
        BinaryOperation operation;
    };
    class Nesting;

    Parser(const std::vector<Token>& tokens, NodeArena& arena) : tokens_(tokens), arena_(&arena) {}

    void run();
    Statement statement();
    Statement functionDefinition();
    std::vector<ArgumentMapping> mappingList();

    using Rule = Node (Parser::*)();

    Node expression();
    Node assignment();
    Node namedAssignment();
    void assignTo(Node& target);
    Node equality();
    Node comparison();
    Node term();
    Node factor();
    // The binary precedence levels, loosest first.
    enum class Level { equality, comparison, term, factor };
    // One level: its operators, the rule for its operands, and the message
    // for an operator that is not its own.
    struct BinaryLevel {
        std::span<const Operator> operators;
        Rule operand;
        std::string_view mismatchMessage;
    };
    static const BinaryLevel& binaryLevel(Level level);
    Node binary(Level outermost);
    void chains(Node& left, Level outermost);
    void chain(Node& left, Rule operand, std::span<const Operator> operators, std::string_view mismatchMessage);
    void combine(Node& left, BinaryOperation operation, Node& right, const Token& token);
    const Operator* matchingOperator(std::span<const Operator> operators) const;
    Node unary();
    Node unaryOperation();
    Node call();
    void invocations(Node& callee);
    // `tallest` receives the height of the tallest argument or element. The
    // arguments, and the elements, are left in pending_ from the index
    // returned on.
    std::size_t arguments(int& tallest);
    void labelAsFirst(Node& argument);
    Node primary();
    Node literal();
    void attachUnit(Node& operand);
    Node grouping();
    Node table();
    Node tableNode(const Token& open, std::size_t start, int height);
    Node list();
    Node listNode(const Token& open, std::size_t start, int height);
    std::size_t elements(TokenType closing, ElementMode mode, int& tallest);
    // A node of the case with `fields` and the expressions pending from
    // `start` on as its list, which go from pending_.
    template <typename Case, typename... Fields>
    ExpressionKind takePending(std::size_t start, Fields&&... fields);
    // The rule, parsed inside `levels` more enclosing nodes.
    Node nested(Rule rule, int levels = 1);
    // `token` must be one of tokens_, or endOfInput().
    static void rebuild(Node& node, ExpressionKind kind, const Token& token, int height);

    // Token cursor. Past the last token, peek sees an eof token.
    const Token& peek() const { return current_ < tokens_.size() ? tokens_[current_] : endOfInput(); }
    const Token& peekNext() const { return current_ + 1 < tokens_.size() ? tokens_[current_ + 1] : endOfInput(); }
    bool isAtEnd() const { return peek().type == TokenType::eof; }
    // Whether the next token is of that type; never true at the end.
    bool check(TokenType type) const { return type != TokenType::eof && peek().type == type; }
    static const Token& endOfInput();
    const Token& advance()
    {
        if (!isAtEnd())
            ++current_;
        return previous();
    }
    // The token just consumed; at the very start, the first token.
    const Token& previous() const { return current_ > 0 ? tokens_[current_ - 1] : peek(); }
    const Token& consume(TokenType type, std::string_view message);
    void skip(std::initializer_list<TokenType> types = {});

    [[noreturn]] void fail(std::string_view message) const;
    // Fails unless a new node of the given height fits below the nodes that
    // enclose the one being parsed.
    void checkDepth(int height) const;

    // A span rather than the vector, so that its size is at hand for every
    // look at the next token.
    std::span<const Token> tokens_;
    // Where the document's nodes are placed.
    NodeArena* arena_;
    std::vector<ParseError> errors_;
    std::vector<Statement> statements_;
    // The arguments or elements of the lists being parsed, a nested list's
    // above its enclosing one's: each list is moved into its node at its
    // end, exactly as long as it needs to be, rather than grown element by
    // element.
    std::vector<Expression> pending_;
    const StatementObserver* observer_ = nullptr;
    // Index of the next unconsumed token; only grows.
    std::size_t current_ = 0;
    // How many nodes enclose the one being parsed.
    int depth_ = 0;
};

} // namespace engine
