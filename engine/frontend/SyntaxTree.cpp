#include "frontend/SyntaxTree.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "values/Callable.h"

namespace engine {

// Every expression and statement is two pointers, a tree's nodes a header
// and their fields.
static_assert(sizeof(Expression) == 2 * sizeof(void*));
static_assert(sizeof(Statement) == 2 * sizeof(void*));
// An operation takes no room of its own where the ABI lays a derived class's
// fields into its base's tail padding, as the Itanium ABI does.
#if defined(__GNUC__)
static_assert(sizeof(ExpressionKind::Binary) == 5 * sizeof(void*));
static_assert(sizeof(ExpressionKind::Unary) == 3 * sizeof(void*));
#endif

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

ExpressionKind ExpressionKind::value(ValueUnion value)
{
    return make<Value>(nullptr, TokenLiteral(std::move(value)));
}

ExpressionKind ExpressionKind::reference(std::string name) { return make<Reference>(nullptr, std::move(name)); }

ExpressionKind ExpressionKind::grouping(Expression inner) { return make<Grouping>(nullptr, std::move(inner)); }

ExpressionKind ExpressionKind::assignment(std::string name, Expression value)
{
    return make<Assignment>(nullptr, std::move(name), std::move(value));
}

ExpressionKind ExpressionKind::invocation(Expression callee, std::vector<Expression> arguments)
{
    return makeWithList<Invocation>(nullptr, arguments, std::move(callee));
}

ExpressionKind ExpressionKind::list(std::vector<Expression> elements)
{
    return makeWithList<List>(nullptr, elements);
}

// The arena holds of the nodes a teardown frees, given back together while
// they are all of one arena.
struct ExpressionKind::Holds {
    NodeArena* arena = nullptr;
    std::size_t count = 0;

    Holds() = default;
    Holds(const Holds&) = delete;
    Holds& operator=(const Holds&) = delete;
    ~Holds() { flush(); }

    void add(NodeArena& owner)
    {
        if (&owner != arena) {
            flush();
            arena = &owner;
        }
        ++count;
    }
    void flush()
    {
        if (arena)
            arena->release(count);
        arena = nullptr;
        count = 0;
    }
};

namespace {

// A count of 1 is this reference alone, which no other thread can copy
// meanwhile, so the common case needs no read-modify-write.
bool lastReference(detail::NodeHeader& node)
{
    return node.count.load(std::memory_order_acquire) == 1 || node.count.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

} // namespace

void ExpressionKind::release(detail::NodeHeader* node) noexcept
{
    if (!lastReference(*node))
        return;
    // A tree dropped a keystroke after it was built is out of the cache, and
    // its statements go in order: the next one's nodes follow this root in
    // the arena, so they are fetched while this one is torn down.
    if (node->inArena)
        for (int line = 1; line <= 8; ++line)
            __builtin_prefetch(reinterpret_cast<const char*>(node) + 64 * line);
    Holds holds;
    destroy(node, holds);
}

void ExpressionKind::release(detail::NodeHeader* node, Holds& holds) noexcept
{
    if (lastReference(*node))
        destroy(node, holds);
}

void ExpressionKind::drop(ExpressionKind& kind, Holds& holds) noexcept
{
    if (auto* node = std::exchange(kind.node_, nullptr))
        release(node, holds);
}

void ExpressionKind::drop(const ExpressionList& expressions, Holds& holds) noexcept
{
    for (Expression* expression = expressions.first_; expression != expressions.first_ + expressions.size_;
         ++expression) {
        drop(expression->data, holds);
        expression->~Expression();
    }
}

// Subexpressions go first with the same holds; what is left of the node then
// has only its own fields to free.
template <typename Case>
void ExpressionKind::destroyAs(detail::NodeHeader* node, Holds& holds) noexcept
{
    auto& fields = *fieldsOf<Case>(node);
    if constexpr (std::is_same_v<Case, Binary>) {
        drop(fields.left.data, holds);
        drop(fields.right.data, holds);
    } else if constexpr (std::is_same_v<Case, Unary>) {
        drop(fields.operand.data, holds);
    } else if constexpr (std::is_same_v<Case, Grouping>) {
        drop(fields.inner.data, holds);
    } else if constexpr (std::is_same_v<Case, Assignment>) {
        drop(fields.value.data, holds);
    } else if constexpr (std::is_same_v<Case, Invocation>) {
        drop(fields.callee.data, holds);
        drop(fields.arguments, holds);
    } else if constexpr (std::is_same_v<Case, List>) {
        drop(fields.elements, holds);
    }
    std::destroy_at(static_cast<NodeOf<Case>*>(node));
}

void ExpressionKind::destroy(detail::NodeHeader* node, Holds& holds) noexcept
{
    // At each case's index(); the function statement's definition last.
    static constexpr void (*destroyers[])(detail::NodeHeader*, Holds&) noexcept = {
        &destroyAs<Binary>,     &destroyAs<Unary>,    &destroyAs<Value>,
        &destroyAs<Reference>,  &destroyAs<Grouping>, &destroyAs<Assignment>,
        &destroyAs<Invocation>, &destroyAs<List>,     &destroyAs<FunctionDefinition>,
    };
    static_assert(indexOf<Binary> == 0 && indexOf<Unary> == 1 && indexOf<Value> == 2 && indexOf<Reference> == 3
                  && indexOf<Grouping> == 4 && indexOf<Assignment> == 5 && indexOf<Invocation> == 6
                  && indexOf<List> == 7 && functionIndex == 8);
    const bool inArena = node->inArena;
    destroyers[node->index](node, holds);
    if (inArena)
        holds.add(NodeArena::of(node));
    else
        ::operator delete(node);
}

bool ExpressionKind::operator==(const ExpressionKind& other) const
{
    if (index() != other.index())
        return false;
    if (node_ == other.node_)
        return true; // the same stored node, or neither has one
    if (!node_ || !other.node_)
        return false;
    switch (node_->index) {
    case indexOf<Binary>: {
        const auto &a = *as<Binary>(), &b = *other.as<Binary>();
        return a.operation == b.operation && a.left == b.left && a.right == b.right;
    }
    case indexOf<Unary>: {
        const auto &a = *as<Unary>(), &b = *other.as<Unary>();
        return a.operation == b.operation && a.operand == b.operand;
    }
    case indexOf<Value>:
        return as<Value>()->value() == other.as<Value>()->value();
    case indexOf<Reference>:
        return as<Reference>()->name == other.as<Reference>()->name;
    case indexOf<Grouping>:
        return as<Grouping>()->inner == other.as<Grouping>()->inner;
    case indexOf<Assignment>: {
        const auto &a = *as<Assignment>(), &b = *other.as<Assignment>();
        return a.name == b.name && a.value == b.value;
    }
    case indexOf<Invocation>: {
        const auto &a = *as<Invocation>(), &b = *other.as<Invocation>();
        return a.callee == b.callee && a.arguments == b.arguments;
    }
    default:
        return as<List>()->elements == other.as<List>()->elements;
    }
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
        // Case, operation and index in one word, built in a register: the
        // same bytes stored one by one and read back as a word stalled every
        // node on the store buffer.
        const std::uint64_t packed = std::uint64_t{static_cast<std::uint8_t>(expression.data.index())}
            | std::uint64_t{operation} << 8 | std::uint64_t{index} << 16;
        constexpr std::size_t size = 2 + sizeof index;
        if (auto* room = hasher.claim(sizeof packed)) {
            Hasher::put(room, packed);
            hasher.unclaim(sizeof packed - size);
        } else {
            unsigned char bytes[sizeof packed];
            std::memcpy(bytes, &packed, sizeof packed);
            hasher.combineBytes(bytes, size);
        }
        if (index == elsewhere)
            token.hash(hasher);
    }
};

template <typename Feed>
void hashExpression(Hasher& hasher, const Expression& expression, const Feed& feed);

template <typename Feed, typename Expressions>
void hashExpressions(Hasher& hasher, const Expressions& expressions, const Feed& feed)
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

// The node's fields; its operation too unless the header took it.
template <typename Feed>
void hashFields(Hasher& hasher, const ExpressionKind& kind, const Feed& feed)
{
    using Kind = ExpressionKind;
    switch (kind.index()) {
    case Kind::indexOf<Kind::Value>:
        hashValue(hasher, kind.as<Kind::Value>()->value(), feed);
        break;
    case Kind::indexOf<Kind::Reference>:
        hasher.combine(std::string_view(kind.as<Kind::Reference>()->name));
        break;
    case Kind::indexOf<Kind::Binary>: {
        const auto& binary = *kind.as<Kind::Binary>();
        if constexpr (!Feed::compact)
            hasher.combine(static_cast<std::uint64_t>(binary.operation));
        hashExpression(hasher, binary.left, feed);
        hashExpression(hasher, binary.right, feed);
        break;
    }
    case Kind::indexOf<Kind::Assignment>: {
        const auto& assignment = *kind.as<Kind::Assignment>();
        hasher.combine(std::string_view(assignment.name));
        hashExpression(hasher, assignment.value, feed);
        break;
    }
    case Kind::indexOf<Kind::Invocation>: {
        const auto& invocation = *kind.as<Kind::Invocation>();
        hashExpression(hasher, invocation.callee, feed);
        hashExpressions(hasher, invocation.arguments, feed);
        break;
    }
    case Kind::indexOf<Kind::Grouping>:
        hashExpression(hasher, kind.as<Kind::Grouping>()->inner, feed);
        break;
    case Kind::indexOf<Kind::List>:
        hashExpressions(hasher, kind.as<Kind::List>()->elements, feed);
        break;
    default: {
        const auto& unary = *kind.as<Kind::Unary>();
        if constexpr (!Feed::compact)
            hasher.combine(static_cast<std::uint64_t>(unary.operation));
        hashExpression(hasher, unary.operand, feed);
        break;
    }
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

bool ExpressionList::operator==(const ExpressionList& other) const
{
    return std::equal(begin(), end(), other.begin(), other.end());
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
    using Built = detail::Node<FunctionDefinition>;
    auto function = std::make_shared<const UserFunction>(
        UserFunction{std::move(argumentMappings), std::move(returnMapping), std::move(body)});
    auto* node = new Built(ExpressionKind::functionIndex, false, std::move(name), std::move(function));
    // The kind owns the node from here on.
    ExpressionKind definition(node);
    return Statement(Expression{std::move(definition), &node->value.name});
}

bool Statement::operator==(const Statement& other) const
{
    if (kind() != other.kind())
        return false;
    if (const auto* expression = asExpression())
        return *expression == *other.asExpression();
    const auto& mine = *asFunction();
    const auto& theirs = *other.asFunction();
    return mine.name == theirs.name && (mine.function == theirs.function || *mine.function == *theirs.function);
}

void Statement::hash(Hasher& hasher) const
{
    hasher.combine(static_cast<std::uint64_t>(kind()));
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
    hasher.combine(static_cast<std::uint64_t>(kind()));
    if (const auto* expression = asExpression()) {
        expression->hash(hasher, tokens);
        return;
    }
    const auto& definition = *asFunction();
    definition.name.hash(hasher);
    definition.function->hash(hasher, tokens);
}

} // namespace engine
