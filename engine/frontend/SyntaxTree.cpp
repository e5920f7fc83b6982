#include "frontend/SyntaxTree.h"

#include <array>
#include <cstdint>

namespace engine {

namespace {

template <typename T>
void hashList(Hasher& hasher, const std::vector<T>& items)
{
    hasher.combine(static_cast<std::uint64_t>(items.size()));
    for (const auto& item : items)
        item.hash(hasher);
}

} // namespace

std::string_view description(BinaryOperation operation)
{
    static constexpr std::array<std::string_view, 11> texts{
        "+", "-", "\u00D7", "\u00F7", "%", ">", ">=", "<", "<=", "==", "!=",
    };
    return texts.at(static_cast<std::size_t>(operation));
}

void ArgumentMapping::hash(Hasher& hasher) const
{
    hasher.combine(std::string_view(outerName));
    hasher.combine(std::string_view(innerName));
}

void ReturnMapping::hash(Hasher& hasher) const
{
    hasher.combine(static_cast<std::uint64_t>(kind_));
    if (kind_ == Kind::list)
        hashList(hasher, mappings_);
}

ExpressionKind ExpressionKind::binary(BinaryOperation operation, Expression left, Expression right)
{
    return make<Binary>(nullptr, operation, std::move(left), std::move(right));
}

ExpressionKind ExpressionKind::unary(UnaryOperation operation, Expression operand)
{
    return make<Unary>(nullptr, operation, std::move(operand));
}

ExpressionKind ExpressionKind::value(ValueUnion value) { return make<Value>(nullptr, std::move(value)); }

ExpressionKind ExpressionKind::reference(std::string name) { return make<Reference>(nullptr, std::move(name)); }

ExpressionKind ExpressionKind::grouping(Expression inner) { return make<Grouping>(nullptr, std::move(inner)); }

ExpressionKind ExpressionKind::assignment(std::string name, Expression value)
{
    return make<Assignment>(nullptr, std::move(name), std::move(value));
}

ExpressionKind ExpressionKind::invocation(Expression callee, std::vector<Expression> arguments)
{
    return make<Invocation>(nullptr, std::move(callee), std::move(arguments));
}

ExpressionKind ExpressionKind::list(std::vector<Expression> elements)
{
    return make<List>(nullptr, std::move(elements));
}

bool ExpressionKind::operator==(const ExpressionKind& other) const
{
    if (node_.index() != other.node_.index())
        return false;
    return std::visit(
        [&](const auto& node) {
            using Node = std::remove_const_t<typename std::decay_t<decltype(node)>::element_type>;
            const auto& otherNode = std::get<std::shared_ptr<const Node>>(other.node_);
            if (node == otherNode)
                return true; // the same stored node
            const Node& a = *node;
            const Node& b = *otherNode;
            if constexpr (std::is_same_v<Node, Binary>)
                return a.operation == b.operation && a.left == b.left && a.right == b.right;
            else if constexpr (std::is_same_v<Node, Unary>)
                return a.operation == b.operation && a.operand == b.operand;
            else if constexpr (std::is_same_v<Node, Value>)
                return a.value == b.value;
            else if constexpr (std::is_same_v<Node, Reference>)
                return a.name == b.name;
            else if constexpr (std::is_same_v<Node, Grouping>)
                return a.inner == b.inner;
            else if constexpr (std::is_same_v<Node, Assignment>)
                return a.name == b.name && a.value == b.value;
            else if constexpr (std::is_same_v<Node, Invocation>)
                return a.callee == b.callee && a.arguments == b.arguments;
            else
                return a.elements == b.elements;
        },
        node_);
}

namespace {

// How a tree walk feeds each node's token.
struct TokenContents {
    void operator()(Hasher& hasher, const Token& token) const { token.hash(hasher); }
};

// A token of the list as its index there; any other by its contents, after a
// word that no index can be, so the two forms never read alike.
struct TokenIndex {
    std::span<const Token> tokens;

    void operator()(Hasher& hasher, const Token& token) const
    {
        const auto offset = reinterpret_cast<std::uintptr_t>(&token) - reinterpret_cast<std::uintptr_t>(tokens.data());
        if (offset < tokens.size_bytes()) {
            hasher.combine(static_cast<std::uint64_t>(offset / sizeof(Token)));
            return;
        }
        hasher.combine(~std::uint64_t{0});
        token.hash(hasher);
    }
};

template <typename FeedToken>
void hashExpression(Hasher& hasher, const Expression& expression, const FeedToken& feedToken);

template <typename FeedToken>
void hashExpressions(Hasher& hasher, const std::vector<Expression>& expressions, const FeedToken& feedToken)
{
    hasher.combine(static_cast<std::uint64_t>(expressions.size()));
    for (const auto& expression : expressions)
        hashExpression(hasher, expression, feedToken);
}

template <typename FeedToken>
void hashKind(Hasher& hasher, const ExpressionKind& kind, const FeedToken& feedToken)
{
    hasher.combine(static_cast<std::uint64_t>(kind.index()));
    std::visit(
        [&](const auto& pointer) {
            using Node = std::remove_const_t<typename std::decay_t<decltype(pointer)>::element_type>;
            const Node& node = *pointer;
            if constexpr (std::is_same_v<Node, ExpressionKind::Binary>) {
                hasher.combine(static_cast<std::uint64_t>(node.operation));
                hashExpression(hasher, node.left, feedToken);
                hashExpression(hasher, node.right, feedToken);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Unary>) {
                hasher.combine(static_cast<std::uint64_t>(node.operation));
                hashExpression(hasher, node.operand, feedToken);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Value>) {
                node.value.hash(hasher);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Reference>) {
                hasher.combine(std::string_view(node.name));
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Grouping>) {
                hashExpression(hasher, node.inner, feedToken);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Assignment>) {
                hasher.combine(std::string_view(node.name));
                hashExpression(hasher, node.value, feedToken);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Invocation>) {
                hashExpression(hasher, node.callee, feedToken);
                hashExpressions(hasher, node.arguments, feedToken);
            } else {
                hashExpressions(hasher, node.elements, feedToken);
            }
        },
        kind.node());
}

template <typename FeedToken>
void hashExpression(Hasher& hasher, const Expression& expression, const FeedToken& feedToken)
{
    hashKind(hasher, expression.data, feedToken);
    feedToken(hasher, *expression.token);
}

template <typename FeedToken>
void hashFunction(Hasher& hasher, const UserFunction& function, const FeedToken& feedToken)
{
    hashList(hasher, function.argumentMappings);
    function.returnMapping.hash(hasher);
    hashExpressions(hasher, function.body, feedToken);
}

} // namespace

void ExpressionKind::hash(Hasher& hasher) const { hashKind(hasher, *this, TokenContents()); }

bool Expression::operator==(const Expression& other) const
{
    return (token == other.token || *token == *other.token) && data == other.data;
}

void Expression::hash(Hasher& hasher) const { hashExpression(hasher, *this, TokenContents()); }

void Expression::hash(Hasher& hasher, std::span<const Token> tokens) const
{
    hashExpression(hasher, *this, TokenIndex{tokens});
}

bool UserFunction::operator==(const UserFunction& other) const
{
    return argumentMappings == other.argumentMappings && returnMapping == other.returnMapping && body == other.body;
}

void UserFunction::hash(Hasher& hasher) const { hashFunction(hasher, *this, TokenContents()); }

void UserFunction::hash(Hasher& hasher, std::span<const Token> tokens) const
{
    hashFunction(hasher, *this, TokenIndex{tokens});
}

Statement Statement::expression(Expression expression) { return Statement(std::move(expression)); }

Statement Statement::function(Token name, std::vector<ArgumentMapping> argumentMappings, ReturnMapping returnMapping,
                              std::vector<Expression> body)
{
    auto function = std::make_shared<const UserFunction>(
        UserFunction{std::move(argumentMappings), std::move(returnMapping), std::move(body)});
    return Statement(std::make_shared<const FunctionDefinition>(FunctionDefinition{std::move(name), std::move(function)}));
}

const Token& Statement::token() const
{
    if (const auto* expression = asExpression())
        return *expression->token;
    return asFunction()->name;
}

bool Statement::operator==(const Statement& other) const
{
    if (node_.index() != other.node_.index())
        return false;
    if (const auto* expression = asExpression())
        return *expression == *other.asExpression();
    const auto& mine = *asFunction();
    const auto& theirs = *other.asFunction();
    return mine.name == theirs.name && (mine.function == theirs.function || *mine.function == *theirs.function);
}

void Statement::hash(Hasher& hasher) const
{
    hasher.combine(static_cast<std::uint64_t>(node_.index()));
    if (const auto* expression = asExpression()) {
        expression->hash(hasher);
        return;
    }
    const auto& definition = *asFunction();
    definition.name.hash(hasher);
    definition.function->hash(hasher);
}

void Statement::hash(Hasher& hasher, std::span<const Token> tokens) const
{
    hasher.combine(static_cast<std::uint64_t>(node_.index()));
    if (const auto* expression = asExpression()) {
        expression->hash(hasher, tokens);
        return;
    }
    const auto& definition = *asFunction();
    definition.name.hash(hasher);
    definition.function->hash(hasher, tokens);
}

} // namespace engine
