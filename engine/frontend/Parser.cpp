#include "frontend/Parser.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "values/Callable.h"
#include "values/MultiError.h"

namespace engine {

namespace {

using Kind = ExpressionKind;

namespace message {
constexpr std::string_view tooDeep = "Expression nested too deeply";
constexpr std::string_view unknown = "Unknown";
constexpr std::string_view unreachable = "unreachable error message";
constexpr std::string_view expectedNewline = "Expected newline";

constexpr std::string_view functionName = "Identifier must follow 'function' keyword";
constexpr std::string_view functionEqual = "'=' must be used for function definition";
constexpr std::string_view argumentsParen = "Argument mappings in function definitions must be wrapped in parentheses";
constexpr std::string_view argumentsClose = "Missing ')' after argument mappings";
constexpr std::string_view returnsOpen = "Expected '(' to group return mappings";
constexpr std::string_view returnsClose = "Expected ')' to close return mappings";
constexpr std::string_view bodyOpen = "Function body must be wrapped in curly braces";
constexpr std::string_view bodyClose = "Missing '}' after function body";
constexpr std::string_view bodyEmpty = "expected expression in function body";
constexpr std::string_view mappingName = "Expected identifier";

constexpr std::string_view assignToUnderscore = "Can't assign to '_'";
constexpr std::string_view assignToExpression = "Can't assign to that expression";
constexpr std::string_view equalityOperator = "Expected '==' or '!='";
constexpr std::string_view comparisonOperator = "Expected '>' or '>=' or '<' or '<='";
constexpr std::string_view termOperator = "Expected '+' or '-'";
constexpr std::string_view factorOperator = "Expected '*' or '/'";
constexpr std::string_view unaryOperator = "Expected '-' or '!'";
constexpr std::string_view onlyAssignments = "Only assignments allowed";
constexpr std::string_view argumentsEnd = "Expect ')' after invocation arguments";
constexpr std::string_view noLiteral = "found a number or string but it had no literal";
constexpr std::string_view groupingEnd = "Expected ')' but didn't find it.";
constexpr std::string_view tableEnd = "Expected '}' to close table literal.";
constexpr std::string_view listEnd = "Expected ']' to close list literal.";
constexpr std::string_view noPrimary = "expected primary but found none";
} // namespace message

} // namespace

// While this lives, `levels` more nodes enclose what is being parsed.
class Parser::Nesting {
public:
    explicit Nesting(Parser& parser, int levels = 1) : parser_(parser), levels_(levels) { parser_.depth_ += levels_; }
    ~Nesting() { parser_.depth_ -= levels_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    Parser& parser_;
    int levels_;
};

std::vector<Statement> Parser::parse(std::vector<Token> tokens, const StatementObserver& observer)
{
    return parse(std::make_shared<const std::vector<Token>>(std::move(tokens)), observer);
}

std::vector<Statement> Parser::parse(std::shared_ptr<const std::vector<Token>> tokens, const StatementObserver& observer)
{
    if (!tokens)
        tokens = std::make_shared<const std::vector<Token>>();
    // The parse holds the arena while it builds; afterwards only the nodes do,
    // and the arena holds the tokens they refer to.
    const std::unique_ptr<NodeArena, void (*)(NodeArena*)> arena(NodeArena::create(),
                                                                [](NodeArena* held) { held->close(); });
    const std::vector<Token>& list = *tokens;
    arena->keep(std::move(tokens));
    Parser parser(list, *arena);
    if (observer)
        parser.observer_ = &observer;
    // A statement takes at least one token and the newline or end after it.
    // Reserved address space that no statement reaches is never touched.
    parser.statements_.reserve(list.size() / 2 + 1);
    parser.run();
    if (!parser.errors_.empty())
        throw MultiError<ParseError>(std::move(parser.errors_));
    return std::move(parser.statements_);
}

// document → ( newline | statement ( newline | eof ) )* eof
void Parser::run()
{
    for (;;) {
        if (peek().type == TokenType::newline) {
            advance();
            continue;
        }
        if (isAtEnd())
            return;
        // Recovery skips exactly the token the error was found at, so a bad
        // line may give several errors but no token is ever read twice.
        try {
            depth_ = 0;
            statements_.push_back(statement());
            if (peek().type == TokenType::newline)
                advance();
            else if (!isAtEnd())
                fail(message::expectedNewline);
            if (observer_ && errors_.empty())
                (*observer_)(statements_.back(), current_);
        } catch (ParseError& error) {
            // The lists the statement was in the middle of are abandoned.
            pending_.clear();
            if (!isAtEnd())
                advance();
            errors_.push_back(std::move(error));
        } catch (const std::exception&) {
            pending_.clear();
            errors_.emplace_back(std::string(message::unknown), static_cast<std::int64_t>(current_));
            if (!isAtEnd())
                advance();
        }
        // Each attempt records at most one error, so this stops at the first past the limit.
        if (errors_.size() > maxErrors) {
            errors_.back().message = tooManyErrors;
            return;
        }
    }
}

// statement → "function" functionDefinition | expression
Statement Parser::statement()
{
    if (peek().type == TokenType::function) {
        advance();
        return functionDefinition();
    }
    return Statement::expression(expression().expression);
}

// functionDefinition → IDENTIFIER "=" "(" mappingList? ")" ( "->" ( "*" | "(" ( "*" | mappingList ) ")" ) )?
//                      "{" expression+ "}"
Statement Parser::functionDefinition()
{
    if (!check(TokenType::identifier))
        fail(message::functionName);
    Token name = consume(TokenType::identifier, message::unreachable);

    if (!check(TokenType::equal))
        fail(message::functionEqual);
    advance();

    if (!check(TokenType::leftParen))
        fail(message::argumentsParen);
    advance();
    std::vector<ArgumentMapping> argumentMappings;
    if (!check(TokenType::rightParen))
        argumentMappings = mappingList();
    skip();
    if (!check(TokenType::rightParen))
        fail(message::argumentsClose);
    advance();

    ReturnMapping returnMapping = ReturnMapping::singleValue();
    if (check(TokenType::rightArrow)) {
        advance();
        if (check(TokenType::star)) {
            advance();
            returnMapping = ReturnMapping::all();
        } else if (check(TokenType::leftParen)) {
            advance();
            if (check(TokenType::star)) {
                advance();
                returnMapping = ReturnMapping::all();
            } else {
                returnMapping = ReturnMapping::list(mappingList());
                skip();
            }
            if (!check(TokenType::rightParen))
                fail(message::returnsClose);
            advance();
        } else {
            fail(message::returnsOpen);
        }
    }

    if (!check(TokenType::leftCurly))
        fail(message::bodyOpen);
    advance();
    // Body expressions need no separator beyond optional newlines.
    std::vector<Expression> body;
    skip();
    body.push_back(expression().expression);
    for (;;) {
        skip();
        if (check(TokenType::rightCurly))
            break;
        body.push_back(expression().expression);
    }
    skip();
    if (!check(TokenType::rightCurly))
        fail(message::bodyClose);
    advance();
    if (body.empty())
        fail(message::bodyEmpty);
    // A body of one expression returns its value, whatever the return part says.
    if (body.size() == 1)
        returnMapping = ReturnMapping::singleValue();
    return Statement::function(std::move(name), std::move(argumentMappings), std::move(returnMapping),
                               std::move(body));
}

// mappingList → IDENTIFIER IDENTIFIER? ( "," IDENTIFIER IDENTIFIER? )*
std::vector<ArgumentMapping> Parser::mappingList()
{
    std::vector<ArgumentMapping> mappings;
    skip();
    for (;;) {
        if (!check(TokenType::identifier))
            fail(message::mappingName);
        const Token& first = advance();
        if (check(TokenType::identifier))
            mappings.push_back({first.lexeme, advance().lexeme});
        else
            mappings.push_back({first.lexeme, first.lexeme});
        if (!check(TokenType::comma))
            return mappings;
        advance();
        skip();
    }
}

// The rules are written so that a level that only passes its operand through
// costs almost no stack: the work of building a node lives in helpers that are
// never inlined, and whose frames exist only while their own operands parse.

// expression → assignment
Parser::Node Parser::expression() { return assignment(); }

// assignment → equality ( ( "=" | ":" ) assignment )?
Parser::Node Parser::assignment()
{
    // Most targets are a bare name: taken as one straight away, without a
    // reference node that would only be dropped again.
    if (check(TokenType::identifier)) {
        const TokenType next = peekNext().type;
        if (next == TokenType::equal || next == TokenType::colon)
            return namedAssignment();
    }
    Node target = equality();
    if (check(TokenType::equal) || check(TokenType::colon))
        assignTo(target);
    return target;
}

// What assignTo makes of a name as the target, with the same checks at the
// same tokens.
[[gnu::noinline]] Parser::Node Parser::namedAssignment()
{
    const Token& name = advance();
    checkDepth(1);
    advance();
    Node value = nested(&Parser::assignment);
    if (name.lexeme == "_")
        fail(message::assignToUnderscore);
    // The node carries the last token of its value.
    return {Expression{Kind::make<Kind::Assignment>(arena_, name.lexeme, std::move(value.expression)), &previous()},
            value.height + 1};
}

// Turns the target into the assignment of the value that follows "=".
[[gnu::noinline]] void Parser::assignTo(Node& target)
{
    checkDepth(1);
    advance();
    Node value = nested(&Parser::assignment);
    const auto* reference = target.expression.data.as<ExpressionKind::Reference>();
    if (!reference)
        fail(message::assignToExpression);
    if (reference->name == "_")
        fail(message::assignToUnderscore);
    // The node carries the last token of its value.
    rebuild(target, Kind::make<Kind::Assignment>(arena_, reference->name, std::move(value.expression)), previous(),
            value.height + 1);
}

// equality → comparison ( ( "==" | "!=" ) comparison )*
Parser::Node Parser::equality() { return binary(Level::equality); }

// comparison → term ( ( ">" | ">=" | "<" | "<=" ) term )*
Parser::Node Parser::comparison() { return binary(Level::comparison); }

// term → factor ( ( "+" | "-" ) factor )*
Parser::Node Parser::term() { return binary(Level::term); }

// factor → unary ( ( "*" | "/" | "%" ) unary )*
Parser::Node Parser::factor() { return binary(Level::factor); }

const Parser::BinaryLevel& Parser::binaryLevel(Level level)
{
    static constexpr Operator equalityOperators[]{
        {TokenType::equalEqual, BinaryOperation::equality},
        {TokenType::bangEqual, BinaryOperation::inequality},
    };
    static constexpr Operator comparisonOperators[]{
        {TokenType::greater, BinaryOperation::greater},
        {TokenType::greaterEqual, BinaryOperation::greaterEqual},
        {TokenType::lesser, BinaryOperation::lesser},
        {TokenType::lesserEqual, BinaryOperation::lesserEqual},
    };
    static constexpr Operator termOperators[]{
        {TokenType::plus, BinaryOperation::add},
        {TokenType::minus, BinaryOperation::subtract},
    };
    static constexpr Operator factorOperators[]{
        {TokenType::star, BinaryOperation::multiply},
        {TokenType::slash, BinaryOperation::divide},
        {TokenType::percent, BinaryOperation::modulo},
    };
    static constexpr BinaryLevel levels[]{
        {equalityOperators, &Parser::comparison, message::equalityOperator},
        {comparisonOperators, &Parser::term, message::comparisonOperator},
        {termOperators, &Parser::factor, message::termOperator},
        {factorOperators, &Parser::unary, message::factorOperator},
    };
    return levels[static_cast<int>(level)];
}

// The levels from `outermost` inwards, parsed as their rules would call one
// another, but without a call per level: the innermost operand is a unary,
// and each level's chain is then built around it, innermost first. Most
// operands are followed by no operator at all and return at once.
Parser::Node Parser::binary(Level outermost)
{
    Node left = unary();
    switch (peek().type) {
    case TokenType::equalEqual:
    case TokenType::bangEqual:
    case TokenType::greater:
    case TokenType::greaterEqual:
    case TokenType::lesser:
    case TokenType::lesserEqual:
    case TokenType::plus:
    case TokenType::minus:
    case TokenType::star:
    case TokenType::slash:
    case TokenType::percent: chains(left, outermost); break;
    default: break;
    }
    return left;
}

[[gnu::noinline]] void Parser::chains(Node& left, Level outermost)
{
    for (int level = static_cast<int>(Level::factor); level >= static_cast<int>(outermost); --level) {
        const BinaryLevel& rule = binaryLevel(static_cast<Level>(level));
        if (matchingOperator(rule.operators))
            chain(left, rule.operand, rule.operators, rule.mismatchMessage);
    }
}

// The operators of a level, building the tree to the left.
[[gnu::noinline]] void Parser::chain(Node& left, Rule operand, std::span<const Operator> operators,
                                     std::string_view mismatchMessage)
{
    while (const Operator* found = matchingOperator(operators)) {
        // The chain is built iteratively, but walking it recurses once per
        // operator, so each one counts as a level.
        checkDepth(left.height + 1);
        const Token& token = advance();
        if (token.type != found->token)
            fail(mismatchMessage);
        Node right = nested(operand);
        combine(left, found->operation, right, token);
    }
}

[[gnu::noinline]] void Parser::combine(Node& left, BinaryOperation operation, Node& right, const Token& token)
{
    const int height = std::max(left.height, right.height) + 1;
    rebuild(left, Kind::make<Kind::Binary>(arena_, operation, std::move(left.expression), std::move(right.expression)),
            token, height);
}

const Parser::Operator* Parser::matchingOperator(std::span<const Operator> operators) const
{
    // No operator is eof, so comparing types is all that check() would do.
    const TokenType type = peek().type;
    for (const Operator& candidate : operators)
        if (candidate.token == type)
            return &candidate;
    return nullptr;
}

// unary → ( "-" | "!" ) unary | call
Parser::Node Parser::unary()
{
    if (!check(TokenType::minus) && !check(TokenType::bang))
        return call();
    return unaryOperation();
}

[[gnu::noinline]] Parser::Node Parser::unaryOperation()
{
    checkDepth(1);
    const Token& token = advance();
    UnaryOperation operation{};
    if (token.type == TokenType::minus)
        operation = UnaryOperation::negate;
    else if (token.type == TokenType::bang)
        operation = UnaryOperation::not_;
    else
        fail(message::unaryOperator);
    Node operand = nested(&Parser::unary);
    return {Expression{Kind::make<Kind::Unary>(arena_, operation, std::move(operand.expression)), &token},
            operand.height + 1};
}

// call → primary ( "(" arguments? ")" )*
Parser::Node Parser::call()
{
    Node callee = primary();
    if (check(TokenType::leftParen))
        invocations(callee);
    return callee;
}

// Turns the callee into the calls that follow it.
[[gnu::noinline]] void Parser::invocations(Node& callee)
{
    while (check(TokenType::leftParen)) {
        // Each call of a chain holds the one before it.
        checkDepth(callee.height + 1);
        advance();
        int tallest = 0;
        const std::size_t start = [&] {
            Nesting inside(*this);
            return arguments(tallest);
        }();
        if (!check(TokenType::rightParen))
            fail(message::argumentsEnd);
        const int height = std::max(callee.height, tallest) + 1;
        auto call = takePending<Kind::Invocation>(start, std::move(callee.expression));
        rebuild(callee, std::move(call), advance(), height);
    }
}

// arguments → expression ( "," expression )*, where only the first may be
// unlabelled; it is then labelled "_".
std::size_t Parser::arguments(int& tallest)
{
    const std::size_t start = pending_.size();
    if (check(TokenType::rightParen))
        return start;
    skip();
    for (;;) {
        // An argument is labelled exactly when it starts with a name and "=" or
        // ":". An unlabelled one is wrapped in an assignment, one level more.
        const bool labelled = check(TokenType::identifier)
            && (peekNext().type == TokenType::equal || peekNext().type == TokenType::colon);
        if (!labelled)
            checkDepth(1);
        Node argument = nested(&Parser::expression, labelled ? 0 : 1);
        if (!argument.expression.data.as<ExpressionKind::Assignment>()) {
            if (pending_.size() > start)
                fail(message::onlyAssignments);
            labelAsFirst(argument);
        }
        tallest = std::max(tallest, argument.height);
        pending_.push_back(std::move(argument.expression));
        if (!check(TokenType::comma)) {
            skip();
            return start;
        }
        advance();
        skip();
    }
}

// Wraps an unlabelled first argument in an assignment to "_" that carries the
// argument's own token.
[[gnu::noinline]] void Parser::labelAsFirst(Node& argument)
{
    const Token& token = *argument.expression.token;
    rebuild(argument, Kind::make<Kind::Assignment>(arena_, "_", std::move(argument.expression)), token,
            argument.height + 1);
}

// primary → NUMBER IDENTIFIER? | STRING | IDENTIFIER | grouping | table | list
Parser::Node Parser::primary()
{
    if (check(TokenType::number) || check(TokenType::string))
        return literal();
    if (check(TokenType::identifier)) {
        const Token& name = advance();
        return {Expression{Kind::make<Kind::Reference>(arena_, name.lexeme), &name}, 0};
    }
    if (check(TokenType::leftParen))
        return grouping();
    if (check(TokenType::leftCurly))
        return table();
    if (check(TokenType::leftSquare))
        return list();
    fail(message::noPrimary);
}

// literal → NUMBER IDENTIFIER? | STRING
[[gnu::noinline]] Parser::Node Parser::literal()
{
    const Token& token = advance();
    if (!token.literal)
        fail(message::noLiteral);
    Node value{Expression{Kind::make<Kind::Value>(arena_, token.literal), &token}, 0};
    // A name right after a number is its unit: 5 km is 5 × km.
    if (token.type == TokenType::number && check(TokenType::identifier))
        attachUnit(value);
    return value;
}

// Multiplies the operand by the unit named next; both new nodes carry the
// unit's token.
[[gnu::noinline]] void Parser::attachUnit(Node& operand)
{
    checkDepth(operand.height + 1);
    const Token& unit = advance();
    Expression name{Kind::make<Kind::Reference>(arena_, unit.lexeme), &unit};
    rebuild(operand,
            Kind::make<Kind::Binary>(arena_, BinaryOperation::multiply, std::move(operand.expression), std::move(name)),
            unit, operand.height + 1);
}

// grouping → "(" expression ")" IDENTIFIER?
[[gnu::noinline]] Parser::Node Parser::grouping()
{
    checkDepth(1);
    const Token& open = advance();
    Nesting inside(*this);
    Node inner = expression();
    consume(TokenType::rightParen, message::groupingEnd);
    // A unit after the parentheses: (1 + 2) m is (1 + 2) × m.
    if (check(TokenType::identifier))
        attachUnit(inner);
    rebuild(inner, Kind::make<Kind::Grouping>(arena_, std::move(inner.expression)), open, inner.height + 1);
    return inner;
}

// table → "{" elements "}"
[[gnu::noinline]] Parser::Node Parser::table()
{
    checkDepth(1);
    const Token& open = advance();
    int tallest = 0;
    const std::size_t start = [&] {
        Nesting inside(*this);
        return elements(TokenType::rightCurly, ElementMode::table, tallest);
    }();
    consume(TokenType::rightCurly, message::tableEnd);
    return tableNode(open, start, tallest + 1);
}

// A table literal runs its entries as the body of an anonymous function that
// returns every name it bound; the call and its callee carry the "{".
[[gnu::noinline]] Parser::Node Parser::tableNode(const Token& open, std::size_t start, int height)
{
    // A function keeps its body in a vector of its own.
    const auto first = pending_.begin() + static_cast<std::ptrdiff_t>(start);
    std::vector<Expression> entries(std::make_move_iterator(first), std::make_move_iterator(pending_.end()));
    pending_.erase(first, pending_.end());
    Expression callee{
        Kind::make<Kind::Value>(
            arena_, TokenLiteral(ValueUnion(Callable::userDefinedFunction({}, ReturnMapping::all(), std::move(entries))))),
        &open};
    return {Expression{Kind::makeWithList<Kind::Invocation>(arena_, {}, std::move(callee)), &open}, height};
}

// list → "[" elements? "]"
[[gnu::noinline]] Parser::Node Parser::list()
{
    checkDepth(1);
    const Token& open = advance();
    int tallest = 0;
    std::size_t start = pending_.size();
    if (check(TokenType::rightSquare)) {
        advance();
    } else {
        start = [&] {
            Nesting inside(*this);
            return elements(TokenType::rightSquare, ElementMode::list, tallest);
        }();
        consume(TokenType::rightSquare, message::listEnd);
    }
    return listNode(open, start, tallest + 1);
}

[[gnu::noinline]] Parser::Node Parser::listNode(const Token& open, std::size_t start, int height)
{
    return {Expression{takePending<Kind::List>(start), &open}, height};
}

// elements → ( "," )* element ( ( "," )* element )* ( "," )*, where newlines
// count as commas and an element is an expression in a table and an equality
// (no assignment) in a list.
std::size_t Parser::elements(TokenType closing, ElementMode mode, int& tallest)
{
    const std::size_t start = pending_.size();
    skip({TokenType::comma});
    for (;;) {
        Node element = mode == ElementMode::table ? expression() : equality();
        tallest = std::max(tallest, element.height);
        pending_.push_back(std::move(element.expression));
        skip({TokenType::comma});
        if (check(closing))
            return start;
    }
}

template <typename Case, typename... Fields>
ExpressionKind Parser::takePending(std::size_t start, Fields&&... fields)
{
    auto kind = Kind::makeWithList<Case>(arena_, std::span(pending_).subspan(start), std::forward<Fields>(fields)...);
    pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(start), pending_.end());
    return kind;
}

// The node becomes `kind` with `token`, built where it is rather than moved in.
void Parser::rebuild(Node& node, ExpressionKind kind, const Token& token, int height)
{
    node.expression.data = std::move(kind);
    node.expression.token = &token;
    node.height = height;
}

Parser::Node Parser::nested(Rule rule, int levels)
{
    Nesting inside(*this, levels);
    return (this->*rule)();
}

// Stands in for the eof token when the token array lacks one.
const Token& Parser::endOfInput()
{
    static const Token token{TokenType::eof, "", std::nullopt, 0, 0};
    return token;
}


const Token& Parser::consume(TokenType type, std::string_view message)
{
    if (!check(type))
        fail(message);
    return advance();
}

void Parser::skip(std::initializer_list<TokenType> types)
{
    for (;;) {
        const TokenType type = peek().type;
        if (type != TokenType::newline && std::find(types.begin(), types.end(), type) == types.end())
            return;
        if (isAtEnd())
            return;
        advance();
    }
}

void Parser::fail(std::string_view message) const
{
    throw ParseError(std::string(message), static_cast<std::int64_t>(current_));
}

void Parser::checkDepth(int height) const
{
    if (depth_ + height > maxExpressionDepth)
        fail(message::tooDeep);
}

} // namespace engine
