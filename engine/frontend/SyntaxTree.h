#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "frontend/NodeArena.h"
#include "frontend/Token.h"
#include "values/Hasher.h"
#include "values/ValueUnion.h"

namespace engine {

enum class BinaryOperation : std::uint8_t {
    add,
    subtract,
    multiply,
    divide,
    modulo,
    greater,
    greaterEqual,
    lesser,
    lesserEqual,
    equality,
    inequality,
};

// The operator's text in written syntax trees: "+", "-", "×", "÷", "%", ">",
// ">=", "<", "<=", "==", "!=".
std::string_view description(BinaryOperation operation);

// `not` is a C++ keyword, hence the trailing underscore.
enum class UnaryOperation : std::uint8_t { negate, not_ };

// In an argument list, outerName is the label callers write and innerName the
// name bound in the body; in a return list, innerName names a body variable and
// outerName the key it is returned under.
struct ArgumentMapping {
    std::string outerName;
    std::string innerName;

    bool operator==(const ArgumentMapping&) const = default;
    void hash(Hasher& hasher) const;
};

class ReturnMapping {
public:
    enum class Kind : std::uint8_t { all, singleValue, list };

    static ReturnMapping all() { return ReturnMapping(Kind::all, {}); }
    static ReturnMapping singleValue() { return ReturnMapping(Kind::singleValue, {}); }
    static ReturnMapping list(std::vector<ArgumentMapping> mappings) { return ReturnMapping(Kind::list, std::move(mappings)); }

    Kind kind() const { return kind_; }
    // Empty unless kind() is list.
    const std::vector<ArgumentMapping>& mappings() const { return mappings_; }

    bool operator==(const ReturnMapping&) const = default;
    // Case index; for list, then the mapping list.
    void hash(Hasher& hasher) const;

private:
    ReturnMapping(Kind kind, std::vector<ArgumentMapping> mappings) : kind_(kind), mappings_(std::move(mappings)) {}

    Kind kind_;
    std::vector<ArgumentMapping> mappings_;
};

struct Expression;
class ExpressionList;

namespace detail {

// What every syntax node starts with. The count is atomic because trees may
// be dropped on any thread. The header's last two bytes are free: a case
// whose first field is a one-byte operation derives from the header, rather
// than following it in a Node, and so keeps the operation there.
struct NodeHeader {
    std::atomic<std::uint32_t> count{1};
    // The case, as ExpressionKind::index() gives it.
    std::uint8_t index;
    // Else the node was allocated on its own, and is deleted.
    bool inArena;

    NodeHeader(std::uint8_t index, bool inArena) : index(index), inArena(inArena) {}
};

// A node of a case that does not hold its own header, initialised field by
// field from the arguments where it is stored, without a temporary that would
// be moved in.
template <typename Case>
struct Node : NodeHeader {
    template <typename... Fields>
    explicit Node(std::uint8_t index, bool inArena, Fields&&... fields)
        : NodeHeader(index, inArena), value{std::forward<Fields>(fields)...}
    {
    }

    Case value;
};

} // namespace detail

// What an expression is. Every case lives out of line in an immutable node,
// counted by the expressions that refer to it, so copying a tree costs a
// pointer. The parser bounds how deep a tree can grow, which keeps every
// recursive walk over it safe, the release of a tree included.
class ExpressionKind {
public:
    struct Binary;
    struct Unary;
    struct Value;
    struct Reference;
    struct Grouping;
    struct Assignment;
    struct Invocation;
    struct List;

    // The index() of each case.
    template <typename Case>
    static constexpr std::uint8_t indexOf = std::is_same_v<Case, Binary> ? 0
        : std::is_same_v<Case, Unary>                                    ? 1
        : std::is_same_v<Case, Value>                                    ? 2
        : std::is_same_v<Case, Reference>                                ? 3
        : std::is_same_v<Case, Grouping>                                 ? 4
        : std::is_same_v<Case, Assignment>                               ? 5
        : std::is_same_v<Case, Invocation>                               ? 6
        : std::is_same_v<Case, List>                                     ? 7
                                                                         : 0xFF;

    static ExpressionKind binary(BinaryOperation operation, Expression left, Expression right);
    static ExpressionKind unary(UnaryOperation operation, Expression operand);
    static ExpressionKind value(ValueUnion value);
    static ExpressionKind reference(std::string name);
    static ExpressionKind grouping(Expression inner);
    static ExpressionKind assignment(std::string name, Expression value);
    static ExpressionKind invocation(Expression callee, std::vector<Expression> arguments);
    static ExpressionKind list(std::vector<Expression> elements);
    // A node of any case without a list, its fields forwarded straight into
    // it, so that each subexpression is moved only once; placed in the arena
    // when one is given (the parser builds a whole document's tree in one).
    template <typename Case, typename... Fields>
    static ExpressionKind make(NodeArena* arena, Fields&&... fields);
    // The same for a case whose last field is an ExpressionList: `items` are
    // moved into it, and so out of the span.
    template <typename Case, typename... Fields>
    static ExpressionKind makeWithList(NodeArena* arena, std::span<Expression> items, Fields&&... fields);

    // Without a node, as only a moved-from kind is: index() 0, as() null.
    ExpressionKind() = default;
    ExpressionKind(const ExpressionKind& other) noexcept : node_(other.node_)
    {
        if (node_)
            node_->count.fetch_add(1, std::memory_order_relaxed);
    }
    ExpressionKind(ExpressionKind&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
    ExpressionKind& operator=(const ExpressionKind& other) noexcept
    {
        ExpressionKind copy(other);
        std::swap(node_, copy.node_);
        return *this;
    }
    ExpressionKind& operator=(ExpressionKind&& other) noexcept
    {
        ExpressionKind taken(std::move(other));
        std::swap(node_, taken.node_);
        return *this;
    }
    ~ExpressionKind()
    {
        if (node_)
            release(node_);
    }

    std::size_t index() const { return node_ ? node_->index : 0; }
    // The node when the expression is of that case, else null.
    template <typename Case>
    const Case* as() const
    {
        static_assert(indexOf<Case> != 0xFF);
        if (!node_ || node_->index != indexOf<Case>)
            return nullptr;
        return fieldsOf<Case>(node_);
    }

    bool operator==(const ExpressionKind& other) const;
    void hash(Hasher& hasher) const;

private:
    friend class Statement;
    struct Holds;

    // The case of a function statement's definition, which Statement keeps
    // in a node of its own so as to be no larger than an expression.
    static constexpr std::uint8_t functionIndex = 8;

    // The node of a case: the case itself when it holds its own header.
    template <typename Case>
    using NodeOf = std::conditional_t<std::is_base_of_v<detail::NodeHeader, Case>, Case, detail::Node<Case>>;
    // The fields of `node`, which is of the case.
    template <typename Case>
    static Case* fieldsOf(detail::NodeHeader* node)
    {
        if constexpr (std::is_base_of_v<detail::NodeHeader, Case>)
            return static_cast<Case*>(node);
        else
            return &static_cast<detail::Node<Case>*>(node)->value;
    }

    // The node `construct` builds in `size` bytes of memory, from the arena
    // when one is given; the memory goes back if building throws.
    template <typename Built, typename Construct>
    static Built* place(NodeArena* arena, std::size_t size, Construct&& construct);

    explicit ExpressionKind(detail::NodeHeader* node) : node_(node) {}
    // Drops the reference to `node`, and the node itself with the last one.
    static void release(detail::NodeHeader* node) noexcept;
    // The same, handing the arena holds of the nodes that go to `holds`, so
    // that a tree torn down at once drops them on its arena at once.
    static void release(detail::NodeHeader* node, Holds& holds) noexcept;
    static void destroy(detail::NodeHeader* node, Holds& holds) noexcept;
    // The same for a node known to be of `Case`.
    template <typename Case>
    static void destroyAs(detail::NodeHeader* node, Holds& holds) noexcept;
    // Releases the kind's node with `holds`, leaving the kind without one.
    static void drop(ExpressionKind& kind, Holds& holds) noexcept;
    // Drops every expression of the list and ends it.
    static void drop(const ExpressionList& expressions, Holds& holds) noexcept;

    detail::NodeHeader* node_ = nullptr;
};

struct Expression {
    ExpressionKind data;
    // The token the parser associates with the node; it maps the node back to
    // its source line. Never null. A tree refers to its tokens instead of
    // copying one into every node, so something must keep them alive as long
    // as the tree: for a parsed tree, the arena that holds its nodes keeps
    // the token list the parser read; a tree built by hand needs tokens that
    // outlive it.
    const Token* token = nullptr;

    // Token contents first, then data.
    bool operator==(const Expression& other) const;
    // Data, then token contents.
    void hash(Hasher& hasher) const;
    // The same, except that a token lying in `tokens` is fed as its index
    // there rather than its contents: for a key that also feeds all of
    // `tokens`, that says as much for a fraction of the work.
    void hash(Hasher& hasher, std::span<const Token> tokens) const;
};

// The arguments of a call or the elements of a list literal. They lie right
// after their node, in the same piece of memory, so that a list costs no
// allocation of its own; the node's teardown ends them.
class ExpressionList {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const Expression& operator[](std::size_t index) const { return first_[index]; }
    const Expression* begin() const { return first_; }
    const Expression* end() const { return first_ + size_; }

    bool operator==(const ExpressionList& other) const;

private:
    friend class ExpressionKind;

    ExpressionList(Expression* first, std::size_t size) : first_(first), size_(size) {}

    Expression* first_;
    std::size_t size_;
};

// The operation lies in the header's spare bytes: a binary node is five
// words rather than six.
struct ExpressionKind::Binary : private detail::NodeHeader {
    BinaryOperation operation;
    Expression left;
    Expression right;

private:
    friend class ExpressionKind;

    Binary(std::uint8_t index, bool inArena, BinaryOperation operation, Expression&& left, Expression&& right)
        : NodeHeader(index, inArena), operation(operation), left(std::move(left)), right(std::move(right))
    {
    }
};
struct ExpressionKind::Unary : private detail::NodeHeader {
    UnaryOperation operation;
    Expression operand;

private:
    friend class ExpressionKind;

    Unary(std::uint8_t index, bool inArena, UnaryOperation operation, Expression&& operand)
        : NodeHeader(index, inArena), operation(operation), operand(std::move(operand))
    {
    }
};
// A literal: a number or a string from a literal token, or the anonymous
// function of a table literal. A parsed literal shares its token's box rather
// than copying the value; any other value gets a box of its own.
struct ExpressionKind::Value {
    TokenLiteral literal;

    const ValueUnion& value() const { return *literal; }
};
// Names are short, so a Lexeme keeps them inline in the node.
struct ExpressionKind::Reference {
    Lexeme name;
};
struct ExpressionKind::Grouping {
    Expression inner;
};
struct ExpressionKind::Assignment {
    Lexeme name;
    Expression value;
};
// Every argument is an assignment whose name is the argument's label.
struct ExpressionKind::Invocation {
    Expression callee;
    ExpressionList arguments;
};
struct ExpressionKind::List {
    ExpressionList elements;
};

template <typename Built, typename Construct>
Built* ExpressionKind::place(NodeArena* arena, std::size_t size, Construct&& construct)
{
    void* memory = arena ? arena->allocate(size, alignof(Built)) : ::operator new(size);
    try {
        return construct(memory);
    } catch (...) {
        if (arena)
            arena->release();
        else
            ::operator delete(memory);
        throw;
    }
}

template <typename Case, typename... Fields>
ExpressionKind ExpressionKind::make(NodeArena* arena, Fields&&... fields)
{
    using Built = NodeOf<Case>;
    static_assert(indexOf<Case> != 0xFF);
    // A list shares its node's memory, so a node holding one must be built
    // with it.
    static_assert(!std::is_same_v<Case, Invocation> && !std::is_same_v<Case, List>, "use makeWithList");
    return ExpressionKind(place<Built>(arena, sizeof(Built), [&](void* memory) {
        return new (memory) Built(indexOf<Case>, arena != nullptr, std::forward<Fields>(fields)...);
    }));
}

template <typename Case, typename... Fields>
ExpressionKind ExpressionKind::makeWithList(NodeArena* arena, std::span<Expression> items, Fields&&... fields)
{
    using Built = detail::Node<Case>;
    static_assert(std::is_same_v<Case, Invocation> || std::is_same_v<Case, List>);
    static_assert(sizeof(Built) % alignof(Expression) == 0 && alignof(Built) >= alignof(Expression));
    Expression* first = nullptr;
    Built* node = place<Built>(arena, sizeof(Built) + items.size() * sizeof(Expression), [&](void* memory) {
        first = reinterpret_cast<Expression*>(static_cast<std::byte*>(memory) + sizeof(Built));
        return new (memory)
            Built(indexOf<Case>, arena != nullptr, std::forward<Fields>(fields)..., ExpressionList(first, items.size()));
    });
    // Moving an expression throws nothing, so once the node stands there is
    // nothing left to undo.
    static_assert(std::is_nothrow_move_constructible_v<Expression>);
    for (Expression& item : items)
        new (first++) Expression(std::move(item));
    return ExpressionKind(node);
}

// What a user-defined function is made of; shared by the function statement
// and every callable value built from it.
struct UserFunction {
    std::vector<ArgumentMapping> argumentMappings;
    ReturnMapping returnMapping;
    std::vector<Expression> body;

    bool operator==(const UserFunction& other) const;
    // Mapping count and each mapping, the return mapping, then the body.
    void hash(Hasher& hasher) const;
    // The same, with the body's tokens as in Expression::hash(hasher, tokens).
    void hash(Hasher& hasher, std::span<const Token> tokens) const;
};

// `function name = (mappings) -> (returns) { body }`.
struct FunctionDefinition {
    // An identifier token.
    Token name;
    std::shared_ptr<const UserFunction> function;
};

class Statement {
public:
    enum class Kind : std::uint8_t { expression, function };

    static Statement expression(Expression expression);
    static Statement function(Token name, std::vector<ArgumentMapping> argumentMappings, ReturnMapping returnMapping,
                              std::vector<Expression> body);

    Kind kind() const
    {
        return expression_.data.index() == ExpressionKind::functionIndex ? Kind::function : Kind::expression;
    }
    // Null unless the statement is of that case.
    const Expression* asExpression() const { return kind() == Kind::expression ? &expression_ : nullptr; }
    const FunctionDefinition* asFunction() const
    {
        if (kind() != Kind::function)
            return nullptr;
        return &static_cast<const detail::Node<FunctionDefinition>*>(expression_.data.node_)->value;
    }

    // The token that places the statement in the source: the expression's own
    // token, or the function's name token.
    const Token& token() const { return *expression_.token; }

    bool operator==(const Statement& other) const;
    // Case index, then the payload.
    void hash(Hasher& hasher) const;
    // The same, with tokens as in Expression::hash(hasher, tokens); a
    // function's name token is fed by its contents.
    void hash(Hasher& hasher, std::span<const Token> tokens) const;

private:
    explicit Statement(Expression expression) : expression_(std::move(expression)) {}

    // For a function statement, its definition's node and name token.
    Expression expression_;
};

} // namespace engine
