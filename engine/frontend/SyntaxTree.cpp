#include "frontend/SyntaxTree.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "values/Callable.h"

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

// How a tree walk feeds each node: its case index and operation as words
// first, then its fields, then its token's contents.
struct TokenContents {
    static constexpr bool compact = false;
};

// For a key that also feeds the whole token list: a node's case index,
// operation and token go first, in a few bytes, with the token as its index
// in the list. A token elsewhere is fed by its contents, after an index that
// no list position can be, so the two forms never read alike.
struct TokenIndex {
    static constexpr bool compact = true;
    static constexpr std::uint32_t elsewhere = ~std::uint32_t{0};

    std::span<const Token> tokens;

    void header(Hasher& hasher, const Expression& expression, std::uint8_t operation) const
    {
        const Token& token = *expression.token;
        const auto offset = reinterpret_cast<std::uintptr_t>(&token) - reinterpret_cast<std::uintptr_t>(tokens.data());
        // Lists too long for the index's width are fed by contents instead.
        const std::uint32_t index = offset < tokens.size_bytes() && tokens.size() < elsewhere
            ? static_cast<std::uint32_t>(offset / sizeof(Token))
            : elsewhere;
        unsigned char bytes[2 + sizeof index] = {static_cast<unsigned char>(expression.data.index()), operation};
        std::memcpy(bytes + 2, &index, sizeof index);
        hasher.combineBytes(bytes, sizeof bytes);
        if (index == elsewhere)
            token.hash(hasher);
    }
};

template <typename Feed>
void hashExpression(Hasher& hasher, const Expression& expression, const Feed& feed);

template <typename Feed>
void hashExpressions(Hasher& hasher, const std::vector<Expression>& expressions, const Feed& feed)
{
    hasher.combine(static_cast<std::uint64_t>(expressions.size()));
    for (const auto& expression : expressions)
        hashExpression(hasher, expression, feed);
}

template <typename Feed>
void hashFunction(Hasher& hasher, const UserFunction& function, const Feed& feed)
{
    hashList(hasher, function.argumentMappings);
    function.returnMapping.hash(hasher);
    hashExpressions(hasher, function.body, feed);
}

// A value node's value. For a key, the function of a table literal feeds its
// body as any other expressions, framed as the value's own hash frames it.
template <typename Feed>
void hashValue(Hasher& hasher, const ValueUnion& value, const Feed& feed)
{
    if constexpr (Feed::compact) {
        const auto* callable = value.as<Callable>();
        if (const UserFunction* function = callable ? callable->userDefined() : nullptr) {
            hasher.combine(static_cast<std::uint64_t>(value.kind()));
            hasher.combine(static_cast<std::uint64_t>(callable->kind().index()));
            hashFunction(hasher, *function, feed);
            return;
        }
    }
    value.hash(hasher);
}

// The node's fields; its operation too unless the header took it. Tried
// case by case, commonest first, which is cheaper than a visit.
template <typename Feed>
void hashFields(Hasher& hasher, const ExpressionKind& kind, const Feed& feed)
{
    using Kind = ExpressionKind;
    if (const auto* value = kind.as<Kind::Value>()) {
        hashValue(hasher, value->value, feed);
    } else if (const auto* reference = kind.as<Kind::Reference>()) {
        hasher.combine(std::string_view(reference->name));
    } else if (const auto* binary = kind.as<Kind::Binary>()) {
        if constexpr (!Feed::compact)
            hasher.combine(static_cast<std::uint64_t>(binary->operation));
        hashExpression(hasher, binary->left, feed);
        hashExpression(hasher, binary->right, feed);
    } else if (const auto* assignment = kind.as<Kind::Assignment>()) {
        hasher.combine(std::string_view(assignment->name));
        hashExpression(hasher, assignment->value, feed);
    } else if (const auto* invocation = kind.as<Kind::Invocation>()) {
        hashExpression(hasher, invocation->callee, feed);
        hashExpressions(hasher, invocation->arguments, feed);
    } else if (const auto* grouping = kind.as<Kind::Grouping>()) {
        hashExpression(hasher, grouping->inner, feed);
    } else if (const auto* list = kind.as<Kind::List>()) {
        hashExpressions(hasher, list->elements, feed);
    } else {
        const auto& unary = *kind.as<Kind::Unary>();
        if constexpr (!Feed::compact)
            hasher.combine(static_cast<std::uint64_t>(unary.operation));
        hashExpression(hasher, unary.operand, feed);
    }
}

// The operation of a binary or unary node, else 0.
std::uint8_t operationOf(const ExpressionKind& kind)
{
    if (const auto* binary = kind.as<ExpressionKind::Binary>())
        return static_cast<std::uint8_t>(binary->operation);
    if (const auto* unary = kind.as<ExpressionKind::Unary>())
        return static_cast<std::uint8_t>(unary->operation);
    return 0;
}

template <typename Feed>
void hashExpression(Hasher& hasher, const Expression& expression, const Feed& feed)
{
    if constexpr (Feed::compact) {
        feed.header(hasher, expression, operationOf(expression.data));
        hashFields(hasher, expression.data, feed);
    } else {
        hasher.combine(static_cast<std::uint64_t>(expression.data.index()));
        hashFields(hasher, expression.data, feed);
        expression.token->hash(hasher);
    }
}

} // namespace

void ExpressionKind::hash(Hasher& hasher) const
{
    hasher.combine(static_cast<std::uint64_t>(index()));
    hashFields(hasher, *this, TokenContents());
}

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
